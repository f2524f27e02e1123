// The 21 saved value lists: their load, the merge and its duplicate rule, the merge order.
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <algorithm>

#include "common/text_file.h"
#include "main_window/vazed_fixture.h"
#include "workbook/ziruduzizozod.h"

using velmox::Vazed;

namespace {
QStringList split(const QString& s) {
    return s.isEmpty() ? QStringList{} : s.split(',');
}
// The close exports "1.xml" with the field places; a layout that did not change is not written again.
TEST_F(VazedTest, TheCloseWritesTheFieldPlacesOnlyWhenOneMoved) {
    const QDateTime past(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const auto age = [&] {
        QFile f(folder.file("1.xml"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    };
    // The shipped layout, nothing moved: not even the first close writes it.
    age();
    for (int run = 0; run < 2; ++run) {
        start();
        close();
        EXPECT_EQ(folder.read("1.xml"), shippedLayout());
        EXPECT_EQ(QFileInfo(folder.file("1.xml")).lastModified(), past);
    }
    // A moved field is written, and only its cell changes.
    start();
    const QByteArray top5 = "<ss:Data ss:Type=\"Number\">4200</ss:Data>";
    ASSERT_EQ(shippedLayout().count(top5), 1);
    velmox::layoutSheet().setInteger(QStringLiteral("C5"), 1234);
    close();
    EXPECT_NE(QFileInfo(folder.file("1.xml")).lastModified(), past);
    EXPECT_EQ(folder.read("1.xml"),
              QByteArray(shippedLayout()).replace(top5, "<ss:Data ss:Type=\"Number\">1234</ss:Data>"));
    EXPECT_TRUE(services->messages.empty());
}

}  // namespace

TEST_F(VazedTest, MergeAppendsMovesOrKeepsByTheDuplicateRule) {
    struct Case {
        const char* start;
        const char* entered;
        const char* expected;
    };
    const Case cases[] = {
        {"Alpha,Beta,Gamma", "Delta", "Alpha,Beta,Gamma,Delta"},
        {"Alpha,Beta,Gamma", "beta", "Alpha,Gamma,beta"},
        {"Alpha,Beta,Gamma", "gamma", "Alpha,Beta,gamma"},
        {"Alpha,Beta,Gamma", "alpha", "Alpha,Beta,Gamma"},
        {"Альфа,Бета,Гамма", "БЕТА", "Альфа,Гамма,БЕТА"},
        {"Қазақ,Бета", "ҚАЗАҚ", "Қазақ,Бета"},
        {"College,Lyceum,School", "school", "College,Lyceum,school"},
        {"College,Lyceum,School", "School", "College,Lyceum,School"},
        {"", "First", "First"},
        {"Alpha", " ", "Alpha, "},
        // A hand-edited file with repeats: one entry of each value is left.
        {"Alpha,Beta,beta,Alpha,Gamma,BETA", "Delta", "Alpha,Gamma,BETA,Delta"},
    };
    Vazed& v = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entered);
        const QStringList before = split(QString::fromUtf8(c.start));
        if (before.isEmpty())
            QFile::remove(folder.file("data\\1.txt"));
        else
            textfile::writeLines(folder.file("data\\1.txt"), before);
        const QString entered = QString::fromUtf8(c.entered);
        v.Combo2.setText(entered);
        v.MergeSavedValueList(1);
        const QStringList expected = split(QString::fromUtf8(c.expected));
        EXPECT_EQ(lines("data\\1.txt"), expected);
        // The box keeps its text, its label follows it, and its list and the hidden list equal the file.
        EXPECT_EQ(v.Combo2.text(), entered);
        EXPECT_EQ(v.Label4.caption(), entered);
        ASSERT_EQ(v.Combo2.listCount(), expected.size());
        for (int i = 0; i < v.Combo2.listCount(); ++i) EXPECT_EQ(v.Combo2.list(i), expected[i]);
        EXPECT_EQ(v.List1.items(), expected);
        EXPECT_EQ(v.Text23.text(), entered);
    }
}

// A save leaves alone every file whose bytes it would not change: no rewrite, so its time stays. A file
// with the same entries in other bytes (lone CR line ends) is still written as the program writes it.
TEST_F(VazedTest, ASaveRewritesOnlyTheFilesWhoseBytesChange) {
    struct Case {
        const char* file;
        QByteArray before;
        ui::ComboBox Vazed::*box;
        const char* entered;
        QByteArray after;
    };
    const QByteArray crlf = cp1251(QStringLiteral("Колледж\r\nЛицей\r\n"));
    const Case cases[] = {
        {"data\\1.txt", crlf, &Vazed::Combo2, "Лицей", crlf},
        {"data\\2.txt", crlf, &Vazed::Combo3, "лицей", cp1251(QStringLiteral("Колледж\r\nлицей\r\n"))},
        {"data\\3.txt", cp1251(QStringLiteral("Колледж\rЛицей\r")), &Vazed::Combo4, "Лицей", crlf},
        {"data\\4.txt", crlf, &Vazed::Combo5, "", crlf},
    };
    for (const Case& c : cases) folder.write(QString::fromLatin1(c.file), c.before);
    Vazed& v = start();
    for (const Case& c : cases) (v.*c.box).setText(QString::fromUtf8(c.entered));
    v.SaveEntryState();
    const QDateTime past(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const auto age = [&](const QString& name) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
    };
    // The first save wrote "2.txt"; the lists go back to their first bytes, everything gets an old time.
    for (const Case& c : cases) folder.write(QString::fromLatin1(c.file), c.before);
    for (const Case& c : cases) age(QString::fromLatin1(c.file));
    age(QStringLiteral("2.txt"));
    const QByteArray lastValues = folder.read("2.txt");
    v.SaveEntryState();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = QString::fromLatin1(c.file);
        EXPECT_EQ(folder.read(file), c.after);
        EXPECT_EQ(QFileInfo(folder.file(file)).lastModified() == past, c.before == c.after);
    }
    EXPECT_EQ(v.List1.items(), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Лицей")}));
    EXPECT_EQ(v.Combo2.listCount(), 2);
    EXPECT_EQ(folder.read("2.txt"), lastValues);
    EXPECT_EQ(QFileInfo(folder.file("2.txt")).lastModified(), past);
    EXPECT_TRUE(services->messages.empty());
}

// Saves one after another, with the value list editor rewriting the file between some of them: each
// save starts from the file as it is then, writes only when its bytes change, and leaves the hidden
// list and the box holding the file's entries, the hidden list unselected.
TEST_F(VazedTest, RepeatedSavesFollowTheFileAsItIsAtEachSave) {
    const QByteArray bom("\xEF\xBB\xBF");
    struct Step {
        QByteArray editorWrote;  // empty: the file is left as the last save left it
        const char* entered;
        QByteArray after;
    };
    const auto cp = [](const char* text) { return cp1251(QString::fromUtf8(text)); };
    const Step steps[] = {
        {cp("Альфа\r\nБета\r\n"), "Гамма", cp("Альфа\r\nБета\r\nГамма\r\n")},
        {{}, "Гамма", cp("Альфа\r\nБета\r\nГамма\r\n")},
        {cp("Альфа\r\nГамма\r\n"), "Гамма", cp("Альфа\r\nГамма\r\n")},
        {cp("Гамма\r\nАльфа\r\n"), "Гамма", cp("Гамма\r\nАльфа\r\n")},
        {{}, "альфа", cp("Гамма\r\nальфа\r\n")},
        {{}, "ГАММА", cp("Гамма\r\nальфа\r\n")},
        {bom + QStringLiteral("Гамма\r\nальфа\r\n").toUtf8(), "ГАММА",
         bom + QStringLiteral("Гамма\r\nальфа\r\n").toUtf8()},
        {{}, "Бета", bom + QStringLiteral("Гамма\r\nальфа\r\nБета\r\n").toUtf8()},
        {{}, "АЛЬФА", bom + QStringLiteral("Гамма\r\nБета\r\nАЛЬФА\r\n").toUtf8()},
        {{}, "Дельта", bom + QStringLiteral("Гамма\r\nБета\r\nАЛЬФА\r\nДельта\r\n").toUtf8()},
        {{}, "дельта", bom + QStringLiteral("Гамма\r\nБета\r\nАЛЬФА\r\nдельта\r\n").toUtf8()},
        {{}, "гамма", bom + QStringLiteral("Гамма\r\nБета\r\nАЛЬФА\r\nдельта\r\n").toUtf8()},
        {cp("Гамма\rальфа\rБета\r"), "Бета", cp("Гамма\r\nальфа\r\nБета\r\n")},
        {cp("Бета\r\nБета\r\n"), "Бета", cp("Бета\r\n")},
    };
    Vazed& v = start();
    const QDateTime past(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.after.toStdString());
        if (!step.editorWrote.isEmpty()) folder.write("data\\1.txt", step.editorWrote);
        const QByteArray before = folder.read("data\\1.txt");
        {
            QFile f(folder.file("data\\1.txt"));
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.setFileTime(past, QFileDevice::FileModificationTime));
        }
        v.Combo2.setText(QString::fromUtf8(step.entered));
        if (v.List1.listCount() > 0) v.List1.setListIndex(0);
        // The save's Change of the box mirrors its text into the field label once more.
        v.Label4.setCaption(QStringLiteral("подпись"));
        v.SaveEntryState();
        EXPECT_EQ(v.Label4.caption(), QString::fromUtf8(step.entered));
        EXPECT_EQ(v.Combo2.listIndex(), -1);
        EXPECT_EQ(folder.read("data\\1.txt"), step.after);
        EXPECT_EQ(QFileInfo(folder.file("data\\1.txt")).lastModified() == past, before == step.after);
        const QStringList expected = textfile::splitLines(step.after);
        EXPECT_EQ(v.List1.items(), expected);
        EXPECT_EQ(v.List1.listIndex(), -1);
        ASSERT_EQ(v.Combo2.listCount(), expected.size());
        for (int i = 0; i < v.Combo2.listCount(); ++i) EXPECT_EQ(v.Combo2.list(i), expected[i]);
        EXPECT_EQ(v.Combo2.text(), QString::fromUtf8(step.entered));
        EXPECT_EQ(v.Text23.text(), QString::fromUtf8(step.entered));
    }
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(VazedTest, ListsLoadIntoTheirHiddenListAndComboBoxWithEmptyTexts) {
    folder.write("data\\20.txt", cp1251(QStringLiteral("Алматы\r\nАстана\rШымкент")));
    folder.write("data\\21.txt", QByteArray("\xEF\xBB\xBF") + QStringLiteral("Біліктілік\r\n").toUtf8());
    Vazed& v = start();
    EXPECT_EQ(v.List20.items(),
              (QStringList{QStringLiteral("Алматы"), QStringLiteral("Астана"), QStringLiteral("Шымкент")}));
    EXPECT_EQ(v.Combo21.listCount(), 3);
    EXPECT_EQ(v.List21.items(), QStringList{QStringLiteral("Біліктілік")});
    EXPECT_EQ(v.Combo25.list(0), QStringLiteral("Біліктілік"));
    // No last-values file: the texts stay empty after the lists were filled.
    EXPECT_EQ(v.Combo21.text(), QString());
}

