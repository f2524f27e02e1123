#pragma once
// Reads a printed PDF back: the words with their boxes (pdftotext -bbox) and the page as a grey
// picture (pdftoppm), to assert where each text landed and that nothing else was printed.
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "platform/label.h"
#include "support/pdf_words.h"

// Empty when a poppler tool is missing; tests skip then.
QString missingPopplerTool();
std::vector<PrintedWord> printedWords(const QString& pdf);
// The title a printed PDF file carries, as `pdfinfo` reads it: the print job's title.
QString printedTitle(const QString& pdf);
// The first page in 8-bit grey at `dpi`.
QImage printedPage(const QString& pdf, int dpi);

// Where a label's first line has its baseline, in points from the top of the page, laid out as Qt
// lays it out: a letter the label's font lacks comes from a fallback font, which may lower it.
double expectedBaseline(const ui::Label& label);
// The baseline inside the box of the word that starts at `position` of the label's caption:
// pdftotext spans the box from ascent to descent of the font that word's first letter is drawn in.
double baselineOf(const PrintedWord& word, const ui::Label& label, int position);
// The horizontal reference of a run of words as the label places it: the left edge, the right
// edge or the centre, in points; and the same reference of the label's box. An autosize label's
// text starts at its Left whatever its alignment.
double printedReference(const std::vector<const PrintedWord*>& run, const ui::Label& label);
double expectedReference(const ui::Label& label);

// The centre of the ink inside `box` (points) of a page rendered at `dpi`, in points; nullopt
// where the box holds no ink. It does not depend on how a PDF encodes its fonts.
std::optional<QPointF> inkCentre(const QImage& page, int dpi, const QRectF& box);

constexpr double kTolerancePt = 0.85;  // 0.3 mm
