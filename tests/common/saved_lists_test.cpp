// The saved value lists' file rules: a delete or a merge starts from the file as it is now and
// writes the bytes it should, or nothing; a file that cannot be read is never written; the lists
// keep their encoding; an emptied list is a file of zero bytes.
#include "common/saved_lists.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <optional>

#include "platform/paths.h"
#include "platform/services.h"
#include "support/program_folder.h"
#include "support/scripted_services.h"

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray cp(const char* text) {
    return cp1251(QString::fromUtf8(text));
}
QByteArray utf8(const char* text) {
    return kBom + QByteArray(text);
}
// A mark that promises UTF-8, and a line that is none.
const QByteArray kDamaged = utf8("Good1\r\nBad\xFF\xFE\r\nGood2\r\n");

// A program folder with data\1.txt; nothing: no such file. A folder in its place is written as "dir".
class SavedListsTest : public testing::Test {
protected:
    void SetUp() override {
        auto s = std::make_unique<ui::ScriptedServices>();
        services = s.get();
        ui::setServices(std::move(s));
        ui::setProgramFolder(folder.path());
        QDir().mkpath(folder.file("data"));
    }
    void TearDown() override { ui::setServices(std::make_unique<ui::QtServices>()); }

    QString path() const { return savedlists::fileName(1); }
    void put(const std::optional<QByteArray>& bytes) const {
        QFile::remove(path());
        if (!bytes) return;
        if (*bytes == "dir")
            QDir().mkpath(path());
        else
            folder.write("data\\1.txt", *bytes);
    }
    // The file's bytes, or nothing when there is no file.
    std::optional<QByteArray> now() const {
        if (!QFileInfo(path()).isFile()) return std::nullopt;
        return folder.read("data\\1.txt");
    }

    ProgramFolder folder;
    ui::ScriptedServices* services = nullptr;
};

TEST_F(SavedListsTest, TheFileNameIsDataNInTheProgramFolder) {
    EXPECT_EQ(savedlists::fileName(13), folder.file("data\\13.txt"));
}

