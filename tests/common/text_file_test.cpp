#include "common/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/program_folder.h"
#include "support/child_process.h"
#include "support/program_folder.h"

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray utf8WithBom(const char* text) {
    return kBom + QByteArray(text);
}

QByteArray marked(const char* text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(QString::fromUtf8(text));
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
        {"utf-16 little-endian after its mark",
         marked("Қазақстан\r\nӘү", QStringConverter::Utf16LE),
         {"Қазақстан", "Әү"}},
        {"utf-16 big-endian after its mark",
         marked("Привет\r\nмир\r\n", QStringConverter::Utf16BE),
         {"Привет", "мир"}},
        {"only a utf-16 mark", "\xFF\xFE", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(textfile::splitLines(c.bytes), c.lines) << c.name;
}

// The one-value files hold no value with a line break: there a lone LF ends a line too, in every
// encoding, while the other files keep it in the line.
TEST(TextFile, InOneValueFilesALoneLfEndsTheLineToo) {
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList inLine, endsLine;  // the lines as LoneLf::InLine and LoneLf::EndsLine cut them
    };
    const Case cases[] = {
        {"lf alone",
         "3000\n5000\n2000\n2000\n",
         {"3000\n5000\n2000\n2000\n"},
         {"3000", "5000", "2000", "2000"}},
        {"cr lf and cr stay one end each", "a\r\nb\rc", {"a", "b", "c"}, {"a", "b", "c"}},
        {"every kind in one file", "a\nb\r\nc\rd", {"a\nb", "c", "d"}, {"a", "b", "c", "d"}},
        {"lf before cr: two ends", "a\n\rb", {"a\n", "b"}, {"a", "", "b"}},
        {"cr lf then lf: an empty line between", "a\r\n\nb", {"a", "\nb"}, {"a", "", "b"}},
        {"only an lf", "\n", {"\n"}, {""}},
        {"windows-1251", "\xD2\xE5\xEC\xED\xFB\xE9 \xF1\xEA\xE8\xED\n", {"Темный скин\n"}, {"Темный скин"}},
        {"utf-8 after its mark", utf8WithBom("Қаз\nRus\n"), {"Қаз\nRus\n"}, {"Қаз", "Rus"}},
        {"utf-16 after its mark", marked("Kaz\n", QStringConverter::Utf16LE), {"Kaz\n"}, {"Kaz"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textfile::splitLines(c.bytes, textfile::LoneLf::InLine), c.inLine) << c.name;
        EXPECT_EQ(textfile::splitLines(c.bytes, textfile::LoneLf::EndsLine), c.endsLine) << c.name;
        EXPECT_EQ(textfile::readBytes(c.bytes, textfile::LoneLf::EndsLine).lines, c.endsLine) << c.name;
    }
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

// The files are coded through a table taken from Qt's own converter: for every byte and every
// character it must decide as the converter does, reading a byte as it reads it and writing a
// character in the code page only when the converter maps it without error to a byte that reads back
// as the same character.
TEST(TextFile, CodesEveryByteAndCharacterAsQtsWindows1251ConverterDoes) {
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        if (b == '\r') continue;
        QStringDecoder decoder("windows-1251");
        EXPECT_EQ(textfile::splitLines(byte), QStringList{decoder.decode(byte)}) << "byte " << b;
    }
    // "\r" is the line end; CR LF, being a line end, is left to the tests of line ends.
    for (int u = 0; u < 0x10000; ++u) {
        const QString c{QChar(char16_t(u))};
        if (c == QStringLiteral("\r")) continue;
        QStringEncoder encoder("windows-1251");
        const QByteArray bytes = encoder.encode(c + QStringLiteral("\r\n"));
        const bool fits = !encoder.hasError() && QStringDecoder("windows-1251").decode(bytes) == c + "\r\n";
        EXPECT_EQ(textfile::encodeLines({c}), fits ? bytes : kBom + (c + "\r\n").toUtf8()) << "U+" << u;
    }
}

// In the code page "яю", "юя" and "п»ї" are the bytes of a byte-order mark: a file beginning with them
// would be read back as UTF-16 or UTF-8 and garbled, so it is written in UTF-8 after its mark.
TEST(TextFile, AFileThatWouldBeginAsAByteOrderMarkIsWrittenInUtf8) {
    for (const char* first : {"яюя", "юяблоко", "п»їтекст"}) {
        const QStringList lines{QString::fromUtf8(first), QStringLiteral("Привет")};
        const QByteArray bytes = textfile::encodeLines(lines);
        EXPECT_TRUE(bytes.startsWith(kBom)) << first;
        EXPECT_EQ(textfile::splitLines(bytes), lines) << first;
    }
    // Further down the file the same letters are only letters.
    EXPECT_EQ(textfile::encodeLines({"Привет", "яю"}), cp1251("Привет\r\nяю\r\n"));
}

// A save takes the lines it has just written without reading them back; they must be what a read
// of the written bytes gives.
TEST(TextFile, WrittenLinesAreWhatAReadOfTheirBytesGives) {
    const QStringList cases[] = {
        {},
        {""},
        {"Привет", "мир"},
        {"Қазақстан", "№ 7"},
        {"a\r\nb", "c\rd", "e\nf"},
        {QString(QChar(0xD800)) + "x"},
        {QStringLiteral("\uFEFFметка")},
        {"яю", "Привет"},
    };
    for (const QStringList& lines : cases) {
        for (const bool utf8 : {false, true}) {
            const QByteArray bytes = textfile::encodeLines(lines, utf8);
            const textfile::ReadResult read = textfile::readBytes(bytes);
            const textfile::ReadResult taken = textfile::readEncoded(lines, bytes);
            SCOPED_TRACE(lines.join('|').toStdString() + (utf8 ? " utf8" : ""));
            EXPECT_EQ(taken.exists, read.exists);
            EXPECT_EQ(taken.error, read.error);
            EXPECT_EQ(taken.lines, read.lines);
            EXPECT_EQ(taken.utf8, read.utf8);
            EXPECT_EQ(taken.bytes, read.bytes);
        }
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

// Another editor's "Unicode" file is read; one whose bytes break the encoding its mark names is refused
// whole, so no replacement character reaches a list and no save writes over the file.
TEST(TextFile, BytesThatBreakTheEncodingTheirMarkNamesAreAReadError) {
    const QByteArray utf16 = marked("Колледж\r\nЛицей", QStringConverter::Utf16LE);
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"utf-16 with its last byte cut off", utf16.chopped(1)},
        {"utf-16 with a lone surrogate", utf16 + QByteArray("\x00\xD8", 2)},
        {"utf-16 big-endian with a lone low surrogate", QByteArray("\xFE\xFF\xDC\x00\x00\x41", 6)},
        {"utf-8 with a byte that is no utf-8", utf8WithBom("Алматы\xFF\r\n")},
        {"utf-8 cut inside a letter", utf8WithBom("Алматы").chopped(1)},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        folder.write("data\\1.txt", c.bytes);
        const textfile::ReadResult read = textfile::readLines(folder.file("data\\1.txt"));
        EXPECT_TRUE(read.exists) << c.name;
        EXPECT_NE(read.error, "") << c.name;
        EXPECT_TRUE(read.lines.isEmpty()) << c.name;
    }
    folder.write("data\\1.txt", utf16);
    const textfile::ReadResult read = textfile::readLines(folder.file("data\\1.txt"));
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.lines, (QStringList{"Колледж", "Лицей"}));
    // A list emptied by an editor that keeps the mark is an empty list, not a damaged one.
    for (const QByteArray& onlyAMark : {kBom, QByteArray("\xFF\xFE"), QByteArray("\xFE\xFF")}) {
        folder.write("data\\1.txt", onlyAMark);
        const textfile::ReadResult empty = textfile::readLines(folder.file("data\\1.txt"));
        EXPECT_EQ(empty.error, "") << onlyAMark.toHex().constData();
        EXPECT_TRUE(empty.lines.isEmpty()) << onlyAMark.toHex().constData();
    }
}

