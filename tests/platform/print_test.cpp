// A printed window: each label's text lands on the page where its twips say, as vector text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <map>
#include <tuple>

#include "operator.h"
#include "platform/controls.h"
#include "platform/font.h"
#include "support/pdf_words.h"
#include "support/print_guard.h"
#include "support/program_folder.h"

namespace {

constexpr double kTolerancePt = 0.85;  // 0.3 mm
// The job's title, as the diploma print gives it.
const QString kTitle = QStringLiteral("Velmox — Иванова Анна 0001245");

double pt(float twips) {
    return twips / ui::kTwipsPerPoint;
}

using Word = PrintedWord;

// Runs a poppler tool on `pdf`; empty when it is missing or fails.
QString runTool(const QString& tool, const QStringList& args) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) return {};
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The title the printed file carries, which is the job's title in the print queue.
QString titleOf(const QString& pdf) {
    static const QRegularExpression title(QStringLiteral(R"(^Title:\s*(.*)$)"),
                                          QRegularExpression::MultilineOption);
    return title.match(runTool("pdfinfo", {pdf})).captured(1).trimmed();
}

void style(ui::Label& l, const QString& caption, ui::Alignment a, float size) {
    l.setFont({"Times New Roman", size});
    l.setAlignment(a);
    l.setCaption(caption);
}
void place(ui::Container& parent, ui::Label& l, const char* name, const ui::TwipsRect& r,
           const QString& caption, ui::Alignment a, float size = 12) {
    l.create(parent, name, r);
    style(l, caption, a, size);
}

// A blank the size of the paper, with fields as a window table places them.
class Blank : public ui::Form {
public:
    Blank() : Form("Blank") {
        setClientSize(ui::Twips(11906), ui::Twips(16838));
        place(*this, Alpha, "Alpha", {1800, 3360, 3000, 400}, "Alpha", ui::Alignment::Left);
        place(*this, Centred, "Centred", {4000, 5000, 4000, 400}, "Centred", ui::Alignment::Center);
        place(*this, Righted, "Righted", {2000, 7000, 5000, 400}, "Righted", ui::Alignment::Right);
        place(*this, Small, "Small", {6000, 3360, 3000, 300}, "Small", ui::Alignment::Left, 9.75f);
        place(*this, Cyrillic, "Cyrillic", {1800, 11000, 6000, 400}, "Иванов", ui::Alignment::Left);
        place(*this, Ampersand, "Ampersand", {1800, 12000, 3000, 400}, "R&D", ui::Alignment::Left);
        place(*this, Hidden, "Hidden", {1800, 9000, 3000, 400}, "Hidden", ui::Alignment::Left);
        for (auto [label, name, top, alignment] :
             {std::tuple{&AutoLeft, "AutoLeft", 13000, ui::Alignment::Left},
              std::tuple{&AutoCentred, "AutoCentred", 13500, ui::Alignment::Center},
              std::tuple{&AutoRight, "AutoRight", 14000, ui::Alignment::Right}}) {
            label->create(*this, name, {4650, float(top), 45, 225});
            label->setAutoSize(true);
            style(*label, name, alignment, 9.75f);
        }
        Hidden.setVisible(false);
        Frame1.create(*this, "Frame1", {1000, 9000, 6000, 1500});
        Frame1.setBackColor(0xFFFFFF);
        Inside.create(Frame1, "Inside", {500, 300, 3000, 400});
        style(Inside, "Inside", ui::Alignment::Left, 12);
    }

    ui::Label Alpha, Centred, Righted, Small, Cyrillic, Ampersand, Hidden;
    ui::Label AutoLeft, AutoCentred, AutoRight;
    ui::Frame Frame1;
    ui::Label Inside;
};

