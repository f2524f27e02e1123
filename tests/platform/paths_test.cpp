// The program folder: file names resolved against it, programs started from it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "operator.h"
#include "platform/paths.h"
#include "support/program_folder.h"

namespace {

void writeProgram(const ProgramFolder& folder, const QString& name, bool executable = true) {
    folder.write(name, "#!/bin/sh\nexit 0\n");
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) p |= QFile::ExeOwner;
    QFile::setPermissions(folder.file(name), p);
}

class ProgramFolderTest : public testing::Test {
protected:
    void SetUp() override { ui::setProgramFolder(folder.path()); }
    void TearDown() override { QDir::setCurrent(startDir); }

    ScriptedScope services;
    ProgramFolder folder;
    QString startDir = QDir::currentPath();
};

TEST_F(ProgramFolderTest, NamesResolveAgainstTheProgramFolderWhateverTheCurrentDirectory) {
    ProgramFolder elsewhere;
    QDir::setCurrent(elsewhere.path());
    struct Case {
        QString name, path;
    };
    const Case cases[] = {
        {"data\\lang.txt", folder.path() + "/data/lang.txt"},
        {"image\\Skin1\\5.jpg", folder.path() + "/image/Skin1/5.jpg"},
        {"1.xml", folder.path() + "/1.xml"},
        {"data/2.txt", folder.path() + "/data/2.txt"},
        {elsewhere.path() + "/export.xml", elsewhere.path() + "/export.xml"},
        {"/tmp/x/../y.txt", "/tmp/y.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::programPath(c.name), c.path) << c.name.toStdString();
}

TEST_F(ProgramFolderTest, FindsABareProgramNameWithOrWithoutExeInTheProgramFolderOnly) {
    struct Case {
        const char* what;
        QStringList files;  // executables in the program folder
        QString asked;
        QString found;  // file name in the folder; empty: not found
    };
    const Case cases[] = {
        {"as written", {"QR"}, "QR", "QR"},
        {".exe dropped", {"QR"}, "QR.exe", "QR"},
        {".EXE dropped", {"QR"}, "QR.EXE", "QR"},
        {".exe added", {"QR.exe"}, "QR", "QR.exe"},
        {".exe as written", {"QR.exe"}, "QR.exe", "QR.exe"},
        {"exact name first", {"setup", "setup.exe"}, "setup.exe", "setup.exe"},
        {"missing", {"QR"}, "setup.exe", ""},
        {"a path is never searched", {"QR"}, "./QR", ""},
        {"a Windows path is never searched", {"QR"}, ".\\QR.exe", ""},
        {"a sub-folder is never searched", {"bin/QR"}, "bin\\QR", ""},
        {"not the search path", {}, "sh", ""},
        {"empty name", {"QR"}, "", ""},
    };
    for (const Case& c : cases) {
        ProgramFolder f;
        ui::setProgramFolder(f.path());
        for (const QString& file : c.files) writeProgram(f, file);
        const QString expected =
            c.found.isEmpty() ? QString() : QFileInfo(f.file(c.found)).absoluteFilePath();
        EXPECT_EQ(ui::findProgram(c.asked), expected) << c.what;
    }
}

TEST_F(ProgramFolderTest, ProgramThatIsNotExecutableOrIsAFolderIsNotFound) {
    writeProgram(folder, "QR", false);
    QDir(folder.path()).mkdir("setup");
    EXPECT_EQ(ui::findProgram("QR.exe"), "");
    EXPECT_EQ(ui::findProgram("setup.exe"), "");
}

TEST_F(ProgramFolderTest, ProgramInTheCurrentDirectoryIsNotFound) {
    ProgramFolder elsewhere;
    writeProgram(elsewhere, "QR");
    QDir::setCurrent(elsewhere.path());
    EXPECT_EQ(ui::findProgram("QR.exe"), "");
    EXPECT_FALSE(ui::startProgramFromFolder("QR.exe", ui::WindowStyle::NormalFocus));
    EXPECT_TRUE(services->starts.empty());
}

TEST_F(ProgramFolderTest, StartFindsTheProgramAndPassesTheWindowStyle) {
    writeProgram(folder, "QR");
    EXPECT_TRUE(ui::startProgramFromFolder("QR.exe", ui::WindowStyle::MinimizedFocus));
    ASSERT_EQ(services->starts.size(), 1u);
    EXPECT_EQ(services->starts[0].path, QFileInfo(folder.file("QR")).absoluteFilePath());
    EXPECT_EQ(services->starts[0].style, ui::WindowStyle::MinimizedFocus);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(ProgramFolderTest, FailedStartShowsOneErrorAndStartsNothingElse) {
    struct Case {
        const char* what;
        bool present, startSucceeds;
        size_t starts;
    };
    const Case cases[] = {
        {"missing program", false, true, 0},
        {"program that will not start", true, false, 1},
    };
    for (const Case& c : cases) {
        ProgramFolder f;
        ui::setProgramFolder(f.path());
        if (c.present) writeProgram(f, "setup.exe");
        services->messages.clear();
        services->starts.clear();
        services->startSucceeds = c.startSucceeds;
        EXPECT_FALSE(ui::startProgramFromFolder("setup.exe", ui::WindowStyle::NormalFocus)) << c.what;
        EXPECT_EQ(services->starts.size(), c.starts) << c.what;
        ASSERT_EQ(services->messages.size(), 1u) << c.what;
        EXPECT_EQ(services->messages[0].title, "Ошибка") << c.what;
        EXPECT_TRUE(services->messages[0].text.contains("setup.exe")) << c.what;
    }
}

// A started program learns its window style from the platform alone: minimised and active, or
// nothing, and never a style its starter itself was started with.
TEST_F(ProgramFolderTest, TheQtStartHandsTheMinimisedStyleToTheStartedProgramOnly) {
    folder.write("report", "#!/bin/sh\necho \"[${VELMOX_START_STYLE-none}]\" > \"$0.out\"\n");
    QFile::setPermissions(folder.file("report"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("VELMOX_START_STYLE", "minimized");  // as if this program had been started so
    // clang-format off
    const std::pair<ui::WindowStyle, QByteArray> cases[] = {
        {ui::WindowStyle::MinimizedFocus, "[minimized]\n"},
        {ui::WindowStyle::NormalFocus, "[none]\n"},
        {ui::WindowStyle::Hidden, "[none]\n"},
    };
    // clang-format on
    for (const auto& [style, seen] : cases) {
        QFile::remove(folder.file("report.out"));
        ASSERT_TRUE(ui::QtServices().startProgram(folder.file("report"), style));
        ASSERT_TRUE(QTest::qWaitFor([&] { return folder.read("report.out").endsWith('\n'); }, 10000));
        EXPECT_EQ(folder.read("report.out"), seen) << int(style);
    }
    EXPECT_EQ(ui::takeStartStyle(), ui::WindowStyle::MinimizedFocus);
    EXPECT_EQ(ui::takeStartStyle(), ui::WindowStyle::NormalFocus) << "handed over once";
}

}  // namespace
