#pragma once
// The words of a printed page as `pdftotext -bbox` gives them, each with its box.
#include <QString>
#include <vector>

struct PrintedWord {
    QString text;
    double xMin, yMin, xMax, yMax;  // points from the page's top-left corner
};

// The words of pdftotext's -bbox output, their texts with the XML entities decoded once each.
std::vector<PrintedWord> wordsOf(const QString& bboxHtml);
