// The one error type, the system's reasons by their error numbers, and the one form in which every
// message names a file.
#include <gtest/gtest.h>

#include <QDir>
#include <cerrno>

#include "platform/error.h"
#include "platform/program_folder.h"
#include "support/program_folder.h"
#include "support/qt_print.h"

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

}  // namespace
