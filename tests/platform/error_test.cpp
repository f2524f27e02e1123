// The one error type, the system's reasons by their error numbers, and the one form in which every
// message names a file.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <cerrno>
#include <functional>

#include "common/text_file.h"
#include "platform/error.h"
#include "platform/form.h"
#include "platform/printer.h"
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "support/program_folder.h"
#include "support/qt_print.h"
#include "workbook/workbook.h"

namespace {

TEST(SystemReason, TheSystemsReasonsComeFromTheirNumbersInRussian) {
    struct Case {
        int number;
        const char16_t* shown;
    };
    const Case cases[] = {
        {EACCES, u"нет доступа"},
        {ENOSPC, u"на диске нет места"},
        {EROFS, u"диск только для чтения"},
        {ENOENT, u"файл или папка не найдены"},
        {EISDIR, u"на месте файла находится папка"},
        {EDQUOT, u"превышена квота диска"},
        {EFBIG, u"файл слишком велик"},
        {12345, u"системная ошибка № 12345"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::systemReason(c.number), QString::fromUtf16(c.shown)) << c.number;
}

TEST(ShownPath, AFileIsNamedFromTheProgramFolderAsTheProgramWritesItAndAnyOtherByItsWholePath) {
    ProgramFolder folder;
    ui::setProgramFolder(folder.path());
    const QString outside = QDir::tempPath() + QStringLiteral("/export.xml");
    struct Case {
        QString path;
        QString shown;
    };
    const Case cases[] = {
        {folder.file("data/8.txt"), "data/8.txt"},
        {ui::programPath(QStringLiteral("data\\8.txt")), "data/8.txt"},
        {QStringLiteral("image\\Skin1\\5.jpg"), "image/Skin1/5.jpg"},
        {folder.file("1.xml"), "1.xml"},
        {outside, outside},
    };
    for (const Case& c : cases) EXPECT_EQ(ui::shownPath(c.path), c.shown) << c.path.toStdString();
}

TEST(Error, NamesItsFileAsMessagesDoAndKeepsItsReasonApart) {
    ProgramFolder folder;
    ui::setProgramFolder(folder.path());
    const ui::Error withFile(folder.file("data/5.txt"), QStringLiteral("нет доступа"));
    EXPECT_EQ(QString::fromUtf8(withFile.what()), QStringLiteral("data/5.txt: нет доступа"));
    EXPECT_EQ(withFile.file(), folder.file("data/5.txt"));
    EXPECT_EQ(withFile.reason(), QStringLiteral("нет доступа"));
    const ui::Error alone(QStringLiteral("в системе нет принтера по умолчанию"));
    EXPECT_EQ(QString::fromUtf8(alone.what()), QStringLiteral("в системе нет принтера по умолчанию"));
    EXPECT_TRUE(alone.file().isEmpty());
}

// Every kind of routine that cannot do its work says so with the one error type and a reason in
// Russian words: no Latin word but inside the «» of a name it quotes.
TEST(Error, EveryRoutineThatCannotDoItsWorkThrowsTheOneErrorWithARussianReason) {
    ProgramFolder folder;
    ui::setProgramFolder(folder.path());
    folder.write("plain", "a file where a folder should be");
    folder.write("data\\1.txt", "x\r\n");
    QDir(folder.path()).mkpath(QStringLiteral("data/folder.txt"));
    folder.write("1.xml", "this is not a workbook");
    QFile::setPermissions(folder.file("data\\1.txt"), QFileDevice::ReadOwner);
    ui::Form form(QStringLiteral("Form1"));
    struct Case {
        const char* what;
        QString file;  // the file the error names, "" for none
        std::function<void()> act;
    };
    const Case cases[] = {
        {"a text file whose place a folder takes", folder.file("data/folder.txt"),
         [&] {
             const textfile::ReadResult r = textfile::readLines(folder.file("data/folder.txt"));
             if (!r.error.isEmpty()) throw ui::Error(folder.file("data/folder.txt"), r.error);
         }},
        {"a text file marked read-only", folder.file("data/1.txt"),
         [&] { textfile::writeLines(folder.file("data/1.txt"), {"new"}); }},
        {"a text file in a folder that is a file", folder.file("plain/2.txt"),
         [&] { textfile::writeLines(folder.file("plain/2.txt"), {"new"}, {.createFolder = false}); }},
        {"a workbook that is not there", folder.file("2.xml"),
         [&] { workbook::Workbook().load(folder.file("2.xml")); }},
        {"a workbook that is no XML", folder.file("1.xml"),
         [&] { workbook::Workbook().load(folder.file("1.xml")); }},
        {"an export into a folder that is not there", folder.file("gone/out.xml"),
         [&] { workbook::Workbook().exportTo(folder.file("gone/out.xml")); }},
        {"a print on a printer that is not there",
         {},
         [&] {
             ui::Printer printer;
             printer.choosePrinter(QStringLiteral("Velmox-test-printer-that-does-not-exist"));
             printer.printForm(form, QStringLiteral("Velmox"));
         }},
        {"a print into a PDF file in a folder that is not there",
         {},
         [&] {
             ui::Printer printer;
             printer.setOutputPdf(folder.file("gone/page.pdf"));
             printer.printForm(form, QStringLiteral("Velmox"));
         }},
        {"a lock in a program folder that is a file",
         {},
         [&] { ui::acquireInstanceLock(folder.file("plain/Velmox.lock")); }},
    };
    static const QRegularExpression quoted(QStringLiteral("«[^»]*»"));
    static const QRegularExpression latinWord(QStringLiteral("[a-z]{2,}"));
    static const QRegularExpression cyrillic(QStringLiteral("[а-яА-ЯёЁ]"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.act();
            ADD_FAILURE() << "no failure";
        } catch (const ui::Error& e) {
            EXPECT_EQ(e.file(), c.file);
            const QString words = QString(e.reason()).remove(quoted);
            EXPECT_TRUE(words.contains(cyrillic)) << e.what();
            EXPECT_FALSE(words.contains(latinWord)) << e.what();
            EXPECT_EQ(
                QString::fromUtf8(e.what()),
                c.file.isEmpty() ? e.reason() : ui::shownPath(c.file) + QStringLiteral(": ") + e.reason());
        }
    }
}

}  // namespace