// The editor shows the list as it last read it; the file may have changed since. The delete takes the
// shown entry out of the file as it is now, or writes nothing.
TEST_F(SavedListsTest, ADeleteStartsFromTheFileAsItIsNow) {
    struct Case {
        const char* name;
        std::optional<QByteArray> file;  // nothing: no file
        int shownIndex;
        const char* shownEntry;
        std::optional<QByteArray> written;  // nothing: no write
        QStringList shown;                  // the list the editor shows afterwards
    };
    const Case cases[] = {
        {"the entry at its place",
         cp("Алматы\r\nАстана\r\nШымкент\r\n"),
         1,
         "Астана",
         cp("Алматы\r\nШымкент\r\n"),
         {"Алматы", "Шымкент"}},
        {"a save appended an entry since",
         cp("A\r\nB\r\nC\r\nFreshVal\r\n"),
         1,
         "B",
         cp("A\r\nC\r\nFreshVal\r\n"),
         {"A", "C", "FreshVal"}},
        {"a save moved the entry to the end", cp("A\r\nC\r\nB\r\n"), 1, "B", cp("A\r\nC\r\n"), {"A", "C"}},
        {"the nearest of two equal lines, the earlier of two as near",
         cp("A\r\nB\r\nQ\r\nB\r\n"),
         2,
         "B",
         cp("A\r\nQ\r\nB\r\n"),
         {"A", "Q", "B"}},
        {"the entry at its place among repeats", cp("X\r\nB\r\nB\r\n"), 2, "B", cp("X\r\nB\r\n"), {"X", "B"}},
        {"the entry left the file already", cp("A\r\nC\r\n"), 1, "B", std::nullopt, {"A", "C"}},
        {"another letter case is another entry", cp("A\r\nb\r\n"), 1, "B", std::nullopt, {"A", "b"}},
        {"nothing selected keeps the bytes", cp("A\r\nB\r\n"), -1, "", std::nullopt, {"A", "B"}},
        {"nothing selected writes the program's line ends", cp("A\rB"), -1, "", cp("A\r\nB\r\n"), {"A", "B"}},
        {"an empty entry", cp("A\r\n\r\nB\r\n"), 1, "", cp("A\r\nB\r\n"), {"A", "B"}},
        {"a line feed inside an entry",
         cp("one\ntwo\r\nthree\r\n"),
         0,
         "one\ntwo",
         cp("three\r\n"),
         {"three"}},
        {"a byte-order mark stays while entries are left",
         utf8("Қарағанды\r\nАлматы\r\n"),
         0,
         "Қарағанды",
         utf8("Алматы\r\n"),
         {"Алматы"}},
        {"an emptied code page list is zero bytes", cp("Астана\r\n"), 0, "Астана", QByteArray(), {}},
        {"an emptied list with a mark is zero bytes", utf8("Өскемен\r\n"), 0, "Өскемен", QByteArray(), {}},
        {"a mark alone becomes zero bytes", kBom, -1, "", QByteArray(), {}},
        {"a missing file is created empty", std::nullopt, -1, "", QByteArray(), {}},
        {"an empty file stays", QByteArray(), -1, "", std::nullopt, {}},
        {"an unreadable file is never written, nothing selected", kDamaged, -1, "", std::nullopt, {}},
        {"an unreadable file is never written, an entry shown", kDamaged, 0, "Good1", std::nullopt, {}},
        {"a folder in place of the file", QByteArray("dir"), -1, "", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put(c.file);
        const savedlists::Change change =
            savedlists::removeEntry(path(), c.shownIndex, QString::fromUtf8(c.shownEntry));
        EXPECT_FALSE(savedlists::write(change));
        const bool unreadable = c.file == kDamaged || c.file == QByteArray("dir");
        if (c.written) {
            EXPECT_EQ(now().value_or("(no file)").toHex(' '), c.written->toHex(' '));
        } else if (c.file == QByteArray("dir")) {
            EXPECT_TRUE(QFileInfo(path()).isDir());
        } else {
            EXPECT_EQ(now(), c.file) << "the file was written";
        }
        EXPECT_EQ(change.write.has_value(), c.written.has_value());
        EXPECT_EQ(!change.error.isEmpty(), unreadable);
        if (!unreadable) {
            EXPECT_EQ(savedlists::writtenEntries(change), c.shown);
        }
    }
}

TEST_F(SavedListsTest, ADeleteNeverCreatesTheDataFolder) {
    ASSERT_TRUE(QDir(folder.file("data")).removeRecursively());
    const savedlists::Change change = savedlists::removeEntry(path(), -1, {});
    const std::optional<ui::Error> failure = savedlists::write(change);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason(), QStringLiteral("папка «data» не найдена"));
    EXPECT_FALSE(folder.exists("data"));
}

// Merges in a row, with the file rewritten by someone else between some of them: each starts from the
// file as it is then, writes only when its bytes change, and a file that cannot be read is left alone.
TEST_F(SavedListsTest, AMergeStartsFromTheFileAsItIsNow) {
    struct Step {
        std::optional<QByteArray> someoneWrote;  // nothing: the file as the last merge left it
        const char* text;
        std::optional<QByteArray> written;  // nothing: no write
    };
    const Step steps[] = {
        {cp("Альфа\r\nБета\r\n"), "Гамма", cp("Альфа\r\nБета\r\nГамма\r\n")},
        {std::nullopt, "Гамма", std::nullopt},
        {std::nullopt, "бета", cp("Альфа\r\nГамма\r\nбета\r\n")},
        // The editor deleted "Гамма": the merge keeps the deletion.
        {cp("Альфа\r\nбета\r\n"), "Дельта", cp("Альфа\r\nбета\r\nДельта\r\n")},
        {std::nullopt, "альфа", std::nullopt},
        {utf8("Алматы\r\n"), "Астана", utf8("Алматы\r\nАстана\r\n")},
        {cp("Алматы\r\n"), "Өскемен", utf8("Алматы\r\nӨскемен\r\n")},
        {kDamaged, "Good3", std::nullopt},
        {QByteArray("dir"), "x", std::nullopt},
    };
    savedlists::ListFile file(path());
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        if (s.someoneWrote) put(*s.someoneWrote);
        const std::optional<QByteArray> before = now();
        const savedlists::Change change = file.merge(QString::fromUtf8(s.text));
        EXPECT_FALSE(savedlists::write(change));
        EXPECT_EQ(change.write.has_value(), s.written.has_value());
        if (s.written) {
            EXPECT_EQ(now().value_or("(no file)").toHex(' '), s.written->toHex(' '));
            EXPECT_EQ(file.written(change), textfile::splitLines(*s.written));
        } else if (s.someoneWrote != QByteArray("dir")) {
            EXPECT_EQ(now(), before);
        }
        const bool unreadable = s.someoneWrote == kDamaged || s.someoneWrote == QByteArray("dir");
        EXPECT_EQ(!change.error.isEmpty(), unreadable);
    }
}

