// Dialog filters, the common dialog's memory, and failures in handlers reported, not fatal.
#include <gtest/gtest.h>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStyle>
#include <QTreeView>
#include <QUrl>

#include "operator.h"
#include "platform/controls.h"
#include "platform/dispatch.h"
#include "platform/error.h"
#include "support/program_folder.h"

namespace {

TEST(NameFilters, BecomeQtFiltersOnePerDescriptionAndPatternPair) {
    struct Case {
        QString filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"XML|*.xml;", {"XML (*.xml)"}},
        {"jpeg|*.jpeg; *.jpg;", {"jpeg (*.jpeg *.jpg)"}},
        {"XML|*.xml", {"XML (*.xml)"}},
        {"XML|*.xml;|Все файлы|*.*", {"XML (*.xml)", "Все файлы (*.*)"}},
        {"Текст|*.txt;*.csv|jpeg|*.jpeg; *.jpg;", {"Текст (*.txt *.csv)", "jpeg (*.jpeg *.jpg)"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::qtNameFilters(c.filter), c.expected) << c.filter.toStdString();
}

TEST(CommonDialogMemory, FileNameStaysBetweenCallsAndACancelKeepsIt) {
    ScriptedScope services;
    ui::CommonDialog dialog;
    dialog.filter = "XML|*.xml;";
    dialog.fileName = "1.xml";
    services->dialogAnswers = {
        {true, "/data/first.xml"}, {false, "/data/ignored.xml"}, {true, "/data/saved.xml"}};

    EXPECT_TRUE(dialog.showOpen());
    EXPECT_FALSE(dialog.cancelled());
    EXPECT_EQ(dialog.fileName, "/data/first.xml");

    EXPECT_FALSE(dialog.showOpen());
    EXPECT_TRUE(dialog.cancelled());
    EXPECT_EQ(dialog.fileName, "/data/first.xml");

    EXPECT_TRUE(dialog.showSave());
    EXPECT_FALSE(dialog.cancelled());
    EXPECT_EQ(dialog.fileName, "/data/saved.xml");

    EXPECT_FALSE(dialog.showSave()) << "an empty script answers cancelled";
    EXPECT_TRUE(dialog.cancelled());
    EXPECT_EQ(dialog.fileName, "/data/saved.xml");

    // Each dialog started from the name the previous call left, with the same filter.
    const QStringList startedWith = {"1.xml", "/data/first.xml", "/data/first.xml", "/data/saved.xml"};
    const QStringList kinds = {"open", "open", "save", "save"};
    ASSERT_EQ(services->dialogs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(services->dialogs[i].fileName, startedWith[i]) << i;
        EXPECT_EQ(services->dialogs[i].kind, kinds[i]) << i;
        EXPECT_EQ(services->dialogs[i].filter, "XML|*.xml;") << i;
    }
}

TEST(CommonDialogMemory, PrinterSetupReportsCancel) {
    ScriptedScope services;
    ui::CommonDialog dialog;
    services->printerSetupAnswers = {true, false};
    EXPECT_TRUE(dialog.showPrinter(ui::printer()));
    EXPECT_FALSE(dialog.cancelled());
    EXPECT_FALSE(dialog.showPrinter(ui::printer()));
    EXPECT_TRUE(dialog.cancelled());
}

// A shown window whose handlers fail on demand.
class HandlerFailures : public testing::Test {
protected:
    void SetUp() override {
        Text1.create(form, "Text1", {120, 120, 2400, 300});
        Label1.create(form, "Label1", {120, 600, 2400, 300});
        VScroll1.create(form, "VScroll1", {3000, 120, 255, 2400});
        VScroll1.setRange(0, 10);
        ASSERT_TRUE(showAndExpose(form.window()));
    }
    QLineEdit* textEdit() const { return static_cast<QLineEdit*>(Text1.widget()); }

    ScriptedScope services;
    ui::Form form{"Failures"};
    ui::TextBox Text1;
    ui::Label Label1;
    ui::VScrollBar VScroll1;
};

TEST_F(HandlerFailures, OperatorEventsReportTheFailureOnceAndTheProgramGoesOn) {
    struct Case {
        const char* event;
        std::function<void(std::function<void()>)> bind;
        std::function<void()> act;
        std::function<bool()> wentOn;  // what the operator did is still there
    };
    const Case cases[] = {
        {"typing into a text box", [this](std::function<void()> fail) { Text1.onChange = fail; },
         [this] {
             textEdit()->end(false);
             typeText(textEdit(), "x");
         },
         [this] { return Text1.text().endsWith("x") && textEdit()->text() == Text1.text(); }},
        {"KeyPress of a text box",
         [this](std::function<void()> fail) { Text1.onKeyPress = [fail](std::int16_t&) { fail(); }; },
         [this] {
             textEdit()->end(false);
             typeText(textEdit(), "k");
         },
         [this] { return Text1.text().endsWith("k"); }},
        {"clicking a label", [this](std::function<void()> fail) { Label1.onClick = fail; },
         [this] { QTest::mouseClick(Label1.widget(), Qt::LeftButton); }, [] { return true; }},
        {"a key on a scroll bar", [this](std::function<void()> fail) { VScroll1.onChange = fail; },
         [this] { QTest::keyClick(VScroll1.widget(), Qt::Key_Down); },
         [this] { return VScroll1.value() == 1; }},
    };
    for (const Case& c : cases) {
        struct Thrower {
            const char* what;
            std::function<void()> fail;
            QString message;
        };
        const Thrower throwers[] = {
            {"the program's error", [] { throw ui::Error(QStringLiteral("файл не прочитан")); },
             "файл не прочитан"},
            {"a fault of the program", [] { throw std::out_of_range("list index outside the list"); },
             "Непредвиденная ошибка в программе."},
            {"anything else", [] { throw 42; }, "Непредвиденная ошибка в программе."},
        };
        for (const Thrower& t : throwers) {
            Text1.onChange = nullptr;
            Text1.onKeyPress = nullptr;
            Label1.onClick = nullptr;
            VScroll1.onChange = nullptr;
            VScroll1.setValue(0);
            services->messages.clear();
            c.bind(t.fail);
            c.act();
            ASSERT_EQ(services->messages.size(), 1u) << c.event << ", " << t.what;
            EXPECT_EQ(services->messages[0].title, "Ошибка") << c.event << ", " << t.what;
            EXPECT_EQ(services->messages[0].text, t.message) << c.event << ", " << t.what;
            EXPECT_TRUE(c.wentOn()) << c.event << ", " << t.what;
        }
    }
}

TEST_F(HandlerFailures, WriteFromCodePassesTheFailureToItsCaller) {
    Text1.onChange = [] { throw std::runtime_error("bad"); };
    EXPECT_THROW(Text1.setText("x"), std::runtime_error);
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(Text1.text(), "x");
}

TEST_F(HandlerFailures, FailureInsideANestedWriteIsReportedOnceAtTheOperatorsEvent) {
    Text1.onChange = [this] { Label1.setCaption(Text1.text()); };
    Label1.onChange = [] { throw ui::Error(QStringLiteral("inner")); };
    typeText(textEdit(), "z");
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text, "inner");
    EXPECT_EQ(Label1.caption(), "z");
}

TEST(MessageBoxLook, AnyNumberOfFailuresFitsTheScreenWithOneSummaryLineAndScrollableDetails) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QStringList failures;
    for (int n = 1; n <= 300; ++n)
        failures << QStringLiteral(
                        "Не удалось записать файл «/очень/длинная/папка/программы/data/%1.txt»: нет доступа")
                        .arg(n);
    struct Case {
        const char* what;
        QString text, details;
        QString summary;  // what the box's one line shows
        bool detailsShown;
    };
    const Case cases[] = {
        {"summary and details", "Не всё удалось сохранить.", failures.join('\n'), "Не всё удалось сохранить.",
         true},
        {"everything in the text",
         "Не всё удалось сохранить:\n" + failures.join('\n'),
         {},
         "Не всё удалось сохранить:",
         true},
        {"one long line", failures.join(' '), {}, {}, true},
        {"a short message alone", "Файл не найден.", {}, "Файл не найден.", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<QDialog> box = ui::makeMessageBox(c.text, "Ошибка", c.details, nullptr);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        EXPECT_EQ(box->windowTitle(), "Ошибка");
        EXPECT_LE(box->frameGeometry().height(), area.height());
        EXPECT_LE(box->frameGeometry().width(), area.width());
        const auto* summary = box->findChild<QLabel*>("summary");
        ASSERT_NE(summary, nullptr);
        EXPECT_FALSE(summary->text().contains('\n'));
        EXPECT_LE(summary->text().size(), 170);
        if (!c.summary.isEmpty()) {
            EXPECT_EQ(summary->text(), c.summary);
        }
        const auto* details = box->findChild<QPlainTextEdit*>("details");
        ASSERT_EQ(details != nullptr, c.detailsShown);
        if (details) {
            // Nothing is lost: every failure can be scrolled to.
            for (const QString& f : failures.mid(0, 1) + failures.mid(299))
                EXPECT_TRUE(details->toPlainText().contains(f));
            EXPECT_TRUE(details->isReadOnly());
        }
        // The OK button lies inside the screen.
        const auto* buttons = box->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        const QRect ok(buttons->mapTo(box.get(), QPoint(0, 0)), buttons->size());
        EXPECT_TRUE(box->rect().contains(ok));
    }
}

namespace {
// Whether the whole of the details shows: nothing to scroll, and the end of the text inside the
// visible part.
testing::AssertionResult shownWhole(const QDialog& box) {
    auto* more = box.findChild<QPlainTextEdit*>("details");
    if (!more) return testing::AssertionFailure() << "no details";
    if (more->verticalScrollBar()->maximum() != 0 || more->verticalScrollBar()->isVisible())
        return testing::AssertionFailure() << "a scroll bar, up to " << more->verticalScrollBar()->maximum();
    QTextCursor end(more->document());
    end.movePosition(QTextCursor::End);
    const QRect last = more->cursorRect(end);
    if (last.bottom() >= more->viewport()->height())
        return testing::AssertionFailure()
               << "the last line ends at " << last.bottom() << " of " << more->viewport()->height();
    return testing::AssertionSuccess();
}
}  // namespace

// Details that fit show whole with no scroll bar: lines that wrap, and lines of about the width the
// details have (just short of it, at it and just past it, where a line wraps), one to three to the
// box, with and without a short line below.
TEST(MessageBoxLook, DetailsThatFitAreShownWholeWithoutAScrollBar) {
    const QString repro =
        QStringLiteral("2.txt: при запуске программы он не прочитался, поэтому оставлен как был");
    const QString words = QStringLiteral(
        "data/14.txt: файл не открывается для чтения: нет доступа к файлу, который лежит в папке "
        "программы, и поэтому оставлен как был до следующего запуска программы на этом компьютере");
    // The width the details' text has in a box.
    const std::unique_ptr<QDialog> probe =
        ui::makeMessageBox("Ошибка чтения.", "Ошибка", "нет доступа", nullptr);
    probe->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(probe.get()));
    const auto* probeDetails = probe->findChild<QPlainTextEdit*>("details");
    ASSERT_NE(probeDetails, nullptr);
    const QFontMetricsF metrics(probeDetails->font());
    const qreal width = probeDetails->viewport()->width() - 2 * probeDetails->document()->documentMargin();