// The main window's client area, smaller than the paper, with fields beyond its edges.
class Window : public ui::Form {
public:
    Window() : Form("Window") {
        setClientSize(ui::Twips(kWidth), ui::Twips(kHeight));
        place(*this, Far, "Far", {1800, 16000, 3000, 400}, "Far", ui::Alignment::Left);
        place(*this, Right, "Right", {11400, 3000, 3000, 400}, "Rightmost", ui::Alignment::Left);
        place(*this, Bottom, "Bottom", {1800, 8500, 3000, 700}, "Bottom", ui::Alignment::Left, 24);
        place(*this, Beside, "Beside", {11890, 6000, 3000, 400}, "Beside", ui::Alignment::Left);
        place(*this, OffThePage, "OffThePage", {13000, 7000, 3000, 400}, "OffThePage", ui::Alignment::Left);
        Box.create(*this, "Box", {11400, 5000, 3000, 400});
        Box.setText(QStringLiteral("WWWWWWWW"));
        // A frame clips its own controls as the client area clips the window's.
        Panel.create(*this, "Panel", {1000, 500, 4000, 1000});
        Panel.setBackColor(0xFFFFFF);
        place(Panel, Within, "Within", {200, 200, 2000, 400}, "Within", ui::Alignment::Left);
        place(Panel, PastThePanel, "PastThePanel", {4200, 200, 2000, 400}, "PastThePanel",
              ui::Alignment::Left);
    }
    static constexpr float kWidth = 11880, kHeight = 8820;
    ui::Label Far, Right, Bottom, Beside, OffThePage;
    ui::TextBox Box;
    ui::Frame Panel;
    ui::Label Within, PastThePanel;
};

// The first page of `pdf` in grey at `dpi`.
QImage pageOf(const QString& pdf, int dpi, const ProgramFolder& folder) {
    const QString stem = folder.file("page");
    runTool("pdftoppm", {"-gray", "-r", QString::number(dpi), "-singlefile", pdf, stem});
    return QImage(stem + ".pgm");
}

class Printing : public testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are needed to read the printed page";
        pdf = folder.file("page.pdf");
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
        ui::printer().setOutputPdf(pdf);
        ui::printer().printForm(blank, kTitle);
        ui::printer().setOutputPdf({});
        words = wordsOf(runTool("pdftotext", {"-bbox", pdf, "-"}));
    }

    const Word* find(const QString& text) const {
        for (const Word& w : words)
            if (w.text == text) return &w;
        return nullptr;
    }
    // The baseline of a label's first line: its top plus the font's ascent.
    static double baseline(const ui::Label& l) {
        return pt(l.top().value) + pt(float(QFontMetricsF(ui::toTwipsFont(l.font())).ascent()));
    }
    // pdftotext puts a word's box from ascent to descent round its baseline, by the same font's
    // proportions; the baseline inside the box follows from them.
    static double baselineOf(const Word& w, const ui::Label& l) {
        const QFontMetricsF m(ui::toTwipsFont(l.font()));
        return w.yMin + (w.yMax - w.yMin) * m.ascent() / (m.ascent() + m.descent());
    }

    ScriptedScope services;
    ProgramFolder folder;
    QString pdf;
    Blank blank;
    std::vector<Word> words;
};

TEST_F(Printing, PageFollowsThePaperPropertyA4ByDefault) {
    struct Case {
        int paper;
        double width, height;
    };
    const Case cases[] = {{ui::Printer::kPaperA4, 595.28, 841.89}, {1, 612, 792}};
    for (const Case& c : cases) {
        const QString file = folder.file(QStringLiteral("paper%1.pdf").arg(c.paper));
        ui::printer().setPaperSize(c.paper);
        ui::printer().setOutputPdf(file);
        ui::printer().printForm(blank, kTitle);
        ui::printer().setOutputPdf({});
        ui::printer().setPaperSize(ui::Printer::kPaperA4);

        const QString info = runTool("pdfinfo", {file});
        static const QRegularExpression size(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)");
        const auto m = size.match(info);
        ASSERT_TRUE(m.hasMatch()) << c.paper << ": " << info.toStdString();
        EXPECT_NEAR(m.captured(1).toDouble(), c.width, 0.5) << c.paper;
        EXPECT_NEAR(m.captured(2).toDouble(), c.height, 0.5) << c.paper;
        EXPECT_TRUE(info.contains(QRegularExpression(R"(Pages:\s+1\b)"))) << info.toStdString();
    }
    EXPECT_EQ(ui::Printer().paperSize(), ui::Printer::kPaperA4);
}

