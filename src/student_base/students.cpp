#include "student_base/students.h"

#include "student_base/baza_vazed.h"
#include "workbook/cell_value.h"

namespace velmox::students {

namespace {
QString oneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}
}  // namespace

QString cellText(const QString& row, int column) {
    return oneLine(workbook::toText(BazaVazed::ReadStudentCell(row, column)));
}

QString pickerItem(const QString& row) {
    return cellText(row, 1) + u' ' + cellText(row, 2);
}

QStringList pickerItems() {
    QStringList items;
    for (int r = 2;; ++r) {
        const QString row = QString::number(r);
        if (cellText(row, 2).isEmpty()) break;
        items << pickerItem(row);
    }
    return items;
}

}  // namespace velmox::students