    struct Case {
        QString what, details;
    };
    std::vector<Case> cases{
        {"two lines that wrap and a short one",
         QStringLiteral("data/13.txt: текст повреждён: байты не в кодировке UTF-8, которую называет метка в "
                        "начале файла\n"
                        "data/14.txt: файл не открывается для чтения: нет доступа к файлу, который лежит в "
                        "папке программы\n"
                        "data/15.txt: нет доступа")},
        {"the detail of an unread 2.txt", repro},
    };
    // Each prefix of the words that ends within 30 pixels of the width, either side.
    for (qsizetype n = 1; n <= words.size(); ++n) {
        const QString line = words.left(n).trimmed();
        const qreal advance = metrics.horizontalAdvance(line);
        if (std::abs(advance - width) > 30) continue;
        const QString at = QStringLiteral("%1 px of %2").arg(advance, 0, 'f', 1).arg(width);
        cases.push_back({"one line, " + at, line});
        cases.push_back(
            {"with a short line below, " + at, line + QStringLiteral("\ndata/15.txt: нет доступа")});
        cases.push_back({"twice, " + at, line + u'\n' + line});
        cases.push_back({"three times, " + at, line + u'\n' + line + u'\n' + line});
    }
    ASSERT_GT(cases.size(), 20u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what.toStdString());
        const std::unique_ptr<QDialog> box =
            ui::makeMessageBox(QStringLiteral("Не удалось сохранить."), "Ошибка", c.details, nullptr);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        EXPECT_TRUE(shownWhole(*box));
    }
}

}  // namespace