TEST_F(Printing, EachLabelLandsWhereItsTwipsSay) {
    struct Case {
        const char* what;
        const ui::Label& label;
        QString word;
        float left;  // twips from the paper's left edge: the label's own, or its frame's plus its own
        float top;
    };
    const Case cases[] = {
        {"left aligned", blank.Alpha, "Alpha", 1800, 3360},
        {"smaller font", blank.Small, "Small", 6000, 3360},
        {"Cyrillic text", blank.Cyrillic, "Иванов", 1800, 11000},
        {"plain text with an ampersand", blank.Ampersand, "R&D", 1800, 12000},
        {"inside a frame", blank.Inside, "Inside", 1000 + 500, 9000 + 300},
    };
    for (const Case& c : cases) {
        const Word* w = find(c.word);
        ASSERT_NE(w, nullptr) << c.what << ": \"" << c.word.toStdString() << "\" is not on the page";
        EXPECT_NEAR(w->xMin, pt(c.left), kTolerancePt) << c.what;
        const double expectedBaseline =
            pt(c.top) + pt(float(QFontMetricsF(ui::toTwipsFont(c.label.font())).ascent()));
        EXPECT_NEAR(baselineOf(*w, c.label), expectedBaseline, kTolerancePt) << c.what;
    }
    // 1800 twips is 1.25 in, 3360 twips 2.333 in.
    const Word* alpha = find("Alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_NEAR(alpha->xMin, 1.25 * 72, kTolerancePt);
    EXPECT_NEAR(baselineOf(*alpha, blank.Alpha), baseline(blank.Alpha), kTolerancePt);
}

TEST_F(Printing, CentredAndRightAlignedTextSitsByTheLabelsWidth) {
    const QFontMetricsF m(ui::toTwipsFont(blank.Centred.font()));
    const Word* centred = find("Centred");
    ASSERT_NE(centred, nullptr);
    EXPECT_NEAR((centred->xMin + centred->xMax) / 2, pt(4000 + 4000 / 2), kTolerancePt);
    EXPECT_NEAR(centred->xMax - centred->xMin, pt(float(m.horizontalAdvance("Centred"))), kTolerancePt);

    const Word* righted = find("Righted");
    ASSERT_NE(righted, nullptr);
    EXPECT_NEAR(righted->xMax, pt(2000 + 5000), kTolerancePt);
    EXPECT_NEAR(baselineOf(*righted, blank.Righted), baseline(blank.Righted), kTolerancePt);
}

// An autosize label takes its text's width from its Left: its text starts there, to one dot of a
// 600-dpi printer, whatever its alignment, and is as wide as the font makes it.
TEST_F(Printing, AnAutosizeLabelsTextStartsAtItsLeftWhateverItsAlignment) {
    constexpr double kDotPt = 72.0 / 600;
    for (const ui::Label* l : {&blank.AutoLeft, &blank.AutoCentred, &blank.AutoRight}) {
        const Word* w = find(l->caption());
        ASSERT_NE(w, nullptr) << l->name().toStdString();
        EXPECT_NEAR(w->xMin, l->left().toPoints(), kDotPt) << l->name().toStdString();
        const double advance = QFontMetricsF(ui::toTwipsFont(l->font())).horizontalAdvance(l->caption());
        EXPECT_NEAR(w->xMax - w->xMin, advance / ui::kTwipsPerPoint, kDotPt) << l->name().toStdString();
        EXPECT_LE(advance, l->width().value) << l->name().toStdString() << ": the box holds its text";
    }
}

// The page holds what the client area shows: a field beyond it leaves no ink, and one across its
// edge is cut there, on the paper as on the screen.
TEST_F(Printing, NothingBeyondTheClientAreaPrints) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) GTEST_SKIP() << "pdftoppm is needed";
    constexpr int kDpi = 144;
    Window window;
    const QString file = folder.file("window.pdf");
    ui::printer().setOutputPdf(file);
    ui::printer().printForm(window, kTitle);
    ui::printer().setOutputPdf({});
    const QImage page = pageOf(file, kDpi, folder);
    ASSERT_FALSE(page.isNull());
    // The dot that the edge runs through may take a shade of what lies inside.
    const double dotsPerPoint = kDpi / 72.0;
    const int right = int(pt(Window::kWidth) * dotsPerPoint),
              bottom = int(pt(Window::kHeight) * dotsPerPoint);
    // Ink within a few points inside the edge, where each control crosses it.
    const auto dots = [&](const ui::Control& c) {
        const QRectF r(pt(c.left().value), pt(c.top().value), pt(c.width().value), pt(c.height().value));
        return QRectF(r.topLeft() * dotsPerPoint, r.bottomRight() * dotsPerPoint).toAlignedRect();
    };
    const std::vector<const ui::Control*> crossing = {&window.Right, &window.Bottom, &window.Box};
    std::map<const ui::Control*, int> nearTheEdge;
    QStringList beyond;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) > 200) continue;
            if (x > right || y > bottom) {
                if (beyond.size() < 3)
                    beyond << QStringLiteral("%1,%2 pt").arg(x / dotsPerPoint).arg(y / dotsPerPoint);
                continue;
            }
            for (const ui::Control* c : crossing)
                if (dots(*c).contains(x, y) &&
                    (x > right - 8 * dotsPerPoint || y > bottom - 4 * dotsPerPoint))
                    ++nearTheEdge[c];
        }
    EXPECT_TRUE(beyond.isEmpty()) << "ink beyond the client area at " << beyond.join("; ").toStdString();
    for (const ui::Control* c : crossing)
        EXPECT_GT(nearTheEdge[c], 0) << c->name().toStdString() << " is cut at the edge, not left out";
}

