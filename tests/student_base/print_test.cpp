// The print dialog and the road of one diploma: from the student base to the printed blank.
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <pwd.h>
#include <unistd.h>

#include "common/text_file.h"
#include "platform/printer.h"
#include "printed_page.h"
#include "student_base_fixture.h"
#include "support/print_guard.h"

using velmox::BazaVazed;
using velmox::Print1;
using velmox::Vazed;

namespace {

int pictureNumber(const ui::PictureBox& p) {
    return p.picture().isNull() ? 0 : p.picture().width() - 10;
}
int pictureFolder(const ui::PictureBox& p) {
    return p.picture().isNull() ? 0 : p.picture().height() - 10;
}

// The four controls that lie on the main window beside the field labels.
std::vector<const ui::Control*> besideTheFields(const Vazed& v) {
    return {&v.Frame1, &v.VScroll1, &v.HScroll1, &v.Label46};
}

class PrintDialogTest : public StudentBaseTest {
protected:
    void SetUp() override {
        StudentBaseTest::SetUp();
        pdf = folder.file("page.pdf");
        ui::printer().setOutputPdf(pdf);
    }
    void TearDown() override {
        ui::printer().setOutputPdf({});
        StudentBaseTest::TearDown();
    }

    // Every field label's text is printed once, on its baseline and at its horizontal place, and
    // the page holds no other text.
    void expectExactlyTheFieldLabels(const Vazed& v, const std::vector<PrintedWord>& words) const;
    // Nothing but the field labels leaves ink: not the entry panel, the scroll bars or Label46.
    void expectInkOnlyInsideTheFieldLabels(const Vazed& v, const QImage& page, int dpi) const;

    QString pdf;
};

void PrintDialogTest::expectExactlyTheFieldLabels(const Vazed& v,
                                                  const std::vector<PrintedWord>& words) const {
    std::vector<bool> used(words.size());
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        const ui::Label& l = v.*f.label;
        const QStringList parts = l.caption().split(u' ', Qt::SkipEmptyParts);
        ASSERT_FALSE(parts.isEmpty()) << "field " << f.key << " has no text to print";
        const double baseline = expectedBaseline(l);
        const double reference = expectedReference(l);
        std::vector<size_t> best;
        double bestDistance = std::numeric_limits<double>::infinity();
        // Where each word starts in the caption.
        std::vector<int> starts;
        for (qsizetype k = 0, from = 0; k < parts.size(); ++k) {
            from = l.caption().indexOf(parts[k], from);
            starts.push_back(int(from));
            from += parts[k].size();
        }
        for (size_t i = 0; i + size_t(parts.size()) <= words.size(); ++i) {
            std::vector<const PrintedWord*> run;
            std::vector<size_t> at;
            for (qsizetype k = 0; k < parts.size(); ++k) {
                const PrintedWord& w = words[i + size_t(k)];
                if (used[i + size_t(k)] || w.text != parts[k] ||
                    std::abs(baselineOf(w, l, starts[size_t(k)]) - baseline) > kTolerancePt)
                    break;
                run.push_back(&w);
                at.push_back(i + size_t(k));
            }
            if (run.size() != size_t(parts.size())) continue;
            const double distance = std::abs(printedReference(run, l) - reference);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = at;
            }
        }
        ASSERT_FALSE(best.empty()) << "field " << f.key << " (\"" << l.caption().toStdString()
                                   << "\") is not on its baseline";
        EXPECT_LE(bestDistance, kTolerancePt)
            << "field " << f.key << " \"" << l.caption().toStdString() << "\"";
        for (size_t i : best) used[i] = true;
    }
    for (size_t i = 0; i < words.size(); ++i)
        EXPECT_TRUE(used[i]) << "printed, but no field label's: \"" << words[i].text.toStdString() << "\" at "
                             << words[i].xMin << "," << words[i].yMin;
}