// A word wider than the box (a path in a long folder name) cannot wrap in the summary line: the
// summary keeps what fits, and the details begin with it whole, before any details of their own.
TEST(MessageBoxLook, ASummaryWithAWordWiderThanTheBoxStaysInsideItAndReadsWholeInTheDetails) {
    const QString folder = QStringLiteral("/tmp/") + QString(90, u'Ж') + QStringLiteral("ABCDEFGHIJKLMNO");
    struct Case {
        const char* what;
        QString text, details;
        QString kept;  // the summary's start, before the long word
    };
    const Case cases[] = {
        {"a path in the middle",
         QStringLiteral("Диплом не напечатан: не удалось создать файл «%1/x.pdf».").arg(folder),
         QStringLiteral("Проверьте, что принтер включён."),
         QStringLiteral("Диплом не напечатан: не удалось создать файл")},
        {"a path first, no details", folder + QStringLiteral(" не найден."), {}, {}},
        {"a path past the longest summary",
         QStringLiteral("Не удалось сохранить: ") +
             QString(30, u'я').replace(u'я', QStringLiteral("слово ")) + folder,
         {},
         QStringLiteral("Не удалось сохранить: слово")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<QDialog> box = ui::makeMessageBox(c.text, "Ошибка", c.details, nullptr);
        box->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
        const auto* summary = box->findChild<QLabel*>("summary");
        ASSERT_NE(summary, nullptr);
        // The label's widest stretch that cannot wrap fits it, and the label fits the box.
        EXPECT_LE(summary->minimumSizeHint().width(), summary->width()) << summary->text().toStdString();
        EXPECT_TRUE(box->rect().contains(summary->geometry()));
        EXPECT_TRUE(summary->text().startsWith(c.kept)) << summary->text().toStdString();
        EXPECT_TRUE(summary->text().endsWith(u'…')) << summary->text().toStdString();
        const auto* details = box->findChild<QPlainTextEdit*>("details");
        ASSERT_NE(details, nullptr);
        EXPECT_EQ(details->toPlainText(), c.details.isEmpty() ? c.text : c.text + u'\n' + c.details);
    }
}

namespace {
// A dialog's texts: its title, its groups, its buttons and its labels, without their shortcut marks.
QStringList textsOf(const QDialog& d) {
    QStringList out{d.windowTitle()};
    for (const QGroupBox* g : d.findChildren<QGroupBox*>())
        if (!g->title().isEmpty()) out << g->title().remove(u'&');
    for (const QAbstractButton* b : d.findChildren<QAbstractButton*>())
        if (!b->text().isEmpty()) out << b->text().remove(u'&');
    for (const QLabel* l : d.findChildren<QLabel*>())
        if (!l->text().isEmpty()) out << l->text().remove(u'&');
    return out;
}
}  // namespace

TEST(QtDialogs, ThePrinterSetUpAndFileDialogsSpeakRussianAndTheSetUpChoosesRatherThanPrints) {
    QPrinter target(QPrinter::HighResolution);
    const std::unique_ptr<QPrintDialog> setup = ui::makePrinterSetupDialog(target, nullptr);
    const std::unique_ptr<QFileDialog> open = ui::makeFileDialog(false, "XML|*.xml;", {}, nullptr);
    const std::unique_ptr<QFileDialog> save = ui::makeFileDialog(true, "XML|*.xml;", {}, nullptr);
    const auto* buttons = setup->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), "Выбрать");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().remove(u'&'), "Отмена");
    const QStringList setupTexts = textsOf(*setup);
    for (const char* english : {"Print", "Printer", "Name:", "Properties", "Cancel"})
        EXPECT_FALSE(setupTexts.contains(english))
            << english << " in " << setupTexts.join(" | ").toStdString();
    for (const char* russian : {"Печать", "Принтер", "Название:", "Свойства"})
        EXPECT_TRUE(setupTexts.contains(russian))
            << russian << " not in " << setupTexts.join(" | ").toStdString();

    struct FileCase {
        const char* what;
        const QFileDialog& dialog;
        const char* accept;
    };
    const FileCase files[] = {{"open", *open, "Открыть"}, {"save", *save, "Сохранить"}};
    for (const FileCase& f : files) {
        const auto* box = f.dialog.findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr) << f.what << ": Qt's own dialog, not the desktop's";
        EXPECT_EQ(box->button(QDialogButtonBox::Open)
                      ? box->button(QDialogButtonBox::Open)->text().remove(u'&')
                      : box->button(QDialogButtonBox::Save)->text().remove(u'&'),
                  f.accept)
            << f.what;
        EXPECT_EQ(box->button(QDialogButtonBox::Cancel)->text().remove(u'&'), "Отмена") << f.what;
        const QStringList texts = textsOf(f.dialog);
        for (const char* english : {"Look in:", "File name:", "Files of type:", "Cancel", "Open", "Save"})
            EXPECT_FALSE(texts.contains(english)) << f.what << ": " << english;
    }
}

