#include "common/text_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/program_folder.h"

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray utf8WithBom(const char* text) {
    return kBom + QByteArray(text);
}

// The set of names in a folder, to see that a write left no temporary file behind.
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

TEST(TextFile, SplitsAtCrLfOrLoneCrAndKeepsLoneLfInTheLine) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const Case cases[] = {
        {"cr lf", "a\r\nb\r\n", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"lone lf inside a line", "a\nb\r\nc", {"a\nb", "c"}},
        {"lf before cr", "a\n\rb", {"a\n", "b"}},
        {"last line without an end", "a\r\nb", {"a", "b"}},
        {"empty file", "", {}},
        {"only a line end", "\r\n", {""}},
        {"empty lines kept", "a\r\n\r\n\rb\r\n", {"a", "", "", "b"}},
        {"cr before cr lf", "a\r\r\nb", {"a", "", "b"}},
        {"blanks kept", "  a  \r\n\t\r\n", {"  a  ", "\t"}},
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xB9 5", {"Привет", "№ 5"}},
        {"utf-8 after a byte-order mark", utf8WithBom("Қазақстан\r\nӘү"), {"Қазақстан", "Әү"}},
        {"only a byte-order mark", kBom, {}},
        {"a second mark is a character of the text",
         kBom + kBom + kBom + "a",
         {QStringLiteral("\uFEFF\uFEFFa")}},
        {"utf-8 without a mark is windows-1251", "\xD0\x96", {"Р–"}},
    };
    for (const Case& c : cases) EXPECT_EQ(textfile::splitLines(c.bytes), c.lines) << c.name;
}

TEST(TextFile, EncodesInWindows1251OnlyWhenEveryCharacterFits) {
    struct Case {
        const char* name;
        QStringList lines;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"russian", {"Привет", "мир"}, cp1251("Привет\r\nмир\r\n")},
        {"sign and Kazakh letters of the code page", {"№ 12 Іі"}, "\xB9 12 \xB2\xB3\r\n"},
        {"no lines", {}, ""},
        {"one empty line", {""}, "\r\n"},
        {"one Kazakh letter makes the whole file utf-8",
         {"Алматы", "Қазақстан"},
         utf8WithBom("Алматы\r\nҚазақстан\r\n")},
        {"latin letter outside the code page", {"café"}, utf8WithBom("café\r\n")},
    };
    for (const Case& c : cases) EXPECT_EQ(textfile::encodeLines(c.lines), c.bytes) << c.name;

    // Each of these the encoder would silently turn into a substitute byte.
    for (const QChar letter : QStringLiteral("ӘҒҚҢӨҰҮҺәғқңөұүһ")) {
        const QString value = QStringLiteral("Аб") + letter;
        EXPECT_EQ(textfile::encodeLines({value}), kBom + (value + "\r\n").toUtf8()) << value.toStdString();
    }
}

TEST(TextFile, LineBreakInsideAValueIsWrittenAsLoneLf) {
    const QStringList lines = {"a\r\nb", "c\rd", "e\nf", "\r\n"};
    EXPECT_EQ(textfile::encodeLines(lines), QByteArray("a\nb\r\nc\nd\r\ne\nf\r\n\n\r\n"));
    EXPECT_EQ(textfile::splitLines(textfile::encodeLines(lines)),
              QStringList({"a\nb", "c\nd", "e\nf", "\n"}));
}

TEST(TextFile, WrittenLinesReadBackExactly) {
    const QStringList cases[] = {
        {"Қазақстан", "Өскемен қаласы", "Привет"},
        {"Привет", "", "  с пробелами  ", "№ 7"},
        {"строка\nс переводом", "Ұлттық\nуниверситет"},
        {QStringLiteral("\uFEFF"), QStringLiteral("\uFEFFa")},
        {""},
        {},
    };
    ProgramFolder folder;
    const QString path = folder.file("2.txt");
    for (const QStringList& lines : cases) {
        textfile::writeLines(path, lines);
        const textfile::ReadResult read = textfile::readLines(path);
        EXPECT_TRUE(read.exists);
        EXPECT_EQ(read.error, "");
        EXPECT_EQ(read.lines, lines) << lines.join('|').toStdString();
        EXPECT_EQ(entries(folder.path()), QStringList{"2.txt"});
    }
}

TEST(TextFile, RewriteReplacesTheWholeOldFile) {
    ProgramFolder folder;
    folder.write("data\\1.txt", cp1251("первая длинная строка\r\nвторая\r\nтретья\r\n"));
    textfile::writeLines(folder.file("data\\1.txt"), {"а"});
    EXPECT_EQ(folder.read("data\\1.txt"), cp1251("а\r\n"));
}