TEST_F(VazedTest, AnEmptyComboWritesNothingAndANonEmptyOneCreatesItsFile) {
    Vazed& v = start();
    v.Combo19.setText(QStringLiteral("Техник"));
    v.SaveEntryState();
    for (int n = 1; n <= 21; ++n)
        EXPECT_EQ(folder.exists(QStringLiteral("data\\%1.txt").arg(n)), n == 18) << "list " << n;
    EXPECT_EQ(lines("data\\18.txt"), QStringList{QStringLiteral("Техник")});
}

TEST_F(VazedTest, MergesRunInTheOrderOneToEighteenThenTwentyOneNineteenTwenty) {
    Vazed& v = start();
    // Every list file is a folder, so every merge fails and names its file, in merge order.
    for (int n = 1; n <= 21; ++n) QDir().mkpath(folder.file(QStringLiteral("data\\%1.txt").arg(n)));
    for (const auto& s : velmox::kSavedLists) (v.*s.combo).setText(QStringLiteral("x"));
    services->messages.clear();
    v.SaveEntryState();
    ASSERT_EQ(services->messages.size(), 1u);
    const QString text = services->messages[0].details;
    std::vector<int> order;
    for (const QString& line : text.split('\n')) {
        const qsizetype at = line.indexOf(QStringLiteral("data"));
        if (at < 0) continue;
        const QString rest = line.mid(at + 5);
        order.push_back(rest.left(rest.indexOf('.')).toInt());
    }
    EXPECT_EQ(order,
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 21, 19, 20}));
}

