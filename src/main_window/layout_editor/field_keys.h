#pragma once
// The field key in Text100 names one of the 47 print fields by exact text: whole, case-sensitive,
// never trimmed or read as a number, so " 1", "01", "46" and "47" name none.
#include <QString>

#include "main_window/vazed.h"

namespace velmox {

const PrintField* fieldOfKey(const QString& key);

}  // namespace velmox