TEST(TextFile, MissingDataFolderIsCreated) {
    ProgramFolder folder;
    textfile::writeLines(folder.file("data\\sub\\5.txt"), {"Привет"});
    EXPECT_EQ(folder.read("data\\sub\\5.txt"), QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2\r\n"));
}

TEST(TextFile, MissingFileIsAFirstStartWithoutError) {
    ProgramFolder folder;
    const textfile::ReadResult read = textfile::readLines(folder.file("data\\lang.txt"));
    EXPECT_FALSE(read.exists);
    EXPECT_EQ(read.error, "");
    EXPECT_TRUE(read.lines.isEmpty());

    QString error = "stale";
    EXPECT_EQ(textfile::readFirstLine(folder.file("data\\lang.txt"), &error), "");
    EXPECT_EQ(error, "");
}

TEST(TextFile, FirstLineOfAFile) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QString first;
    };
    const Case cases[] = {
        {"several lines", "ru\r\nkz\r\n", "ru"},
        {"no line end", "Skin2", "Skin2"},
        {"empty file", "", ""},
        {"empty first line", "\r\nx", ""},
        {"utf-8", utf8WithBom("Қаз\r\n"), "Қаз"},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        folder.write("data\\Skin.txt", c.bytes);
        QString error = "stale";
        EXPECT_EQ(textfile::readFirstLine(folder.file("data\\Skin.txt"), &error), c.first) << c.name;
        EXPECT_EQ(error, "") << c.name;
    }
}

TEST(TextFile, FolderInPlaceOfTheFileIsAReadError) {
    ProgramFolder folder;
    folder.write("2.txt\\inside.txt", "x");
    const textfile::ReadResult read = textfile::readLines(folder.file("2.txt"));
    EXPECT_TRUE(read.exists);
    EXPECT_NE(read.error, "");
    EXPECT_TRUE(read.lines.isEmpty());

    QString error;
    EXPECT_EQ(textfile::readFirstLine(folder.file("2.txt"), &error), "");
    EXPECT_NE(error, "");
}

TEST(TextFile, FileWithoutReadPermissionIsAReadError) {
    ProgramFolder folder;
    folder.write("2.txt", "a\r\n");
    QFile::setPermissions(folder.file("2.txt"), QFileDevice::WriteOwner);
    QFile probe(folder.file("2.txt"));
    if (probe.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running as root: a file without read permission is still readable";

    const textfile::ReadResult read = textfile::readLines(folder.file("2.txt"));
    EXPECT_TRUE(read.exists);
    EXPECT_NE(read.error, "");
}

TEST(TextFile, FailedWriteThrowsNamesTheFileAndKeepsWhatWasThere) {
    struct Case {
        const char* name;
        const char* existing;  // a file that stands in the way of the write
        const char* target;
    };
    const Case cases[] = {
        {"parent folder is a regular file", "data", "data\\1.txt"},
        {"target is a folder", "2.txt\\inside.txt", "2.txt"},
    };
    for (const Case& c : cases) {
        ProgramFolder folder;
        folder.write(c.existing, "old\r\n");
        const QString target = folder.file(c.target);
        try {
            textfile::writeLines(target, {"new"});
            ADD_FAILURE() << c.name << ": no WriteError";
        } catch (const textfile::WriteError& e) {
            EXPECT_EQ(e.path(), target) << c.name;
            EXPECT_NE(e.reason(), "") << c.name;
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(target)) << c.name;
        }
        EXPECT_EQ(folder.read(c.existing), QByteArray("old\r\n")) << c.name;
    }
}

TEST(TextFile, FailedWriteInReadOnlyFolderKeepsTheOldFile) {
    ProgramFolder folder;
    folder.write("data\\1.txt", "old\r\n");
    const QString data = folder.file("data");
    QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool rootCanWrite = QFile(data + "/probe").open(QIODevice::WriteOnly);
    if (rootCanWrite) {
        QFile::remove(data + "/probe");
        QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "running as root: a read-only folder is still writable";
    }

    EXPECT_THROW(textfile::writeLines(folder.file("data\\1.txt"), {"new"}), textfile::WriteError);
    QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(folder.read("data\\1.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(entries(data), QStringList{"1.txt"});
}

TEST(TextFile, AWriteKeepsAByteOrderMarkWhenAskedAndCanRefuseToCreateItsFolder) {
    ProgramFolder folder;
    folder.write("data\\1.txt", utf8WithBom("\xD0\x90\r\n"));
    folder.write("data\\2.txt", "\xC0\r\n");
    EXPECT_TRUE(textfile::readLines(folder.file("data\\1.txt")).utf8);
    EXPECT_FALSE(textfile::readLines(folder.file("data\\2.txt")).utf8);

    // "А" fits the code page, yet the file keeps the form it had.
    textfile::writeLines(folder.file("data\\1.txt"), {"\u0410", "b"}, {.utf8 = true});
    EXPECT_EQ(folder.read("data\\1.txt"), utf8WithBom("\xD0\x90\r\nb\r\n"));

    const QString lost = folder.file("gone\\1.txt");
    EXPECT_THROW(textfile::writeLines(lost, {"a"}, {.createFolder = false}), textfile::WriteError);
    EXPECT_FALSE(folder.exists("gone"));
}

}  // namespace

TEST(TextFile, AReadOnlyFileIsNeverReplacedWhoeverRunsTheProgram) {
    ProgramFolder folder;
    folder.write("data\\1.txt", "old\r\n");
    QFile::setPermissions(folder.file("data\\1.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    try {
        textfile::writeLines(folder.file("data\\1.txt"), {"new"});
        ADD_FAILURE() << "no WriteError";
    } catch (const textfile::WriteError& e) {
        EXPECT_EQ(e.path(), folder.file("data\\1.txt"));
    }
    EXPECT_EQ(folder.read("data\\1.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(entries(folder.file("data")), QStringList{"1.txt"});
}