// A field wholly outside the client area, below it or beside it, or wholly outside its frame,
// leaves not even clipped text in the file; one across the edge still prints its part. The page
// reader drops text beyond the paper, so the window prints on A3, whose paper holds all of it.
TEST_F(Printing, AFieldWhollyOutsideTheClientAreaIsNotInThePrintedFile) {
    constexpr int kPaperA3 = 8;
    Window window;
    const QString file = folder.file("window.pdf");
    ui::printer().setPaperSize(kPaperA3);
    ui::printer().setOutputPdf(file);
    ui::printer().printForm(window, kTitle);
    ui::printer().setOutputPdf({});
    ui::printer().setPaperSize(ui::Printer::kPaperA4);
    QStringList printed;
    for (const Word& w : wordsOf(runTool("pdftotext", {"-bbox", file, "-"}))) printed << w.text;
    ASSERT_FALSE(printed.isEmpty()) << "the page was read";
    struct Case {
        const ui::Control& control;
        QString text;
        bool printed;
    };
    const Case cases[] = {
        {window.Far, "Far", false},
        {window.Beside, "Beside", false},
        {window.OffThePage, "OffThePage", false},
        {window.PastThePanel, "PastThePanel", false},
        {window.Right, "Rightmost", true},
        {window.Bottom, "Bottom", true},
        {window.Within, "Within", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(printed.contains(c.text), c.printed)
            << c.control.name().toStdString() << " in " << printed.join(" ").toStdString();
}

// Each job carries its own title, and the next job does not inherit it.
TEST_F(Printing, EachJobCarriesItsTitle) {
    EXPECT_EQ(titleOf(pdf), kTitle);
    const QString second = folder.file("second.pdf");
    ui::printer().setOutputPdf(second);
    ui::printer().printForm(blank, QStringLiteral("QR"));
    ui::printer().setOutputPdf({});
    EXPECT_EQ(titleOf(second), QStringLiteral("QR"));
}

TEST_F(Printing, HiddenLabelsDoNotPrint) {
    EXPECT_EQ(find("Hidden"), nullptr);
    ASSERT_NE(find("Alpha"), nullptr) << "the page was read";
}

TEST_F(Printing, PrintedWordsAreTheCaptionsAndNothingElse) {
    QStringList printed;
    for (const Word& w : words) printed << w.text;
    printed.sort();
    QStringList expected = {"Alpha", "Centred", "Righted",  "Small",       "Иванов",
                            "R&D",   "Inside",  "AutoLeft", "AutoCentred", "AutoRight"};
    expected.sort();
    EXPECT_EQ(printed, expected);
}

TEST_F(Printing, AWindowTallerThanTheScreenKeepsItsSizeOffTheScreenAndPrintsItsWholeClientAreaInPlace) {
    // The blank is 1123 pixels high; the screen holds 768, so the window stands from the screen's
    // top with its lower part, R&D included, below the screen's edge.
    blank.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(blank.window()));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(blank.window()->height(), ui::Twips(16838).toPixels());
    EXPECT_EQ(blank.window()->y(), screen.top()) << "its title bar on the screen";
    ASSERT_GT(blank.Ampersand.widget()->mapToGlobal(QPoint()).y(), screen.bottom()) << "R&D lies below";
    EXPECT_EQ(blank.clientHeight().value, 16838);
    const QString shrunk = folder.file("shrunk.pdf");
    ui::printer().setOutputPdf(shrunk);
    ui::printer().printForm(blank, kTitle);
    ui::printer().setOutputPdf({});
    const std::vector<Word> again = wordsOf(runTool("pdftotext", {"-bbox", shrunk, "-"}));
    ASSERT_EQ(again.size(), words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(again[i].text, words[i].text);
        EXPECT_DOUBLE_EQ(again[i].xMin, words[i].xMin) << words[i].text.toStdString();
        EXPECT_DOUBLE_EQ(again[i].yMin, words[i].yMin) << words[i].text.toStdString();
    }
}

// The page reader the print tests share: a printed "&lt;" is four letters, not "<".
TEST(PrintedWords, DecodeEachEntityOnceAndKeepTheBoxes) {
    const QString html =
        QStringLiteral(R"(<page width="595.3" height="841.9">)"
                       R"(<word xMin="90.000000" yMin="168.5" xMax="120.25" yMax="182">R&amp;D</word>)"
                       R"(<word xMin="1" yMin="2" xMax="3" yMax="4">&amp;lt;&lt;&quot;&gt;</word>)"
                       R"(<word xMin="5" yMin="6" xMax="7" yMax="8">Иванов</word></page>)");
    const std::vector<Word> words = wordsOf(html);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].text, QStringLiteral("R&D"));
    EXPECT_DOUBLE_EQ(words[0].xMin, 90);
    EXPECT_DOUBLE_EQ(words[0].yMin, 168.5);
    EXPECT_DOUBLE_EQ(words[0].xMax, 120.25);
    EXPECT_DOUBLE_EQ(words[0].yMax, 182);
    EXPECT_EQ(words[1].text, QStringLiteral("&lt;<\">"));
    EXPECT_EQ(words[2].text, QStringLiteral("Иванов"));
}

}  // namespace