void PrintDialogTest::expectInkOnlyInsideTheFieldLabels(const Vazed& v, const QImage& page, int dpi) const {
    ASSERT_FALSE(page.isNull()) << "the page could not be rendered";
    const double twipsPerDot = ui::kTwipsPerInch / dpi;
    int stray = 0;
    QString first;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) >= 245) continue;
            const QPointF at((x + 0.5) * twipsPerDot, (y + 0.5) * twipsPerDot);
            bool inLabel = false;
            for (const velmox::PrintField& f : velmox::kPrintFields) {
                const ui::Label& l = v.*f.label;
                const QRectF box(l.left().value, l.top().value, l.width().value, l.height().value);
                inLabel = inLabel ||
                          box.adjusted(-2 * twipsPerDot, -2 * twipsPerDot, 2 * twipsPerDot, 2 * twipsPerDot)
                              .contains(at);
            }
            if (inLabel) continue;
            if (stray++ == 0) first = QStringLiteral("%1,%2 twips").arg(at.x()).arg(at.y());
        }
    }
    EXPECT_EQ(stray, 0) << "ink outside every field label, first at " << first.toStdString();
}
}  // namespace

TEST_F(PrintDialogTest, RoadOfOneDiplomaFromTheStudentBaseToThePrintedBlank) {
    if (const QString tool = missingPopplerTool(); !tool.isEmpty())
        GTEST_SKIP() << tool.toStdString() << " (poppler-utils) is needed to read the printed page back";
    // Every entry control holds a short text of its own; the font row is Times New Roman 10.
    QStringList values = lastValues();
    for (int line = 1; line <= 47; ++line)
        if (line < 42 || line > 44) values[line - 1] = QString::number(line);
    folder.write("2.txt", crlf(values));
    writeBase({kKasymov, kOmirbekova, kIvanova});
    Vazed& v = start();
    expose(v);

    // "Загрузить данные": the picker fills, its first student is picked at once, and the student
    // base window was loaded for it without being shown.
    click(v, v.Image1);
    EXPECT_EQ(pickerItems(v), (QStringList{"Касымов Ерлан Серикович", "Омирбекова Айгерим Бауыржановна",
                                           "Иванова Анна Петровна"}));
    EXPECT_EQ(pickedEntries(v),
              (QStringList{"Қасымов Ерлан", "Серікұлы", "Касымов Ерлан", "Серикович", "2019", "0001243"}));
    EXPECT_EQ(v.Label2.caption(), QStringLiteral("Серікұлы"));
    EXPECT_EQ(v.Label25.caption(), QStringLiteral("Серикович"));
    ASSERT_TRUE(ui::formLoaded<BazaVazed>());
    EXPECT_FALSE(ui::form<BazaVazed>().isShown());

    // Another student, chosen with the keyboard.
    auto* picker = static_cast<QComboBox*>(v.Combo1.widget());
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Down);
    EXPECT_EQ(pickedEntries(v), (QStringList{"Өмірбекова Әйгерім", "Бауыржанқызы", "Омирбекова Айгерим",
                                             "Бауыржановна", "2019", "0001244"}));

    // "Отправить на печать": the dialog names whose diploma it is.
    click(v, v.Image201);
    Print1& p = ui::form<Print1>();
    EXPECT_TRUE(p.isShown());
    EXPECT_EQ(p.Label1.caption(), QStringLiteral("Өмірбекова Әйгерім Бауыржанқызы"));
    EXPECT_EQ(p.Label3.caption(), QStringLiteral("0001244"));

    expose(p);
    click(p, p.Image1);
    EXPECT_TRUE(p.isShown());
    EXPECT_TRUE(services->messages.empty());
    for (const ui::Control* c : besideTheFields(v)) EXPECT_TRUE(c->visible()) << c->name().toStdString();
    EXPECT_EQ(ui::printer().paperSize(), ui::Printer::kPaperA4);

    ASSERT_TRUE(QFileInfo(pdf).size() > 0) << "nothing was printed";
    expectExactlyTheFieldLabels(v, printedWords(pdf));
    expectInkOnlyInsideTheFieldLabels(v, printedPage(pdf, 36), 36);
}