namespace {
// The file a save dialog gives when the operator types `typed` in its name box and confirms.
QString savedAs(QFileDialog& dialog, const QString& typed) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!name) return QStringLiteral("no name box");
    name->setText(typed);
    QSignalSpy chosen(&dialog, &QFileDialog::fileSelected);
    QMetaObject::invokeMethod(&dialog, "accept");
    if (dialog.result() != QDialog::Accepted || chosen.size() != 1) return QStringLiteral("not accepted");
    return chosen.first().first().toString();
}
}  // namespace

TEST(QtDialogs, ASaveDialogAddsTheChosenFiltersExtensionToANameTypedWithoutOneAndKeepsAnyOther) {
    struct SuffixCase {
        const char* filter;
        const char* suffix;
    };
    const SuffixCase suffixes[] = {
        {"XML (*.xml)", "xml"},  {"jpeg (*.jpeg *.jpg)", "jpeg"}, {"Все файлы (*)", ""},
        {"Все файлы (*.*)", ""}, {"Рисунки (*.jp?)", ""},         {"Архив (*.tar.gz)", ""},
    };
    for (const SuffixCase& c : suffixes) EXPECT_EQ(ui::defaultSuffix(c.filter), c.suffix) << c.filter;

    ProgramFolder folder;
    folder.write("sub/keep.txt", "x");
    struct Case {
        const char* typed;
        const char* written;  // in the folder
    };
    const Case cases[] = {
        {"export", "export.xml"},     {"выпуск 2024", "выпуск 2024.xml"}, {"export.xml", "export.xml"},
        {"export.XML", "export.XML"}, {"export.txt", "export.txt"},       {"sub/export", "sub/export.xml"},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<QFileDialog> save =
            ui::makeFileDialog(true, "XML|*.xml;", folder.file("start.xml"), nullptr);
        EXPECT_EQ(savedAs(*save, c.typed), folder.file(c.written)) << c.typed;
    }

    // The extension follows the filter the operator chooses; an open dialog adds none.
    const std::unique_ptr<QFileDialog> two =
        ui::makeFileDialog(true, "XML|*.xml;|Рисунок|*.jpg;", folder.file("start.xml"), nullptr);
    auto* types = two->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    ASSERT_EQ(two->selectedNameFilter(), "Рисунок (*.jpg)");
    EXPECT_EQ(savedAs(*two, "picture"), folder.file("picture.jpg"));
    EXPECT_TRUE(ui::makeFileDialog(false, "XML|*.xml;", {}, nullptr)->defaultSuffix().isEmpty());
}

