#pragma once
// Case folding for comparing entries regardless of letter case.
#include <QString>

// Exactly QString::toCaseFolded, faster for text in the Latin and Cyrillic letters (Kazakh ones
// included) that the lists hold.
QString caseFolded(const QString& text);