// Each field's text lies where its twips say, to one dot of a 600-dpi printer: a fixed-width label
// places its text inside its design width as its alignment says; an autosize label's box is its
// text's width from its Left, so its text starts at its Left whatever the alignment.
TEST_F(PrintDialogTest, EveryFieldsTextLiesWithinOnePrinterDotOfItsTwips) {
    if (const QString tool = missingPopplerTool(); !tool.isEmpty())
        GTEST_SKIP() << tool.toStdString() << " (poppler-utils) is needed to read the printed page back";
    constexpr double kDotPt = 72.0 / 600;
    Vazed& v = start();
    // Each text as long as its field takes without running into the next one: its design width,
    // or for an autosize field the room before the next field on its line, and for an entry
    // control that feeds two fields the narrower of the two.
    std::map<const ui::Control*, QString> texts;
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        const ui::Label& l = v.*f.label;
        const QFontMetricsF m(ui::toTwipsFont(l.font()));
        const float room = l.autoSize() ? 1200 : l.width().value;
        QString text = QStringLiteral("Жолдасбекова");
        while (text.size() > 1 && m.horizontalAdvance(text) > room) text.chop(1);
        QString& entry = texts[&f.entry.control(v)];
        if (entry.isEmpty() || text.size() < entry.size()) entry = text;
    }
    for (const velmox::PrintField& f : velmox::kPrintFields) f.entry.set(v, texts[&f.entry.control(v)]);
    v.Image201_Click();
    ui::form<Print1>().Image1_Click();
    const std::vector<PrintedWord> words = printedWords(pdf);
    ASSERT_FALSE(words.empty()) << "nothing was printed";

    for (const velmox::PrintField& f : velmox::kPrintFields) {
        const ui::Label& l = v.*f.label;
        SCOPED_TRACE("field " + std::string(f.key) + " \"" + l.caption().toStdString() + "\"");
        const double advance =
            QFontMetricsF(ui::toTwipsFont(l.font())).horizontalAdvance(l.caption()) / ui::kTwipsPerPoint;
        const double left = l.left().toPoints(), width = l.width().toPoints();
        double start = left;
        if (!l.autoSize() && l.alignment() == ui::Alignment::Center) start = left + (width - advance) / 2;
        if (!l.autoSize() && l.alignment() == ui::Alignment::Right) start = left + width - advance;
        // Fields fed by one entry control print the same text elsewhere: the nearest one is this one.
        const PrintedWord* printed = nullptr;
        const double baseline = expectedBaseline(l);
        for (const PrintedWord& w : words) {
            if (w.text != l.caption() || std::abs(baselineOf(w, l, 0) - baseline) > kTolerancePt) continue;
            if (!printed || std::abs(w.xMin - start) < std::abs(printed->xMin - start)) printed = &w;
        }
        ASSERT_NE(printed, nullptr) << "not on its baseline";
        EXPECT_NEAR(printed->xMin, start, kDotPt) << "off by " << (printed->xMin - start) << " pt";
        EXPECT_NEAR(printed->xMax - printed->xMin, advance, kDotPt);
    }
}

TEST_F(PrintDialogTest, ThePrintTakesTheMainWindowAsItIsAndGivesItBackWithNoFieldRed) {
    writeBase({kKasymov});
    Vazed& v = start();
    v.Image1_Click();
    // The layout view, with a field selected in red.
    v.Image15_Click();
    v.Label5.onClick();
    ASSERT_EQ(v.Label5.foreColor(), 255u);
    v.Image201_Click();
    Print1& p = ui::form<Print1>();
    p.Image1_Click();
    p.Image1_Click();  // twice in a row: the dialog stays open after each
    EXPECT_TRUE(p.isShown());
    EXPECT_EQ(v.Frame1.height().value, 1300);
    for (const ui::Control* c : besideTheFields(v)) EXPECT_TRUE(c->visible()) << c->name().toStdString();
    for (const velmox::PrintField& f : velmox::kPrintFields)
        EXPECT_EQ((v.*f.label).foreColor(), ui::syscolor::kButtonText) << f.key;
    EXPECT_EQ(v.Text100.text(), QStringLiteral("5"));
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    // The key stays, so the bars still move the field that is no longer red.
    v.HScroll1.setValue(v.HScroll1.value() + 20);
    EXPECT_EQ(v.Label5.left().value, float(v.HScroll1.value()));
}