TEST(QtDialogs, TheFileListGivesTypesSizesAndDatesInRussian) {
    EXPECT_EQ(QLocale().name(), "ru_RU") << "the default locale of both programs";
    struct SizeCase {
        qint64 bytes;
        const char* shown;
    };
    const SizeCase sizes[] = {
        {0, "0 байт"},    {1, "1 байт"},     {2, "2 байта"},       {4, "4 байта"},    {5, "5 байт"},
        {11, "11 байт"},  {12, "12 байт"},   {14, "14 байт"},      {21, "21 байт"},   {22, "22 байта"},
        {43, "43 байта"}, {112, "112 байт"}, {1023, "1023 байта"}, {4900, "4,79 кБ"}, {5000000, "4,77 МБ"},
    };
    for (const SizeCase& c : sizes) EXPECT_EQ(ui::russianFileSize(c.bytes), c.shown) << c.bytes;

    ProgramFolder folder;
    folder.write("data/8.txt", "1");
    folder.write("1.xml", QByteArray(43, 'x'));
    folder.write("2.xml.bak", QByteArray(4900, 'x'));
    folder.write("image/Skin1/1.jpg", "12");
    folder.write("Velmox", "");
    folder.write("notes.odt", "");
    const QDateTime modified(QDate(2019, 12, 11), QTime(9, 5));
    {
        QFile f(folder.file("1.xml"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    const std::unique_ptr<QFileDialog> open =
        ui::makeFileDialog(false, "Все файлы|*;", folder.file("1.xml"), nullptr);
    auto* list = open->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    const QAbstractItemModel* model = list->model();
    // The list fills from a background thread.
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(list->rootIndex()), 6, 10000);
    struct Row {
        const char* name;
        const char* size;
        const char* type;
    };
    const Row rows[] = {
        {"data", "", "Папка"},
        {"image", "", "Папка"},
        {"1.xml", "43 байта", "Файл XML"},
        {"2.xml.bak", "4,79 кБ", "Резервная копия"},
        {"Velmox", "0 байт", "Файл"},
        {"notes.odt", "0 байт", "Файл ODT"},
    };
    for (const Row& r : rows) {
        QModelIndex at;
        for (int i = 0; i < model->rowCount(list->rootIndex()); ++i)
            if (model->index(i, 0, list->rootIndex()).data().toString() == r.name)
                at = model->index(i, 0, list->rootIndex());
        ASSERT_TRUE(at.isValid()) << r.name;
        QTRY_COMPARE_WITH_TIMEOUT(at.siblingAtColumn(1).data().toString(), QString(r.size), 10000);
        EXPECT_EQ(at.siblingAtColumn(2).data().toString(), r.type) << r.name;
        if (QLatin1String(r.name) == QLatin1String("1.xml")) {
            EXPECT_EQ(at.siblingAtColumn(3).data().toString(), "11.12.2019 09:05");
        }
    }
    EXPECT_EQ(ui::russianFileType(QFileInfo(folder.file("image/Skin1/1.jpg"))), "Рисунок JPEG");
    EXPECT_EQ(ui::russianFileType(QFileInfo(QStringLiteral("/"))), "Диск");
    for (int column = 0; column < 4; ++column) {
        const QString header = model->headerData(column, Qt::Horizontal).toString();
        for (const char* english : {"Name", "Size", "Type", "Kind", "Date Modified"})
            EXPECT_NE(header, english) << column;
    }
}

// Qt sizes the list's columns for English texts; in Russian the type and the date were cut in the
// middle ("Фа…ML", "11.12.2…9 09:05") however wide the dialog. Every file dialog is this one.
TEST(QtDialogs, TheFileListShowsEachSizeTypeAndDateWholeAtAnyWidthAndThePlacesTheirNames) {
    ProgramFolder folder;
    folder.write("1.xml", QByteArray(43, 'x'));
    folder.write("2.xml.bak", QByteArray(4900, 'x'));
    folder.write("Velmox.lock", "");
    folder.write("data/8.txt", "1");
    folder.write("picture.jpeg", "1");
    {
        QFile f(folder.file("1.xml"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            f.setFileTime(QDateTime(QDate(2019, 12, 11), QTime(9, 5)), QFileDevice::FileModificationTime));
    }
    for (const int width : {0, 1000}) {
        SCOPED_TRACE(width ? "1000 px wide" : "as it opens");
        const std::unique_ptr<QFileDialog> dialog =
            ui::makeFileDialog(false, "Все файлы|*;", folder.file("1.xml"), nullptr);
        if (width) dialog->resize(width, dialog->height());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_NE(list, nullptr);
        const QAbstractItemModel* model = list->model();
        const QModelIndex root = list->rootIndex();
        // The list fills from a background thread, the sizes last.
        const auto sizeOf = [&](const QString& name) {
            for (int row = 0; row < model->rowCount(root); ++row)
                if (model->index(row, 0, root).data().toString() == name)
                    return model->index(row, 1, root).data().toString();
            return QString();
        };
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return sizeOf("2.xml.bak") == "4,79 кБ" && model->rowCount(root) == 5; }, 10000));
        QCoreApplication::processEvents();
        const QFontMetrics metrics(list->font());
        // The room a cell's text has: its rectangle less the delegate's margin on either side.
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        QStringList seen;
        for (int row = 0; row < model->rowCount(root); ++row) {
            for (int column = 1; column <= 3; ++column) {
                const QModelIndex at = model->index(row, column, root);
                const QString text = at.data().toString();
                seen << text;
                EXPECT_LE(metrics.horizontalAdvance(text) + margins, list->visualRect(at).width())
                    << "«" << text.toStdString() << "» in column " << column;
            }
        }
        for (const char* whole :
             {"11.12.2019 09:05", "Файл XML", "Резервная копия", "Файл блокировки", "4,79 кБ"})
            EXPECT_TRUE(seen.contains(QString::fromUtf8(whole))) << whole;
        QHeaderView* header = list->header();
        for (int column = 0; column <= 3; ++column)
            EXPECT_LE(header->sectionSizeHint(column), header->sectionSize(column)) << "header " << column;
        // The names have the rest of the width.
        EXPECT_GE(header->length(), list->viewport()->width() - 1);
        const auto* places = dialog->findChild<QListView*>(QStringLiteral("sidebar"));
        ASSERT_NE(places, nullptr);
        EXPECT_LE(places->sizeHintForColumn(0), places->viewport()->width());
    }
}

