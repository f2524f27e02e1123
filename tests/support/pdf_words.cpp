#include "support/pdf_words.h"

#include <QRegularExpression>

std::vector<PrintedWord> wordsOf(const QString& bboxHtml) {
    static const QRegularExpression word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<PrintedWord> out;
    for (auto it = word.globalMatch(bboxHtml); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        // "&amp;" last, so that a printed "&lt;" stays as printed.
        text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        out.push_back({text, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble()});
    }
    return out;
}