TEST_F(PrintDialogTest, AFailedPrintShowsTheWindowAgainHidesTheDialogAndSaysWhyNoDiplomaCameOut) {
    struct Case {
        const char* what;
        QString pdf;     // empty: the system's default printer
        QString reason;  // what the message names
    };
    folder.write("blocker", "a regular file");
    std::vector<Case> cases = {
        {"the page cannot be made", folder.file("blocker/page.pdf"),
         QStringLiteral("не удалось создать файл")},
    };
    // Only where no default printer exists: a test never sends a job to a real printer.
    if (QPrinterInfo::defaultPrinterName().isEmpty())
        cases.push_back({"no printer", QString(), QStringLiteral("в системе нет принтера по умолчанию")});
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services->messages.clear();
        ui::printer().setOutputPdf(c.pdf);
        v.Label7.setForeColor(255);
        v.Image201_Click();
        Print1& p = ui::form<Print1>();
        ASSERT_TRUE(p.isShown());
        p.Image1_Click();
        EXPECT_FALSE(p.isShown());
        EXPECT_TRUE(p.isLoaded());
        for (const ui::Control* c : besideTheFields(v)) EXPECT_TRUE(c->visible()) << c->name().toStdString();
        EXPECT_EQ(v.Label7.foreColor(), ui::syscolor::kButtonText);
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(services->messages[0].text.startsWith(QStringLiteral("Диплом не напечатан: ") + c.reason))
            << services->messages[0].text.toStdString();
        EXPECT_FALSE(services->messages[0].text.contains(u'\n'));
    }
}

TEST_F(PrintDialogTest, TheOpeningCopiesNameAndNumberAndOnlyTheNextOpeningSeesNewOnes) {
    struct Case {
        QString text2, text3, text14;
        QString name, number;
    };
    const Case cases[] = {
        {"Иванова Анна", "Петровна", "0001245", "Иванова Анна Петровна", "0001245"},
        {"", "", "", " ", ""},
        {"Ким", "", " 12 ", "Ким ", " 12 "},
        {"", "Сергеевна", "№ 7", " Сергеевна", "№ 7"},
    };
    Vazed& v = start();
    for (const Case& c : cases) {
        v.Text2.setText(c.text2);
        v.Text3.setText(c.text3);
        v.Text14.setText(c.text14);
        v.Image201_Click();
        Print1& p = ui::form<Print1>();
        EXPECT_EQ(p.Label1.caption(), c.name);
        EXPECT_EQ(p.Label3.caption(), c.number);
        EXPECT_TRUE(p.isShown());
        // A change while the dialog is open does not reach it.
        v.Text14.setText(QStringLiteral("позже"));
        EXPECT_EQ(p.Label3.caption(), c.number);
        p.Image4_Click();  // cancel hides it
        EXPECT_FALSE(p.isShown());
    }
    // The reopening of a hidden dialog reads no settings file; after the close box it does.
    folder.write("data\\lang.txt", "Kaz\r\n");
    v.Image201_Click();
    EXPECT_EQ(ui::form<Print1>().caption(), QStringLiteral("Печать данных"));
    ui::form<Print1>().unload();
    settle();
    v.Image201_Click();
    EXPECT_EQ(ui::form<Print1>().caption(), QStringLiteral("Деректерді басып шығару"));
    EXPECT_EQ(ui::form<Print1>().Label3.caption(), QStringLiteral("позже"));
}