// The size, type and date columns are as wide as the widest text each can show, whatever the folder
// holds: an empty folder has them so, and going into a folder of files or resizing the dialog leaves
// them as they are while the names take the rest.
TEST(QtDialogs, TheFileListsSizeTypeAndDateColumnsFitTheirWidestTextsWhateverTheFolderHolds) {
    ProgramFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.file("empty")));
    folder.write("notes.docx", "1");
    folder.write("2.xml.bak", "1");
    {
        // A gigabyte less a byte, all of it a hole: the widest size in megabytes.
        QFile big(folder.file("archive.bin"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize((qint64(1) << 30) - 1));
    }
    const std::unique_ptr<QFileDialog> dialog =
        ui::makeFileDialog(false, "Все файлы|*;", folder.file("empty/1.xml"), nullptr);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    QHeaderView* header = list->header();
    QCoreApplication::processEvents();
    ASSERT_EQ(list->model()->rowCount(list->rootIndex()), 0);

    const QFontMetrics metrics(list->font());
    const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    const struct {
        int column;
        QString text;
    } widest[] = {
        {1, ui::russianFileSize(1023)},
        {1, ui::russianFileSize((qint64(1) << 30) - 1)},
        {1, ui::russianFileSize((qint64(1) << 40) - 1)},
        {2, "Файл блокировки"},
        {2, "Резервная копия"},
        {2, "Текстовый файл"},
        {2, "Файл DOCX"},
        {3, QLocale(QLocale::Russian, QLocale::Russia)
                .toString(QDateTime(QDate(2008, 10, 28), QTime(20, 58)), QLocale::ShortFormat)},
    };
    for (const auto& w : widest)
        EXPECT_LE(metrics.horizontalAdvance(w.text) + margins, header->sectionSize(w.column))
            << "«" << w.text.toStdString() << "» in column " << w.column;
    const int sizes[] = {header->sectionSize(1), header->sectionSize(2), header->sectionSize(3)};

    dialog->setDirectory(folder.path());
    const QAbstractItemModel* model = list->model();
    const auto shown = [&](const QString& name, int column) {
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row)
            if (model->index(row, 0, list->rootIndex()).data().toString() == name)
                return model->index(row, column, list->rootIndex()).data().toString();
        return QString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown("archive.bin", 1) == widest[1].text; }, 10000))
        << shown("archive.bin", 1).toStdString();
    EXPECT_EQ(shown("notes.docx", 2), "Файл DOCX");
    for (const int width : {1200, 500, 900}) {
        SCOPED_TRACE(testing::Message() << width << " px wide");
        dialog->resize(width, dialog->height());
        QCoreApplication::processEvents();
        for (int column = 1; column <= 3; ++column)
            EXPECT_EQ(header->sectionSize(column), sizes[column - 1]) << "column " << column;
        EXPECT_GE(header->length(), list->viewport()->width() - 1) << "the names have the rest";
    }
}

