#include "printed_page.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextLayout>

#include "platform/font.h"

namespace {
QByteArray run(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return p.readAllStandardOutput();
}

double points(float twips) {
    return twips / ui::kTwipsPerPoint;
}
}  // namespace

QString missingPopplerTool() {
    for (const char* tool : {"pdftotext", "pdftoppm", "pdfinfo"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QString::fromLatin1(tool);
    return {};
}

QString printedTitle(const QString& pdf) {
    for (const QString& line : QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf})).split(u'\n'))
        if (line.startsWith(QLatin1String("Title:"))) return line.mid(6).trimmed();
    return {};
}

std::vector<PrintedWord> printedWords(const QString& pdf) {
    return wordsOf(QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, "-"})));
}

QImage printedPage(const QString& pdf, int dpi) {
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
                                     QStringLiteral("-singlefile"), pdf, stem});
    return QImage(stem + QStringLiteral(".pgm")).convertToFormat(QImage::Format_Grayscale8);
}

namespace {
QTextLayout* layoutOf(const ui::Label& label, QTextLayout& layout) {
    layout.setText(label.caption());
    layout.setFont(ui::toTwipsFont(label.font()));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return &layout;
}
}  // namespace

double expectedBaseline(const ui::Label& label) {
    QTextLayout layout;
    return points(label.top().value) + points(float(layoutOf(label, layout)->lineAt(0).ascent()));
}

double baselineOf(const PrintedWord& word, const ui::Label& label, int position) {
    QTextLayout layout;
    const QList<QGlyphRun> runs = layoutOf(label, layout)->glyphRuns(position, 1);
    const QRawFont font =
        runs.isEmpty() ? QRawFont::fromFont(ui::toTwipsFont(label.font())) : runs[0].rawFont();
    return word.yMin + (word.yMax - word.yMin) * font.ascent() / (font.ascent() + font.descent());
}

namespace {
ui::Alignment placement(const ui::Label& label) {
    return label.autoSize() ? ui::Alignment::Left : label.alignment();
}
}  // namespace

double printedReference(const std::vector<const PrintedWord*>& run, const ui::Label& label) {
    switch (placement(label)) {
        case ui::Alignment::Left:
            return run.front()->xMin;
        case ui::Alignment::Right:
            return run.back()->xMax;
        case ui::Alignment::Center:
            break;
    }
    return (run.front()->xMin + run.back()->xMax) / 2;
}

double expectedReference(const ui::Label& label) {
    const double left = points(label.left().value);
    const double width = points(label.width().value);
    switch (placement(label)) {
        case ui::Alignment::Left:
            return left;
        case ui::Alignment::Right:
            return left + width;
        case ui::Alignment::Center:
            break;
    }
    return left + width / 2;
}

std::optional<QPointF> inkCentre(const QImage& page, int dpi, const QRectF& box) {
    const double dotsPerPoint = dpi / 72.0;
    const QRect dots =
        QRectF(box.topLeft() * dotsPerPoint, box.bottomRight() * dotsPerPoint).toAlignedRect() & page.rect();
    double weight = 0, x = 0, y = 0;
    for (int py = dots.top(); py <= dots.bottom(); ++py) {
        for (int px = dots.left(); px <= dots.right(); ++px) {
            const double ink = 255 - qGray(page.pixel(px, py));
            weight += ink;
            x += ink * (px + 0.5);
            y += ink * (py + 0.5);
        }
    }
    if (weight < 255) return std::nullopt;
    return QPointF(x / weight / dotsPerPoint, y / weight / dotsPerPoint);
}
