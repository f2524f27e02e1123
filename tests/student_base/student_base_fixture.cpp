#include "student_base_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "workbook/grid_model.h"

namespace {
QString cellXml(const QString& value) {
    const bool number = value.startsWith(u'#');
    QString text = (number ? value.mid(1) : value).toHtmlEscaped();
    // Line breaks as character references: the XML reader turns a literal CR into LF.
    text.replace(u'\r', QStringLiteral("&#13;")).replace(u'\n', QStringLiteral("&#10;"));
    return QStringLiteral("<ss:Data ss:Type=\"%1\">%2</ss:Data>")
        .arg(number ? QStringLiteral("Number") : QStringLiteral("String"), text);
}

QPoint centreIn(const ui::Form& form, const ui::Control& control) {
    return control.widget()->mapTo(form.window(), control.widget()->rect().center());
}
}  // namespace

QByteArray studentBaseXml(const std::vector<StudentRow>& rows) {
    QString xml = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
                      " <ss:Worksheet ss:Name=\"Sheet1\">\n  <ss:Table>\n"
                      "   <ss:Row><ss:Cell>%1</ss:Cell><ss:Cell>%2</ss:Cell></ss:Row>\n")
                      .arg(cellXml(QStringLiteral("ФИО")), cellXml(QStringLiteral("Отчество")));
    for (const StudentRow& row : rows) {
        xml += QStringLiteral("   <ss:Row>");
        bool gap = false;
        for (int c = 0; c < 6; ++c) {
            if (row[c].isEmpty()) {
                gap = true;
                continue;
            }
            xml += gap ? QStringLiteral("<ss:Cell ss:Index=\"%1\">").arg(c + 1) : QStringLiteral("<ss:Cell>");
            xml += cellXml(row[c]) + QStringLiteral("</ss:Cell>");
            gap = false;
        }
        xml += QStringLiteral("</ss:Row>\n");
    }
    xml += QStringLiteral("  </ss:Table>\n </ss:Worksheet>\n</ss:Workbook>\n");
    return xml.toUtf8();
}

QSize skinPictureSize(int folder, int number) {
    return {number + 10, folder + 10};
}

void StudentBaseTest::TearDown() {
    ui::discardForm<velmox::BazaVazed>();
    ui::discardForm<velmox::Print1>();
    settle();
    VazedTest::TearDown();
}

void StudentBaseTest::writeBase(const std::vector<StudentRow>& rows) const {
    folder.write("2.xml", studentBaseXml(rows));
}

void StudentBaseTest::writeSkinPictures(std::initializer_list<int> numbers) const {
    for (int k = 1; k <= 4; ++k) {
        for (int n : numbers) {
            QImage image(skinPictureSize(k, n), QImage::Format_RGB32);
            image.fill(QColor::fromHsv((n * 37) % 360, 200, 100 + k * 30));
            QDir().mkpath(folder.file(QStringLiteral("image\\Skin%1").arg(k)));
            image.save(folder.file(QStringLiteral("image\\Skin%1\\%2.jpg").arg(k).arg(n)), "JPG");
        }
    }
}

void StudentBaseTest::expose(ui::Form& form) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.window()));
}

void StudentBaseTest::click(ui::Form& form, const ui::Control& control) {
    QTest::mouseClick(form.window()->windowHandle(), Qt::LeftButton, {}, centreIn(form, control));
    settle();
}

// The platform drops a move to where the pointer already is (a click of an earlier test may have
// left it there), so each move goes one pixel aside first, inside the same control.
void StudentBaseTest::moveOver(ui::Form& form, const ui::Control& control) {
    const QPoint at = centreIn(form, control);
    QTest::mouseMove(form.window()->windowHandle(), at + QPoint(1, 0));
    QTest::mouseMove(form.window()->windowHandle(), at);
}

void StudentBaseTest::pressOn(ui::Form& form, const ui::Control& control) {
    QTest::mousePress(form.window()->windowHandle(), Qt::LeftButton, {}, centreIn(form, control));
}

void StudentBaseTest::moveOverSurface(ui::Form& form, float x, float y) {
    const QPoint at(ui::Twips(x).toPixels(), ui::Twips(y).toPixels());
    QTest::mouseMove(form.window()->windowHandle(), at + QPoint(1, 0));
    QTest::mouseMove(form.window()->windowHandle(), at);
}

void StudentBaseTest::typeIntoCell(workbook::Spreadsheet& sheet, int row, int column, const QString& text) {
    workbook::GridView& grid = sheet.grid();
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(row - 1, column - 1));
    // The first key opens the cell's editor; the rest go to the editor as the operator types on.
    typeText(&grid, text.left(1));
    QWidget* editor = grid.indexWidget(grid.currentIndex());
    ASSERT_NE(editor, nullptr) << "typing opened no editor";
    typeText(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
}

void StudentBaseTest::settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QStringList StudentBaseTest::pickerItems(const velmox::Vazed& v) {
    QStringList items;
    for (int i = 0; i < v.Combo1.listCount(); ++i) items << v.Combo1.list(i);
    return items;
}

void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
}

QStringList pickedEntries(const velmox::Vazed& v) {
    return {v.Text2.text(),  v.Text3.text(), v.Text15.text(),
            v.Text16.text(), v.Text4.text(), v.Text14.text()};
}
