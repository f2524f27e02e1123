#pragma once
// Fixture files of the workbook tests and a wrapper that turns a few rows into a whole workbook.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <stdexcept>

inline QString fixturePath(const char* name) {
    return QStringLiteral(VELMOX_SOURCE_DIR "/tests/workbook/fixtures/") + QLatin1String(name);
}

inline QByteArray fixtureBytes(const char* name) {
    QFile f(fixturePath(name));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("missing fixture");
    return f.readAll();
}

// One prefixed worksheet "Sheet1" whose Table holds `rows`; `tableAttributes` go on the Table.
inline QByteArray sheetXml(const char* rows, const char* tableAttributes = "") {
    return QByteArray(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
               " <ss:Worksheet ss:Name=\"Sheet1\">\n  <ss:Table") +
           tableAttributes + ">\n" + rows + "\n  </ss:Table>\n </ss:Worksheet>\n</ss:Workbook>\n";
}