// The print queue shows each job by whose diploma it is: the name and number the dialog shows.
TEST_F(PrintDialogTest, TheJobIsTitledWithTheNameAndNumberTheDialogShows) {
    if (const QString tool = missingPopplerTool(); !tool.isEmpty())
        GTEST_SKIP() << tool.toStdString() << " (poppler-utils) is needed to read the printed file back";
    struct Case {
        QString text2, text3, text14;
        QString title;
    };
    const Case cases[] = {
        {"Өмірбекова Әйгерім", "Бауыржанқызы", "0001244", "Velmox — Өмірбекова Әйгерім Бауыржанқызы 0001244"},
        {"Ким", "", " 12 ", "Velmox — Ким 12"},
        {"", "", "0001245", "Velmox — 0001245"},
        {"", "", "", "Velmox"},
        {" ", "  ", " ", "Velmox"},
    };
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        v.Text2.setText(c.text2);
        v.Text3.setText(c.text3);
        v.Text14.setText(c.text14);
        v.Image201_Click();
        QFile::remove(pdf);
        ui::form<Print1>().Image1_Click();
        EXPECT_EQ(printedTitle(pdf), c.title);
        ui::form<Print1>().Image4_Click();
    }
}

TEST_F(PrintDialogTest, LanguageCodesTakeTheTitleAndCaptionFromTheTranslationTable) {
    struct Texts {
        QString title, label2, printTip, cancelTip;
    };
    const Texts design = {"Печать данных", "Под номером", "", ""};
    const Texts kazakh = {"Деректерді басып шығару", "Нөмірі", "Басып шығару", "Басып шығарудан бас тарту"};
    const Texts russian = {"Печать данных", "Под номером", "Отправить на печать", "Отменить печать"};
    struct Case {
        const char* code;
        const Texts& expected;
    };
    const Case cases[] = {{"Kaz", kazakh},   {"KAZ", kazakh}, {"Rus", russian}, {"rus", russian},
                          {" Kaz", russian}, {"", russian},   {"Kaz", kazakh}};
    folder.write("data\\lang.txt", "Eng\r\n");
    start();
    Print1& p = ui::form<Print1>();
    const auto seen = [&p] {
        return QStringList{p.caption(), p.Label2.caption(), p.Image1.toolTipText(), p.Image4.toolTipText()};
    };
    const auto list = [](const Texts& t) { return QStringList{t.title, t.label2, t.printTip, t.cancelTip}; };
    EXPECT_EQ(seen(), list(design));
    for (const Case& c : cases) {
        p.Text2.setText(QString::fromLatin1(c.code));
        EXPECT_EQ(seen(), list(c.expected)) << '"' << c.code << '"';
    }
}

TEST_F(PrintDialogTest, SkinsSetBackgroundPicturesAndLabelColoursAndOtherNamesChangeNothing) {
    writeSkinPictures({27, 28, 29, 30});
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Синий скин\r\n")));
    start();
    Print1& p = ui::form<Print1>();
    const ui::PictureBox* pictures[] = {&p.Image1, &p.Image2, &p.Image3, &p.Image4, &p.Image5, &p.Image6};
    const int numbers[] = {27, 27, 28, 29, 29, 30};
    EXPECT_EQ(p.backColor(), 0x00FBE3C8u);
    EXPECT_EQ(p.Label1.foreColor(), 0x00000080u);
    EXPECT_EQ(p.Label2.foreColor(), 0x00000000u);
    EXPECT_EQ(p.Label3.foreColor(), 0x00000080u);
    for (const ui::PictureBox* b : pictures) EXPECT_TRUE(b->picture().isNull());

    struct Case {
        const char16_t* name;
        ui::OleColor background, labels;
        int folder;
    };
    const Case cases[] = {
        {u"Темный скин", 0x00404040, 0x00FFC0FF, 4},   {u"Желтый скин", 0x80000018, 0x80000012, 3},
        {u"Темный Скин", 0x80000018, 0x80000012, 3},   {u"Белый интерактив скин", 0x8000000B, 0x80000012, 2},
        {u"Основной скин", 0x00FBE3C8, 0x80000012, 1}, {u"Основной", 0x00FBE3C8, 0x80000012, 1},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        p.Text1.setText(name);
        EXPECT_EQ(p.backColor(), c.background);
        for (const ui::Label* l : {&p.Label1, &p.Label2, &p.Label3}) EXPECT_EQ(l->foreColor(), c.labels);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(pictureNumber(*pictures[i]), numbers[i]) << pictures[i]->name().toStdString();
            EXPECT_EQ(pictureFolder(*pictures[i]), c.folder) << pictures[i]->name().toStdString();
        }
    }
}