// The duplicate rule, also where a list knows that only its last entry can have a twin.
TEST(SavedLists, TheMergesDuplicateRuleKeepsTheTopEntryElseTheGroupsLast) {
    struct Case {
        QStringList entries;
        QStringList kept;
    };
    const Case cases[] = {
        {{"Alpha", "Beta", "Gamma", "Delta"}, {"Alpha", "Beta", "Gamma", "Delta"}},
        {{"Alpha", "Beta", "Gamma", "beta"}, {"Alpha", "Gamma", "beta"}},
        {{"Alpha", "Beta", "Gamma", "alpha"}, {"Alpha", "Beta", "Gamma"}},
        {{"Альфа", "Бета", "БЕТА"}, {"Альфа", "БЕТА"}},
        {{"Қазақ", "Бета", "ҚАЗАҚ"}, {"Қазақ", "Бета"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(savedlists::withoutDuplicates(c.entries), c.kept) << c.entries.join(',').toStdString();
        EXPECT_EQ(savedlists::withoutDuplicates(c.entries, true), c.kept)
            << c.entries.join(',').toStdString();
    }
    EXPECT_EQ(savedlists::withoutDuplicates({"Alpha", "Beta", "beta", "Alpha", "Gamma", "BETA", "Delta"}),
              QStringList({"Alpha", "Gamma", "BETA", "Delta"}));
}

// One message for the files the operator has not been told of; a good read lets a new failure be told.
TEST_F(SavedListsTest, AnUnreadableFileIsToldOnceForAsLongAsItFailsTheSameWay) {
    const QString other = savedlists::fileName(2);
    put(utf8("Bad\xFF\r\n"));
    folder.write("data\\2.txt", utf8("Bad\xFE\r\n"));
    std::vector<savedlists::Unreadable> failures;
    for (const QString& p : {path(), other}) failures.push_back({p, savedlists::read(p).error});
    savedlists::reportUnreadable(failures);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, "Ошибка");
    EXPECT_TRUE(services->messages[0].text.contains(QStringLiteral("файлы списков: 2")));
    for (const QString& p : {path(), other})
        EXPECT_TRUE(services->messages[0].details.contains(ui::shownPath(p)));

    savedlists::reportUnreadable(failures);
    EXPECT_EQ(services->messages.size(), 1u);

    // Mended, then broken again: told again, alone, by its name.
    put(cp("Good\r\n"));
    EXPECT_TRUE(savedlists::read(path()).error.isEmpty());
    put(utf8("Bad\xFF\r\n"));
    savedlists::reportUnreadable({{path(), savedlists::read(path()).error}, failures[1]});
    ASSERT_EQ(services->messages.size(), 2u);
    EXPECT_TRUE(services->messages[1].text.contains(QStringLiteral("«data/1.txt»")))
        << services->messages[1].text.toStdString();
    EXPECT_FALSE(services->messages[1].details.contains(ui::shownPath(other)));
    savedlists::forgetTold();
}

}  // namespace
