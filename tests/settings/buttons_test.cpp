// The settings window's printer set-up and driver installer buttons and their hover pictures.
#include <QFile>
#include <QFileInfo>

#include "platform/printer.h"
#include "settings_fixture.h"
#include "student_base/printed_page.h"

using velmox::Nastroiki;
using velmox::Print1;
using velmox::Vazed;

namespace {

class SettingsButtonsTest : public SettingsTest {
protected:
    void TearDown() override {
        ui::printer().choosePrinter({});
        ui::printer().setPaperSize(ui::Printer::kPaperA4);
        SettingsTest::TearDown();
    }
    // 'h' when a button shows its hover picture, 'n' its normal one: printer button, driver button.
    static std::string looks(const Nastroiki& s) {
        auto look = [](const ui::PictureBox& b) { return pictureNumber(b) % 2 == 0 ? 'h' : 'n'; };
        return {look(s.Image1), look(s.Image2)};
    }
};

TEST_F(SettingsButtonsTest, PrinterSetUpSetsA4AfterAcceptAndAfterCancel) {
    Nastroiki& s = openSettingsShown();
    const QString pdf = folder.file("chosen.pdf");
    services->printerSetupAnswers = {ui::PrinterSetupAnswer(true, {}, pdf), ui::PrinterSetupAnswer(false)};

    ui::printer().setPaperSize(5);
    click(s, s.Image1);
    EXPECT_EQ(ui::printer().paperSize(), ui::Printer::kPaperA4);
    EXPECT_EQ(ui::printer().outputPdf(), pdf);

    ui::printer().setPaperSize(5);
    click(s, s.Image1);
    EXPECT_EQ(ui::printer().paperSize(), ui::Printer::kPaperA4);
    EXPECT_EQ(ui::printer().outputPdf(), pdf) << "a cancel keeps the chosen printer";

    ASSERT_EQ(services->dialogs.size(), 2u);
    EXPECT_EQ(services->dialogs[0].kind, "printer");
    EXPECT_TRUE(services->messages.empty());
    EXPECT_TRUE(s.isShown());
}

// The printer chosen in the settings window takes the next print of the print dialog.
TEST_F(SettingsButtonsTest, ThePrintDialogPrintsOnThePrinterChosenInTheSettingsWindow) {
    if (const QString tool = missingPopplerTool(); !tool.isEmpty()) GTEST_SKIP() << tool.toStdString();
    Nastroiki& s = openSettingsShown();
    const QString pdf = folder.file("chosen.pdf");
    services->printerSetupAnswers = {ui::PrinterSetupAnswer(true, {}, pdf)};
    click(s, s.Image1);

    Vazed& v = ui::form<Vazed>();
    v.Text2.setText(QStringLiteral("Касымов"));
    ui::form<Print1>().Image1_Click();
    ASSERT_TRUE(QFileInfo::exists(pdf));
    bool found = false;
    for (const PrintedWord& w : printedWords(pdf)) found = found || w.text == QStringLiteral("Касымов");
    EXPECT_TRUE(found);
}

TEST_F(SettingsButtonsTest, APrinterChosenByNameIsTheOneTheNextPrintOpens) {
    Nastroiki& s = openSettingsShown();
    const QString name = QStringLiteral("Velmox-test-printer-that-does-not-exist");
    services->printerSetupAnswers = {ui::PrinterSetupAnswer(true, name)};
    click(s, s.Image1);
    EXPECT_EQ(ui::printer().printerName(), name);
    try {
        ui::printer().printForm(ui::form<Vazed>(), QStringLiteral("Velmox"));
        FAIL() << "a print to a missing printer went through";
    } catch (const ui::Error& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(name)) << e.what();
    }
}

TEST_F(SettingsButtonsTest, AMissingInstallerIsReportedOncePerClickAndTheWindowGoesOn) {
    Nastroiki& s = openSettingsShown();
    click(s, s.Image2);
    EXPECT_TRUE(services->starts.empty());
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_TRUE(services->messages[0].text.contains(QLatin1String("setup.exe")));
    EXPECT_TRUE(s.isShown());
}

// Only the program folder is searched, with or without ".exe", and every click starts another one.
TEST_F(SettingsButtonsTest, AnInstallerInTheProgramFolderIsStartedOnEveryClick) {
    for (const char* file : {"setup.exe", "setup"}) {
        SCOPED_TRACE(file);
        folder.write(QString::fromLatin1(file), "#!/bin/sh\n");
        QFile(folder.file(QString::fromLatin1(file)))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        Nastroiki& s = openSettingsShown();
        click(s, s.Image2);
        click(s, s.Image2);
        ASSERT_EQ(services->starts.size(), 2u);
        for (const auto& start : services->starts) {
            EXPECT_EQ(QFileInfo(start.path).absoluteFilePath(),
                      QFileInfo(folder.file(QString::fromLatin1(file))).absoluteFilePath());
            EXPECT_EQ(start.style, ui::WindowStyle::MinimizedFocus);
        }
        EXPECT_TRUE(services->messages.empty());
        QFile::remove(folder.file(QString::fromLatin1(file)));
        TearDown();
        SetUp();
    }
}

TEST_F(SettingsButtonsTest, HoverPicturesFollowThePointer) {
    Nastroiki& s = openSettingsShown();
    ASSERT_EQ(looks(s), "nn");
    struct Step {
        const char* what;
        std::function<void()> act;
        const char* after;
    };
    const Step steps[] = {
        {"over the printer button", [&] { moveOver(s, s.Image1); }, "hn"},
        {"over the driver button", [&] { moveOver(s, s.Image2); }, "nh"},
        {"over the printer button again", [&] { moveOver(s, s.Image1); }, "hn"},
        {"over the driver caption", [&] { moveOver(s, s.Label3); }, "nn"},
        {"over the driver button", [&] { moveOver(s, s.Image2); }, "nh"},
        {"over the printer caption", [&] { moveOver(s, s.Label2); }, "nh"},
        {"over the language frame", [&] { moveOverSurface(s, 200, 1300); }, "nn"},
        {"over the driver button", [&] { moveOver(s, s.Image2); }, "nh"},
        {"over the skin list", [&] { moveOver(s, s.List1); }, "nh"},
        {"over a language box", [&] { moveOver(s, s.Check1); }, "nh"},
        {"over the bare window", [&] { moveOverSurface(s, 6550, 2000); }, "nn"},
        {"over the printer button", [&] { moveOver(s, s.Image1); }, "hn"},
        {"a press on it", [&] { pressOn(s, s.Image1); }, "nn"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(looks(s), step.after) << step.what;
    }
    QTest::mouseRelease(s.window()->windowHandle(), Qt::LeftButton);
    settle();
}

}  // namespace