namespace {

// The test support's guard: a job that no test sent to a file and that would reach a system
// printer goes to a PDF file of the running test's own instead, unless the test asks for the
// system's printer and the run allows it with VELMOX_TEST_SYSTEM_PRINTER=1.
class PrintGuard : public testing::Test {
protected:
    void SetUp() override { variable = qgetenv(kVariable); }
    void TearDown() override {
        if (variable.isNull())
            qunsetenv(kVariable);
        else
            qputenv(kVariable, variable);
    }
    static constexpr char kVariable[] = "VELMOX_TEST_SYSTEM_PRINTER";
    QByteArray variable;
    ScriptedScope services;
};

TEST_F(PrintGuard, AJobForTheSystemsPrinterLandsInAPdfFileOfTheTestsOwn) {
    const QString own = testsOwnPdf();
    EXPECT_TRUE(own.endsWith("/PrintGuard.AJobForTheSystemsPrinterLandsInAPdfFileOfTheTestsOwn.pdf"))
        << own.toStdString();
    EXPECT_TRUE(QFileInfo(own).dir().exists());
    EXPECT_EQ(ui::Printer::systemPrintingDivertedTo(), own);

    // The whole road where the machine has a printer; where it has none the job goes nowhere.
    Blank blank;
    ASSERT_TRUE(ui::printer().outputPdf().isEmpty());
    if (QPrinterInfo::defaultPrinterName().isEmpty()) {
        EXPECT_THROW(ui::printer().printForm(blank, kTitle), ui::Error);
        EXPECT_FALSE(QFileInfo::exists(own));
        return;
    }
    ui::printer().printForm(blank, kTitle);
    ASSERT_TRUE(QFileInfo::exists(own)) << "the page went elsewhere";
    EXPECT_EQ(titleOf(own), kTitle) << "the job for the system's printer keeps its title";
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) return;
    bool found = false;
    for (const Word& w : wordsOf(runTool("pdftotext", {"-bbox", own, "-"})))
        found = found || w.text == "Alpha";
    EXPECT_TRUE(found);
}

TEST_F(PrintGuard, OnlyATestThatAsksInARunThatAllowsItReachesTheSystemsPrinter) {
    const QString own = testsOwnPdf();
    struct Case {
        const char* value;  // nullptr: not set
        bool allowed;
    };
    const Case cases[] = {{nullptr, false}, {"", false}, {"0", false}, {"yes", false}, {"1", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(not set)");
        if (c.value)
            qputenv(kVariable, c.value);
        else
            qunsetenv(kVariable);
        EXPECT_EQ(ui::Printer::systemPrintingDivertedTo(), own) << "a test that does not ask";
        {
            const SystemPrinterScope asks;
            EXPECT_EQ(asks.allowed(), c.allowed);
            EXPECT_EQ(ui::Printer::systemPrintingDivertedTo(), c.allowed ? QString() : own);
        }
        EXPECT_EQ(ui::Printer::systemPrintingDivertedTo(), own) << "after the asking part";
    }
}

}  // namespace
