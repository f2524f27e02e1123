#include "workbook/workbook_reasons.h"

#include <algorithm>
#include <pugixml.hpp>

#include "workbook/workbook.h"

namespace workbook::reason {

namespace {

QString at(const std::optional<Place>& place) {
    return place ? QStringLiteral(" в строке %1, позиции %2").arg(place->first).arg(place->second)
                 : QString();
}

QString parserStatusText(pugi::xml_parse_status status) {
    switch (status) {
        case pugi::status_out_of_memory:
            return QStringLiteral("не хватило памяти");
        case pugi::status_unrecognized_tag:
            return QStringLiteral("после «<» нет ни тега, ни комментария");
        case pugi::status_bad_pi:
            return QStringLiteral("неверная инструкция «<?…?>»");
        case pugi::status_bad_comment:
            return QStringLiteral("неверный или незакрытый комментарий «<!--…-->»");
        case pugi::status_bad_cdata:
            return QStringLiteral("неверный или незакрытый раздел «<![CDATA[…]]>»");
        case pugi::status_bad_doctype:
            return QStringLiteral("неверное объявление типа документа «<!DOCTYPE…>»");
        case pugi::status_bad_pcdata:
            return QStringLiteral("неверный текст");
        case pugi::status_bad_start_element:
            return QStringLiteral("неверный открывающий тег");
        case pugi::status_bad_attribute:
            return QStringLiteral("неверный атрибут");
        case pugi::status_bad_end_element:
            return QStringLiteral("неверный закрывающий тег");
        case pugi::status_end_element_mismatch:
            return QStringLiteral("закрывающий тег не подходит к открытому или не хватает закрывающего тега");
        case pugi::status_no_document_element:
            return QStringLiteral("нет корневого элемента");
        default:
            return QStringLiteral("ошибка разбора %1").arg(int(status));
    }
}

QString positionName(Position what) {
    switch (what) {
        case Position::RowIndex:
            return QStringLiteral("номер строки (Index)");
        case Position::RowSpan:
            return QStringLiteral("число строк (Span)");
        case Position::CellIndex:
            return QStringLiteral("номер столбца (Index)");
        case Position::MergeAcross:
            return QStringLiteral("число объединённых столбцов (MergeAcross)");
    }
    return {};
}

QString onSheet(const QString& sheet) {
    return QStringLiteral("лист «%1»: ").arg(sheet);
}

}  // namespace

Place placeOf(QByteArrayView text, qsizetype offset) {
    const qsizetype from = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype end = std::clamp(offset, from, text.size());
    return advance({1, 1}, text.sliced(from, end - from));
}

Place advance(Place from, QByteArrayView text) {
    auto [line, column] = from;
    for (const char c : text) {
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {  // not the rest of a letter
            ++column;
        }
    }
    return {line, column};
}

QString emptyFile() {
    return QStringLiteral("файл пуст");
}

QString notWellFormed(int parserStatus, const std::optional<Place>& place) {
    return QStringLiteral("ошибка в разметке XML%1: %2")
        .arg(at(place), parserStatusText(pugi::xml_parse_status(parserStatus)));
}

QString notUtf8(const Place& place) {
    return QStringLiteral("текст не в кодировке UTF-8%1").arg(at(place));
}

QString unknownEncoding(const QString& name) {
    return QStringLiteral("неизвестная кодировка «%1»").arg(name);
}

QString notInEncoding(const QString& name) {
    return QStringLiteral("текст не в кодировке %1").arg(name);
}

QString noSuchCharacter(const std::optional<Place>& place) {
    return QStringLiteral("ссылка на знак, которого нет в Юникоде%1")
        .arg(place ? QStringLiteral(", в теге или тексте со строки %1, позиции %2")
                         .arg(place->first)
                         .arg(place->second)
                   : QString());
}

QString declaresEntities() {
    return QStringLiteral("файл объявляет сущности (<!ENTITY>), такие файлы не принимаются");
}

QString undeclaredPrefix(const QString& name, const std::optional<Place>& place) {
    return QStringLiteral("ошибка в разметке XML%1: префикс «%2» в имени «%3» не объявлен (нет xmlns:%2)")
        .arg(at(place), name.section(u':', 0, 0), name);
}

QString notASpreadsheet(const QString& rootElement, bool namedWorkbook) {
    if (namedWorkbook) {
        return QStringLiteral("это не таблица XML: корневой элемент <%1> не из пространства имён %2")
            .arg(rootElement, QLatin1String("urn:schemas-microsoft-com:office:spreadsheet"));
    }
    return QStringLiteral("это не таблица XML: корневой элемент <%1>, а не Workbook").arg(rootElement);
}

QString noWorksheet() {
    return QStringLiteral("в книге нет ни одного листа");
}

QString notAWholeNumber(const QString& sheet, Position what, const QString& text, int low, int high) {
    return onSheet(sheet) + QStringLiteral("%1 «%2» — не целое число от %3 до %4")
                                .arg(positionName(what), text)
                                .arg(low)
                                .arg(high);
}

QString rowOutOfOrder(const QString& sheet, int row, int previous) {
    return onSheet(sheet) + QStringLiteral("строка %1 стоит после строки %2").arg(row).arg(previous);
}

QString columnOutOfOrder(const QString& sheet, int column, int previous) {
    return onSheet(sheet) + QStringLiteral("столбец %1 стоит после столбца %2").arg(column).arg(previous);
}

QString rowBeyondTheSheet(const QString& sheet, int row) {
    return onSheet(sheet) + QStringLiteral("строка %1 за последней строкой листа, %2").arg(row).arg(kMaxRows);
}

QString columnBeyondTheSheet(const QString& sheet, int column) {
    return onSheet(sheet) +
           QStringLiteral("столбец %1 за последним столбцом листа, %2").arg(column).arg(kMaxColumns);
}

QString noLayoutSheet() {
    return QStringLiteral("в книге нет листа «Sheet1»");
}

}  // namespace workbook::reason