// Two lists that the operator joined by a hard link are one file: a save that gives each a value of
// its own keeps both, the later merge starting from what the earlier wrote, and both are done.
TEST_F(VazedTest, TwoListsThatAreOneFileKeepBothValuesOfOneSave) {
    folder.write("data\\1.txt", cp1251(QStringLiteral("Первый\r\n")));
    ASSERT_EQ(::link(QFile::encodeName(folder.file("data\\1.txt")).constData(),
                     QFile::encodeName(folder.file("data\\2.txt")).constData()),
              0);
    Vazed& v = start();
    const auto& lists = velmox::kSavedLists;
    const auto list = [&](int n) {
        return std::find_if(std::begin(lists), std::end(lists), [n](const auto& s) { return s.n == n; });
    };
    (v.*list(1)->combo).setText(QStringLiteral("Из первого"));
    (v.*list(2)->combo).setText(QStringLiteral("Из второго"));
    services->messages.clear();
    v.SaveEntryState();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Первый"), QStringLiteral("Из первого"),
                                                 QStringLiteral("Из второго")}));
}

TEST_F(VazedTest, EntriesDeletedInTheFileWhileTheWindowIsOpenStayDeletedAtTheNextSave) {
    folder.write("data\\3.txt", cp1251(QStringLiteral("Первый\r\nВторой\r\nТретий\r\n")));
    Vazed& v = start();
    // The value list editor rewrites the file without "Второй".
    folder.write("data\\3.txt", cp1251(QStringLiteral("Первый\r\nТретий\r\n")));
    v.Combo4.setText(QStringLiteral("Четвёртый"));
    v.SaveEntryState();
    EXPECT_EQ(lines("data\\3.txt"),
              (QStringList{QStringLiteral("Первый"), QStringLiteral("Третий"), QStringLiteral("Четвёртый")}));
}

TEST_F(VazedTest, AMissingDataFolderIsCreatedWhenAListIsWritten) {
    QDir(folder.file("data")).removeRecursively();
    Vazed& v = start();
    v.Combo2.setText(QStringLiteral("Колледж"));
    close();
    EXPECT_EQ(lines("data\\1.txt"), QStringList{QStringLiteral("Колледж")});
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(VazedTest, ListEntriesOutsideWindows1251AreWrittenInUtf8AndComeBack) {
    Vazed& v = start();
    v.Combo12.setText(QStringLiteral("Қарағанды колледжі"));
    close();
    EXPECT_TRUE(folder.read("data\\11.txt").startsWith("\xEF\xBB\xBF"));
    Vazed& again = start();
    EXPECT_EQ(again.Combo12.list(0), QStringLiteral("Қарағанды колледжі"));
    EXPECT_EQ(again.Combo12.text(), QStringLiteral("Қарағанды колледжі"));
}