TEST(TextFile, FileWithoutReadPermissionIsAReadError) {
    ProgramFolder folder;
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        folder.write("2.txt", "a\r\n");
        QFile::setPermissions(folder.file("2.txt"), QFileDevice::WriteOwner);
        const textfile::ReadResult read = textfile::readLines(folder.file("2.txt"));
        EXPECT_TRUE(read.exists);
        EXPECT_NE(read.error, "");
        EXPECT_TRUE(read.lines.isEmpty());
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
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
            ADD_FAILURE() << c.name << ": no ui::Error";
        } catch (const ui::Error& e) {
            EXPECT_EQ(e.file(), target) << c.name;
            EXPECT_NE(e.reason(), "") << c.name;
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(ui::shownPath(target) + ": ")) << c.name;
        }
        EXPECT_EQ(folder.read(c.existing), QByteArray("old\r\n")) << c.name;
    }
}

// A file that cannot be replaced because its folder takes no new file: the reason names the folder,
// as messages name files, and the old file stays.
TEST(TextFile, AWriteInAReadOnlyFolderNamesTheFolderAndKeepsTheOldFile) {
    ProgramFolder folder;
    ui::setProgramFolder(folder.path());
    const QString data = folder.file("data");
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        folder.write("data\\1.txt", "old\r\n");
        folder.write("2.txt", "old\r\n");
        const auto reasonFor = [](const QString& path) {
            try {
                textfile::writeLines(path, {"new"});
            } catch (const ui::Error& e) {
                return e.reason();
            }
            return QStringLiteral("written");
        };
        QFile::setPermissions(data, readOnly);
        EXPECT_EQ(reasonFor(folder.file("data\\1.txt")),
                  QStringLiteral("папка «data» недоступна для записи"));
        QFile::setPermissions(folder.path(), readOnly);
        EXPECT_EQ(reasonFor(folder.file("2.txt")), QStringLiteral("папка программы недоступна для записи"));
        QFile::setPermissions(folder.path(), readOnly | QFileDevice::WriteOwner);
        QFile::setPermissions(data, readOnly | QFileDevice::WriteOwner);
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(outcome, ChildOutcome::Passed);
    EXPECT_EQ(folder.read("data\\1.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(folder.read("2.txt"), QByteArray("old\r\n"));
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
    EXPECT_THROW(textfile::writeLines(lost, {"a"}, {.createFolder = false}), ui::Error);
    EXPECT_FALSE(folder.exists("gone"));
}

// A full disk may take part of a write and refuse the rest; a file-size limit refuses writes the
// same way. Whatever part fits, the old file stays as it was and no temporary file is left.
TEST(TextFile, AWriteThatTheDiskRefusesThrowsAndKeepsTheOldFile) {
    struct Case {
        const char* name;
        qint64 limit;
        qsizetype lineLength;
    };
    const Case cases[] = {
        {"nothing fits", 0, 10},
        {"part of a short file fits", 100, 1000},
        {"a long file is cut off after a block", 4096, 200000},
    };
    for (const Case& c : cases) {
        ProgramFolder folder;
        const QByteArray old = cp1251("старое содержимое\r\n");
        folder.write("2.txt", old);
        const QString path = folder.file("2.txt");
        runInChild([&] {
            limitFileSize(c.limit);
            try {
                textfile::writeLines(path, {QString(c.lineLength, QLatin1Char('x'))});
                ADD_FAILURE() << c.name << ": the refused write was taken for a success";
            } catch (const ui::Error& e) {
                EXPECT_EQ(e.file(), path) << c.name;
                EXPECT_NE(e.reason(), "") << c.name;
            }
        });
        EXPECT_EQ(folder.read("2.txt"), old) << c.name;
        EXPECT_EQ(entries(folder.path()), QStringList{"2.txt"}) << c.name;
    }

    // Below the limit the same write succeeds: the limit is what refused it.
    ProgramFolder folder;
    runInChild([&] {
        limitFileSize(4096);
        textfile::writeLines(folder.file("2.txt"), {QString(1000, QLatin1Char('x'))});
    });
    EXPECT_EQ(folder.read("2.txt").size(), 1002);
}

// A file written anew keeps the permissions the old one had, so a file shared by several users stays
// shared; a first file gets what the user's file-creation mask leaves of read and write for all.
TEST(TextFile, ARewrittenFileKeepsItsPermissionsAndAFirstOneTakesThoseTheMaskLeaves) {
    ProgramFolder folder;
    const auto modeOf = [&](const char* name) {
        struct stat st {};
        EXPECT_EQ(::stat(QFile::encodeName(folder.file(QString::fromLatin1(name))).constData(), &st), 0)
            << name;
        return st.st_mode & 07777;
    };
    folder.write("shared.txt", "old\r\n");
    folder.write("private.txt", "old\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(folder.file("shared.txt")).constData(), 0664), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder.file("private.txt")).constData(), 0600), 0);
    runInChild([&] {
        ::umask(022);
        for (const char* name : {"shared.txt", "private.txt", "first.txt"})
            textfile::writeLines(folder.file(QString::fromLatin1(name)), {"new"});
        ::umask(007);
        textfile::writeLines(folder.file("group.txt"), {"new"});
    });
    EXPECT_EQ(modeOf("shared.txt"), 0664u);
    EXPECT_EQ(modeOf("private.txt"), 0600u);
    EXPECT_EQ(modeOf("first.txt"), 0644u);
    EXPECT_EQ(modeOf("group.txt"), 0660u);
    EXPECT_EQ(folder.read("shared.txt"), QByteArray("new\r\n"));
}

// A list that is a link to a file elsewhere (one list for two program folders) stays a link: the
// file it names takes the new lines.
TEST(TextFile, AWriteThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    ProgramFolder folder;
    folder.write("shared\\1.txt", "old\r\n");
    QDir(folder.path()).mkpath(QStringLiteral("data"));
    ASSERT_TRUE(QFile::link(QStringLiteral("../shared/1.txt"), folder.file("data/1.txt")));
    textfile::writeLines(folder.file("data\\1.txt"), {"new"});
    EXPECT_TRUE(QFileInfo(folder.file("data/1.txt")).isSymLink());
    EXPECT_EQ(folder.read("shared\\1.txt"), QByteArray("new\r\n"));
    EXPECT_EQ(entries(folder.file("data")), QStringList{"1.txt"});
    EXPECT_EQ(entries(folder.file("shared")), QStringList{"1.txt"});
}

}  // namespace

// Files written together, as a save writes its lists: each that fails keeps its old bytes and is
// named with its own reason, the others land, and no temporary file is left beside any of them.
TEST(TextFile, FilesWrittenTogetherFailOneByOneAndTheOthersLand) {
    ProgramFolder folder;
    const QByteArray old("old\r\n");
    for (const char* name : {"a.txt", "big.txt", "locked.txt", "d.txt"}) folder.write(name, old);
    QFile::setPermissions(folder.file("locked.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    runInChild([&] {
        // Every file but one fits under the limit, as when a disk fills up during the save.
        limitFileSize(100);
        const std::vector<std::optional<ui::Error>> failures = textfile::writeEncodedFiles({
            {folder.file("a.txt"), "new a\r\n", {}},
            {folder.file("big.txt"), QByteArray(1000, 'x'), {}},
            {folder.file("locked.txt"), "new c\r\n", {}},
            {folder.file("missing/e.txt"), "new e\r\n", {.createFolder = false}},
            {folder.file("d.txt"), "new d\r\n", {}},
        });
        ASSERT_EQ(failures.size(), 5u);
        EXPECT_FALSE(failures[0]);
        EXPECT_FALSE(failures[4]);
        for (std::size_t i : {1, 2, 3}) {
            ASSERT_TRUE(failures[i]) << i;
            EXPECT_NE(failures[i]->reason(), "") << i;
        }
        EXPECT_EQ(failures[1]->file(), folder.file("big.txt"));
        EXPECT_EQ(failures[2]->reason(), QStringLiteral("файл только для чтения"));
        EXPECT_EQ(failures[3]->file(), folder.file("missing/e.txt"));
    });
    EXPECT_EQ(folder.read("a.txt"), QByteArray("new a\r\n"));
    EXPECT_EQ(folder.read("big.txt"), old);
    EXPECT_EQ(folder.read("locked.txt"), old);
    EXPECT_EQ(folder.read("d.txt"), QByteArray("new d\r\n"));
    EXPECT_EQ(entries(folder.path()), (QStringList{"a.txt", "big.txt", "d.txt", "locked.txt"}));
}

TEST(TextFile, AReadOnlyFileIsNeverReplacedWhoeverRunsTheProgram) {
    ProgramFolder folder;
    folder.write("data\\1.txt", "old\r\n");
    QFile::setPermissions(folder.file("data\\1.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    try {
        textfile::writeLines(folder.file("data\\1.txt"), {"new"});
        ADD_FAILURE() << "no ui::Error";
    } catch (const ui::Error& e) {
        EXPECT_EQ(e.file(), folder.file("data\\1.txt"));
    }
    EXPECT_EQ(folder.read("data\\1.txt"), QByteArray("old\r\n"));
    EXPECT_EQ(entries(folder.file("data")), QStringList{"1.txt"});
}