// The set-up opens on the choice in force: after "Печать в файл (PDF)" the PDF choice with its file
// name, not the system's printer with the file field greyed out; accepted as it opens, it keeps it.
// Qt's dialog went wrong only where the system has a printer (a CUPS queue), which it took instead.
TEST(QtDialogs, ThePrinterSetUpOpensOnThePdfFileChosenBefore) {
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("диплом.pdf"));
    QPrinter target(QPrinter::HighResolution);
    target.setOutputFormat(QPrinter::PdfFormat);
    target.setOutputFileName(file);
    const std::unique_ptr<QPrintDialog> setup = ui::makePrinterSetupDialog(target, nullptr);
    setup->show();
    const auto* printers = setup->findChild<QComboBox*>(QStringLiteral("printers"));
    const auto* fileField = setup->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_NE(printers, nullptr);
    ASSERT_NE(fileField, nullptr);
    EXPECT_EQ(printers->currentText().remove(u'&'), QStringLiteral("Печать в файл (PDF)"))
        << "of " << printers->count() << " choices";
    EXPECT_TRUE(fileField->isEnabled());
    EXPECT_EQ(fileField->text(), file);
    setup->accept();
    EXPECT_EQ(target.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(target.outputFileName(), file);
}

// Qt's file dialog keeps the folder it was last in in the user's Qt settings: the tests' dialogs keep
// theirs in the test binary's own settings, never in those of the user running the tests.
TEST(QtDialogs, TheTestsFileDialogsKeepTheirLastFolderOutOfTheUsersHome) {
    ProgramFolder folder;
    {
        const std::unique_ptr<QFileDialog> save =
            ui::makeFileDialog(true, "XML|*.xml;", folder.file("start.xml"), nullptr);
        ASSERT_EQ(savedAs(*save, "export"), folder.file("export.xml"));
    }
    const QSettings qtSettings(QSettings::UserScope, QStringLiteral("QtProject"));
    EXPECT_FALSE(qtSettings.fileName().startsWith(QDir::homePath() + u'/'))
        << qtSettings.fileName().toStdString();
    EXPECT_EQ(QUrl(qtSettings.value(QStringLiteral("FileDialog/lastVisited")).toString()).toLocalFile(),
              QDir(folder.path()).canonicalPath())
        << "the dialog's last folder, written where the file name above says";
}