TEST_F(PrintDialogTest, TheButtonUnderThePointerShowsItsHoverPictureAndTheBackgroundRestoresBoth) {
    writeSkinPictures({27, 28, 29, 30});
    Vazed& v = start();
    v.Image201_Click();
    Print1& p = ui::form<Print1>();
    expose(p);
    struct Step {
        const char* what;
        std::function<void()> act;
        int print, cancel;
    };
    const Step steps[] = {
        {"onto the print button", [&] { moveOver(p, p.Image1); }, 28, 29},
        {"onto the cancel button", [&] { moveOver(p, p.Image4); }, 27, 30},
        {"over a label", [&] { moveOver(p, p.Label3); }, 27, 30},
        {"over the background", [&] { moveOverSurface(p, 300, 1900); }, 27, 29},
        {"onto the print button again", [&] { moveOver(p, p.Image1); }, 28, 29},
        {"press on it", [&] { pressOn(p, p.Image1); }, 27, 29},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(pictureNumber(p.Image1), s.print) << s.what;
        EXPECT_EQ(pictureNumber(p.Image4), s.cancel) << s.what;
    }
    // The release over the button completes the click: the print runs.
    QTest::mouseRelease(p.window()->windowHandle(), Qt::LeftButton, {},
                        p.Image1.widget()->mapTo(p.window(), p.Image1.widget()->rect().center()));
    settle();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

TEST_F(PrintDialogTest, MissingSettingsFilesAndPicturesNeverStopTheDialogFromOpening) {
    Vazed& v = start();
    for (const char* file : {"data\\lang.txt", "data\\Skin.txt"}) QFile::remove(folder.file(file));
    v.Image201_Click();
    Print1& p = ui::form<Print1>();
    EXPECT_TRUE(p.isShown());
    EXPECT_EQ(p.caption(), QStringLiteral("Печать данных"));
    EXPECT_EQ(p.Label2.caption(), QStringLiteral("Под номером"));
    p.Text1.setText(QStringLiteral("Желтый скин"));
    EXPECT_EQ(p.backColor(), 0x80000018u);
    EXPECT_TRUE(p.Image1.picture().isNull());
    EXPECT_TRUE(services->messages.empty());
    // Without pictures the buttons still click.
    expose(p);
    click(p, p.Image4);
    EXPECT_FALSE(p.isShown());
}

// The layout workbook places row 8's field below the main window's client area, which ends at 8820
// twips (441 pt): it does not reach the file, not even as text clipped from view; row 10's, across
// the bottom edge, still prints its part. (A field beside the client area is the platform's test:
// on A4 the paper ends there.)
TEST_F(PrintDialogTest, AFieldTheLayoutPlacesWhollyOutsideTheClientAreaIsNotPrinted) {
    if (const QString tool = missingPopplerTool(); !tool.isEmpty())
        GTEST_SKIP() << tool.toStdString() << " (poppler-utils) is needed to read the printed page back";
    workbook::Workbook layout;
    layout.loadFromBytes(shippedLayout());
    layout.activeSheet().setText(8, 3, QStringLiteral("16000"));
    layout.activeSheet().setText(10, 3, QStringLiteral("8700"));
    folder.write("1.xml", layout.toBytes());
    Vazed& v = start();
    ASSERT_EQ(v.Label8.top().value, 16000);
    v.Combo5.setText(QStringLiteral("Ниже"));
    v.Combo7.setText(QStringLiteral("Поперёк"));
    ASSERT_EQ(v.Label8.caption(), QStringLiteral("Ниже"));
    v.Image201_Click();
    ui::form<Print1>().Image1_Click();
    QStringList printed;
    for (const PrintedWord& w : printedWords(pdf)) {
        printed << w.text;
        EXPECT_LT(w.yMin, 441) << w.text.toStdString() << " lies below the client area";
    }
    EXPECT_FALSE(printed.contains(QStringLiteral("Ниже"))) << printed.join(" ").toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Поперёк"))) << printed.join(" ").toStdString();
}

namespace {
// The folder the PDF printer of CUPS (cups-pdf) puts the jobs of the account `user`, whose home is
// `home`, in, by the lines of its configuration: the last "Out" line's, else ${HOME}/PDF, as Debian
// ships it, with ${HOME} and ${USER} filled in.
QString cupsPdfFolder(const QStringList& config, const QString& home, const QString& user) {
    QString out = QStringLiteral("${HOME}/PDF");
    static const QRegularExpression outLine(QStringLiteral(R"(^\s*Out\s+(\S.*?)\s*$)"));
    for (const QString& line : config)
        if (const auto m = outLine.match(line); m.hasMatch()) out = m.captured(1);
    return out.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("${USER}"), user);
}

// Where the PDF printer puts this account's jobs: VELMOX_CUPS_PDF_OUT, else the folder its
// configuration names. The print system fills in the home that the account database gives the job's
// user, not $HOME.
QString cupsPdfOutput() {
    if (const QString out = qEnvironmentVariable("VELMOX_CUPS_PDF_OUT"); !out.isEmpty()) return out;
    QString home = QDir::homePath();
    QString user = qEnvironmentVariable("USER");
    if (const passwd* account = ::getpwuid(::getuid())) {
        home = QFile::decodeName(account->pw_dir);
        user = QFile::decodeName(account->pw_name);
    }
    return cupsPdfFolder(textfile::readLines(QStringLiteral("/etc/cups/cups-pdf.conf")).lines, home, user);
}

// Whether a file the PDF printer wrote holds the job of this title. cups-pdf puts the title's UTF-8
// bytes into the file undecoded, in brackets, so a reader makes other letters of those beyond
// ASCII; its ASCII characters, which no byte of another letter's UTF-8 can mimic, stay as they were.
bool holdsTheJobTitled(const QString& pdf, const QString& title) {
    const auto asciiWords = [](const QString& text) {
        QString ascii;
        for (const QChar c : text)
            if (c.unicode() < 0x80) ascii += c;
        if (ascii.startsWith(u'(') && ascii.endsWith(u')')) ascii = ascii.mid(1, ascii.size() - 2);
        return ascii.split(u' ', Qt::SkipEmptyParts);
    };
    const QString printed = printedTitle(pdf);
    return printed == title || asciiWords(printed) == asciiWords(title);
}
}  // namespace

