#pragma once
// The system's reason for a failed file operation in a few Russian words where it is a common one
// ("Permission denied" → "нет доступа"), else as the system gave it. Qt Core only: the workbook core
// and the file writer use it without the platform's widgets.
#include <QString>

QString systemReason(const QString& systemText);