// The system-printer test looks for its page where the PDF printer's configuration says it goes.
TEST(CupsPdfFolder, TheLastOutLineWithHomeAndUserFilledInElseTheHomesPdfFolder) {
    struct Case {
        const char* what;
        QStringList config;
        QString folder;
    };
    const Case cases[] = {
        {"no configuration", {}, "/home/ann/PDF"},
        {"as Debian ships it",
         {"### Key: Out (config)", "##     ${HOME} will be expanded to the user's home directory",
          "### Default: /var/spool/cups-pdf/${USER}", "", "Out ${HOME}/PDF", "#AnonDirName /x"},
         "/home/ann/PDF"},
        {"the line commented out", {"#Out /srv/pdf"}, "/home/ann/PDF"},
        {"the user's name", {"Out /var/spool/cups-pdf/${USER}"}, "/var/spool/cups-pdf/ann"},
        {"the last line wins", {"Out /srv/first", "Out ${HOME}/second"}, "/home/ann/second"},
        {"spaces around and within", {"  Out \t/srv/printed pages/${USER}  "}, "/srv/printed pages/ann"},
        {"another key", {"OutDir /srv/pdf", "AnonDirName /srv/anon"}, "/home/ann/PDF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cupsPdfFolder(c.config, QStringLiteral("/home/ann"), QStringLiteral("ann")), c.folder)
            << c.what;
}

TEST_F(PrintDialogTest, PrintsThroughTheSystemsPrintSystemWhenItsDefaultPrinterWritesPdf) {
    // The job goes to the machine's default printer, which may be a real one: only when asked.
    const SystemPrinterScope systemPrinter;
    if (!systemPrinter.allowed())
        GTEST_SKIP() << "sends a job to the default printer; set VELMOX_TEST_SYSTEM_PRINTER=1 to run it "
                        "(with a PDF printer, cups-pdf, as the default)";
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        GTEST_SKIP() << "no default printer: run CUPS with a PDF printer (cups-pdf) as the default to print "
                        "through the real print system";
    if (!printer.makeAndModel().contains(u"PDF", Qt::CaseInsensitive) &&
        !printer.printerName().contains(u"PDF", Qt::CaseInsensitive))
        GTEST_SKIP() << "the default printer \"" << printer.printerName().toStdString()
                     << "\" does not write PDF files, so its page cannot be read back";
    // The PDF printer makes its output folder with the first job it writes, so the folder need not
    // be there yet.
    const QString out = cupsPdfOutput();
    if (const QString tool = missingPopplerTool(); !tool.isEmpty())
        GTEST_SKIP() << tool.toStdString() << " (poppler-utils) is needed to read the printed page back";

    constexpr int kDpi = 144;
    writeBase({kIvanova});
    Vazed& v = start();
    v.Image1_Click();
    // A registration number of this run's own: another job in the queue, of another program or
    // of an earlier run, never bears the title this job is found by.
    v.Text14.setText(QString::number(QDateTime::currentMSecsSinceEpoch()));
    v.Image201_Click();
    Print1& p = ui::form<Print1>();
    const QString title = QStringLiteral("Velmox — %1 %2").arg(p.Label1.caption(), p.Label3.caption());
    // The same print to a file first: the page the print system must give back.
    p.Image1_Click();
    const std::vector<PrintedWord> expected = printedWords(pdf);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(printedTitle(pdf), title);

    const QDateTime handedOver = QDateTime::currentDateTime().addSecs(-1);
    ui::printer().setOutputPdf({});
    p.Image1_Click();
    ASSERT_TRUE(p.isShown()) << "the print failed and hid the dialog";
    // The print system writes the file some time after the job was handed over; it is complete
    // when its words can be read.
    QString printed;
    QImage page;
    const bool arrived = QTest::qWaitFor(
        [&] {
            for (const QFileInfo& f : QDir(out).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
                if (printed.isEmpty() && f.lastModified() >= handedOver &&
                    holdsTheJobTitled(f.filePath(), title))
                    printed = f.filePath();
            if (!printed.isEmpty()) page = printedPage(printed, kDpi);
            return !page.isNull();
        },
        120000);
    ASSERT_TRUE(arrived) << "no readable page titled \"" << title.toStdString() << "\" appeared in "
                         << out.toStdString()
                         << "; where the PDF printer writes elsewhere, name its folder in VELMOX_CUPS_PDF_OUT";

    // A4, each word's ink where the file print has it: no margin, shift or scaling by the driver.
    // The print system may re-encode the fonts, so the pages are compared by their ink.
    EXPECT_NEAR(page.width(), 595 * kDpi / 72.0, 2);
    EXPECT_NEAR(page.height(), 842 * kDpi / 72.0, 2);
    const QImage reference = printedPage(pdf, kDpi);
    for (const PrintedWord& w : expected) {
        const QRectF box(QPointF(w.xMin - 1, w.yMin), QPointF(w.xMax + 1, w.yMax));
        const std::optional<QPointF> want = inkCentre(reference, kDpi, box);
        const std::optional<QPointF> got = inkCentre(page, kDpi, box);
        ASSERT_TRUE(want && got) << w.text.toStdString() << " left no ink";
        EXPECT_NEAR(got->x(), want->x(), kTolerancePt) << w.text.toStdString();
        EXPECT_NEAR(got->y(), want->y(), kTolerancePt) << w.text.toStdString();
    }
}
