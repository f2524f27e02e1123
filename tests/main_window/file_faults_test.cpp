// Files the close cannot write or the start cannot read: a full disk, an unreadable "2.txt", files
// saved as UTF-16 by another editor, files another program holds, a list whose killed save left no
// copy of its old content. Nothing on disk may get worse.
#include <sys/stat.h>
#include <unistd.h>

#include <QDirIterator>
#include <QMap>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>

#include "common/text_file.h"
#include "main_window/vazed_fixture.h"
#include "main_window/vazed_tables.h"
#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"
#include "support/child_process.h"
#include "support/flushes.h"
#include "support/held_file.h"
#include "workbook/ziruduzizozod.h"

using velmox::kLastValueLines;
using velmox::Vazed;

namespace {

// Every file below `root` by its path relative to it, with its bytes.
QMap<QString, QByteArray> contents(const QString& root) {
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // The running copy's lock file is no saved file.
        if (it.fileName() == QLatin1String("Velmox.lock")) continue;
        QFile f(path);
        out.insert(QDir(root).relativeFilePath(path),
                   f.open(QIODevice::ReadOnly) ? f.readAll() : "unreadable");
    }
    return out;
}

QString shown(const ProgramFolder& folder, const char* name) {
    return ui::shownPath(folder.file(QString::fromLatin1(name)));
}

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

// A file as a killed write in its own place leaves it: the mark at its end names a copy that is gone.
QByteArray markedWithoutCopy(const QByteArray& content, const QByteArray& name) {
    const QByteArray nul(1, '\0');
    return content + nul + "velmox: old content in /nowhere/" + name + ".~0000000.old" + nul +
           "0123456789abcdef" + nul + "velmox" + nul;
}

class BusyFileTest : public VazedTest {
    const ShortFileWaits waits_;
};

}  // namespace

TEST_F(VazedTest, AFullDiskAtTheCloseKeepsEveryOldFileAndOneMessageNamesThem) {
    folder.write("2.txt", crlf(lastValues()));
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    folder.write("data\\2.txt", cp1251(QStringLiteral("Лицей\r\n")));
    Vazed& v = start();
    ASSERT_TRUE(services->messages.empty());
    v.Text9.setText(QStringLiteral("Петров П.П."));
    v.Combo2.setText(QStringLiteral("Университет"));
    v.Combo3.setText(QStringLiteral("Гимназия"));
    // A moved field: the close writes "1.xml" too, which an unchanged layout would leave alone.
    velmox::layoutSheet().setInteger(u"C5", 1234);
    const QMap<QString, QByteArray> before = contents(folder.path());

    runInChild([&] {
        limitFileSize(0);
        close();
        ASSERT_EQ(services->messages.size(), 1u);
        const QString text = services->messages[0].all();
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        for (const char* name : {"2.txt", "1.xml", "data/1.txt", "data/2.txt"})
            EXPECT_TRUE(text.contains(shown(folder, name)))
                << name << " is not named in: " << text.toStdString();
        EXPECT_EQ(services->endedWith, std::vector<int>{0});
    });
    // Byte for byte as before, and no temporary file left beside them.
    EXPECT_EQ(contents(folder.path()), before);
}

// The lists are written together; one that cannot be written is named alone, keeps its file and its
// entries on screen, and the others are written and shown as usual.
TEST_F(VazedTest, AListThatCannotBeWrittenIsNamedAloneAndTheOtherListsAreSaved) {
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    folder.write("data\\2.txt", cp1251(QStringLiteral("Лицей\r\n")));
    folder.write("data\\3.txt", cp1251(QStringLiteral("Школа\r\n")));
    Vazed& v = start();
    QFile::setPermissions(folder.file("data\\2.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    v.Combo2.setText(QStringLiteral("Университет"));
    v.Combo3.setText(QStringLiteral("Гимназия"));
    v.Combo4.setText(QStringLiteral("Академия"));
    v.SaveEntryState();
    EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Университет")}));
    EXPECT_EQ(folder.read("data\\2.txt"), cp1251(QStringLiteral("Лицей\r\n")));
    EXPECT_EQ(lines("data\\3.txt"), (QStringList{QStringLiteral("Школа"), QStringLiteral("Академия")}));
    ASSERT_EQ(services->messages.size(), 1u);
    // Named as any file that cannot be written: no count of one, no pointer to details elsewhere.
    EXPECT_EQ(services->messages[0].text,
              QStringLiteral("Не удалось записать файл «%1».").arg(shown(folder, "data/2.txt")));
    EXPECT_EQ(services->messages[0].details, QStringLiteral("Причина: файл только для чтения"));
    EXPECT_EQ(v.List1.items(), lines("data\\1.txt"));
    EXPECT_EQ(v.List2.items(), QStringList{QStringLiteral("Лицей")});
    EXPECT_EQ(v.Combo3.text(), QStringLiteral("Гимназия"));
    EXPECT_EQ(v.Combo3.listCount(), 1);
    EXPECT_EQ(v.List3.items(), lines("data\\3.txt"));
    EXPECT_EQ(v.Combo4.listCount(), 2);
}

// The last values and the lists are written together, yet their failures are named in the order of
// the save: the last values first, then the lists in merge order.
TEST_F(VazedTest, FailuresOfFilesWrittenTogetherAreNamedInTheOrderOfTheSave) {
    folder.write("2.txt", crlf(lastValues()));
    for (const char* name : {"data\\19.txt", "data\\21.txt", "data\\1.txt"})
        folder.write(QString::fromLatin1(name), cp1251(QStringLiteral("Колледж\r\n")));
    Vazed& v = start();
    for (const char* name : {"2.txt", "data\\19.txt", "data\\21.txt", "data\\1.txt"})
        QFile::setPermissions(folder.file(QString::fromLatin1(name)), QFileDevice::ReadOwner);
    v.Text9.setText(QStringLiteral("Петров П.П."));
    for (ui::ComboBox* box : {&v.Combo2, &v.Combo20, &v.Combo25}) box->setText(QStringLiteral("Лицей"));
    v.SaveEntryState();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text, QStringLiteral("Не всё удалось сохранить, ошибок: 4."));
    const QStringList details = services->messages[0].details.split(u'\n');
    ASSERT_EQ(details.size(), 4) << services->messages[0].details.toStdString();
    const char* order[] = {"2.txt", "data/1.txt", "data/21.txt", "data/19.txt"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(details[i].contains(shown(folder, order[i]))) << details[i].toStdString();
}

TEST_F(VazedTest, AnUnreadableLastValuesFileIsNeverOverwrittenAndTheCloseSaysSo) {
    const QByteArray kept = crlf(lastValues({{1, QStringLiteral("Иванов")}}));
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        folder.write("2.txt", kept);
        folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
        QFile::setPermissions(folder.file("2.txt"), QFileDevice::WriteOwner);
        Vazed& v = start();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(shown(folder, "2.txt")));
        EXPECT_EQ(v.Combo1.text(), QString());
        v.Combo2.setText(QStringLiteral("Лицей"));
        close();
        // The close still saves the rest and names the file it left alone.
        ASSERT_EQ(services->messages.size(), 2u);
        EXPECT_TRUE(services->messages[1].all().contains(shown(folder, "2.txt")))
            << services->messages[1].all().toStdString();
        EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Лицей")}));
        QFile::setPermissions(folder.file("2.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(folder.read("2.txt"), kept);
}

TEST_F(VazedTest, FilesSavedAsUtf16AreReadAndWrittenBackInTheProgramsOwnEncoding) {
    struct Case {
        const char* what;
        QStringConverter::Encoding encoding;
        QString first;
        QByteArray written;  // how the close writes line 1 back
    };
    const Case cases[] = {
        {"little-endian, Russian", QStringConverter::Utf16LE, QStringLiteral("Иванов"), cp1251("Иванов\r\n")},
        {"big-endian, Kazakh", QStringConverter::Utf16BE, QStringLiteral("Қасымов"),
         "\xEF\xBB\xBF" + QStringLiteral("Қасымов\r\n").toUtf8()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services->messages.clear();
        const QStringList values = lastValues({{1, c.first}});
        folder.write("2.txt", utf16(values.join("\r\n") + "\r\n", c.encoding));
        folder.write("data\\1.txt", utf16(QStringLiteral("Колледж\r\nҰлттық университет\r\n"), c.encoding));
        folder.write("data\\lang.txt", utf16(QStringLiteral("Kaz\r\n"), c.encoding));
        Vazed& v = start();
        EXPECT_TRUE(services->messages.empty());
        for (int i = 0; i < 47; ++i) EXPECT_EQ(kLastValueLines[i].get(v), values[i]) << "line " << i + 1;
        EXPECT_EQ(v.List1.items(),
                  (QStringList{QStringLiteral("Колледж"), QStringLiteral("Ұлттық университет")}));
        EXPECT_EQ(v.Text43.text(), QStringLiteral("Kaz"));

        v.Combo2.setText(QStringLiteral("Лицей"));
        close();
        EXPECT_TRUE(services->messages.empty());
        EXPECT_TRUE(folder.read("2.txt").startsWith(c.written));
        EXPECT_EQ(lines("2.txt"), lastValues({{1, c.first}, {4, QStringLiteral("Лицей")}}));
        // The list keeps its entries and gets exactly one more: no stray marks or halves of letters.
        EXPECT_EQ(lines("data\\1.txt"),
                  (QStringList{QStringLiteral("Колледж"), QStringLiteral("Ұлттық университет"),
                               QStringLiteral("Лицей")}));
        EXPECT_TRUE(folder.read("data\\1.txt").startsWith("\xEF\xBB\xBF"));
    }
}

TEST_F(VazedTest, ADamagedUtf16ListIsReportedAndNeverMergedOrOverwritten) {
    // An odd number of bytes: the last letter was cut in half.
    const QByteArray damaged =
        utf16(QStringLiteral("Колледж\r\nЛицей"), QStringConverter::Utf16LE).chopped(1);
    folder.write("data\\1.txt", damaged);
    Vazed& v = start();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(services->messages[0].all().contains(shown(folder, "data/1.txt")));
    EXPECT_EQ(v.List1.items(), QStringList{});
    v.Combo2.setText(QStringLiteral("Гимназия"));
    // The start's message said so: a save that finds the file as it was names it no more.
    close();
    EXPECT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(folder.read("data\\1.txt"), damaged);
}

// A fault of the program in one step of the save (a bug, not a file that cannot be written) costs the
// other steps nothing: every other file is written, and the fault goes on to be reported where the
// event was dispatched. At the close it is reported there, and the close still ends the program.
TEST_F(VazedTest, AFaultOfTheProgramInOneStepOfTheSaveCostsTheOthersNothingAndIsReported) {
    folder.write("2.txt", crlf(lastValues()));
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    folder.write("data\\2.txt", cp1251(QStringLiteral("Лицей\r\n")));
    Vazed& v = start();
    v.Text9.setText(QStringLiteral("Петров П.П."));
    v.Combo2.setText(QStringLiteral("Университет"));
    EXPECT_THROW(v.SaveEntryState([] { throw std::logic_error("a fault of the program"); }),
                 std::logic_error);
    EXPECT_TRUE(lines("2.txt").contains(QStringLiteral("Петров П.П.")));
    EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Университет")}));
    EXPECT_TRUE(services->messages.empty()) << "the fault is left to the dispatch";

    v.Text9.setText(QStringLiteral("Сидоров С.С."));
    v.Combo3.setText(QStringLiteral("Гимназия"));
    // The list's box fails as the save gives it its refilled entries.
    v.Combo3.onChange = [] { throw std::logic_error("a fault of the program"); };
    close();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text, QStringLiteral("Непредвиденная ошибка в программе."));
    EXPECT_EQ(services->messages[0].details, QStringLiteral("a fault of the program"));
    EXPECT_TRUE(lines("2.txt").contains(QStringLiteral("Сидоров С.С.")));
    EXPECT_TRUE(lines("data\\2.txt").contains(QStringLiteral("Гимназия")));
    EXPECT_EQ(services->endedWith, std::vector<int>{0});
}

// A named pipe in the place of a settings file and of a list would wait for a writer for ever: the
// start names each as no plain file and goes on, and the close leaves them as they are.
TEST_F(VazedTest, APipeInPlaceOfASettingsFileOrAListIsNamedAndTheStartGoesOn) {
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    QFile::remove(folder.file("data/lang.txt"));
    for (const char* name : {"data/lang.txt", "data/5.txt"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file(QString::fromLatin1(name))).constData(), 0644), 0);
    runInChild([&] {
        ::alarm(60);  // a start that waits on a pipe ends the check instead of hanging it
        Vazed& v = start();
        EXPECT_TRUE(v.window()->isVisible());
        QString all;
        for (const auto& m : services->messages) all += m.all() + "\n";
        for (const char* name : {"data/lang.txt", "data/5.txt"})
            EXPECT_TRUE(all.contains(shown(folder, name)))
                << name << " is not named in: " << all.toStdString();
        EXPECT_TRUE(all.contains(QStringLiteral("не обычный файл"))) << all.toStdString();
        EXPECT_EQ(v.Combo2.list(0), QStringLiteral("Колледж"));
        v.Combo6.setText(QStringLiteral("Лицей"));
        close();
    });
    for (const char* name : {"data/lang.txt", "data/5.txt"}) {
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(folder.file(QString::fromLatin1(name))).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << name;
    }
}

// Saves killed midway left temporary files in the program folder and in data, and a list with
// several names half written, marked, beside the copy of its old content. Once it holds the lock, the
// start clears them all and puts the list's old content back before the lists are read. Files of the
// operator's that only look like an earlier version's temporary files stay, as does everything else.
TEST_F(VazedTest, TheStartClearsWhatKilledSavesLeftAndPutsBackAHalfWrittenList) {
    const QByteArray list = cp1251(QStringLiteral("Колледж\r\nЛицей\r\n"));
    folder.write("data\\1.txt", list);
    ASSERT_EQ(::link(QFile::encodeName(folder.file("data/1.txt")).constData(),
                     QFile::encodeName(folder.file("1-shared.txt")).constData()),
              0);
    ui::setProgramFolder(folder.path());
    killSaveAtFlush(folder.file("data/1.txt"), "\xCA\xEE\xEB\r\n", ContentFlush);
    ASSERT_NE(folder.read("1-shared.txt"), list);
    for (const char* name : {"2.txt.~0000abc.new", "1.xml.~00000z1.new", "data/3.txt.~000000q.new"})
        folder.write(QString::fromLatin1(name), "leftover");
    const QStringList operators = {"1.xml.2.new",    "2.xml.v2.new",         "2.xml.copy1.new",
                                   "2.xml.2024.new", "2.txt.a1.new",         "QR.2.new",
                                   "Velmox.1.new",   "data/lang.txt.v1.new", "data/notes.new"};
    for (const QString& name : operators) folder.write(name, "mine");
    Vazed& v = start();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(v.Combo2.list(0), QStringLiteral("Колледж"));
    EXPECT_EQ(v.Combo2.list(1), QStringLiteral("Лицей"));
    EXPECT_EQ(folder.read("1-shared.txt"), list);
    QStringList left = contents(folder.path()).keys();
    left.removeAll(QStringLiteral("1.xml"));
    QStringList expected =
        QStringList{"1-shared.txt", "data/1.txt", "data/Line.txt", "data/Skin.txt", "data/lang.txt"} +
        operators;
    expected.sort();
    EXPECT_EQ(left, expected);
    for (const QString& name : operators)
        EXPECT_EQ(folder.read(name), QByteArray("mine")) << name.toStdString();
}

// "2.txt" held by another program at the start is told as busy and the fields start empty. The next
// save of the entries reads it again: every field the operator left as the start left it takes the
// file's value, the typed one stays, and all are written, so no remembered value gives way to an
// empty box. A file still held then is named and left as it is.
TEST_F(BusyFileTest, ALastValuesFileBusyAtTheStartIsReadAgainByTheNextSaveAndKeepsItsValues) {
    struct Case {
        const char* what;
        std::function<void(Vazed&)> save;
        bool stillHeld;
    };
    const Case cases[] = {
        {"the close", [this](Vazed&) { close(); }, false},
        {"Блок", [](Vazed& v) { ui::dispatchEvent([&v] { v.Image15_Click(); }); }, false},
        {"Редактировать", [](Vazed& v) { ui::dispatchEvent([&v] { v.Image24_Click(); }); }, false},
        {"the close, still held", [this](Vazed&) { close(); }, true},
    };
    const QString typed = QStringLiteral("Петров П.П.");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("2.txt", crlf(lastValues()));
        std::optional<HeldFile> held(std::in_place, folder.file("2.txt"));
        Vazed& v = start();
        if (!c.stillHeld) held.reset();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(shown(folder, "2.txt")));
        EXPECT_TRUE(services->messages[0].all().contains(ui::busyReason()))
            << services->messages[0].all().toStdString();
        EXPECT_EQ(kLastValueLines[0].get(v), QString());

        v.Text9.setText(typed);
        qsizetype at = -1;
        for (qsizetype i = 0; i < 47; ++i)
            if (kLastValueLines[i].get(v) == typed) at = i;
        ASSERT_GE(at, 0);
        c.save(v);
        if (c.stillHeld) {
            ASSERT_EQ(services->messages.size(), 2u);
            EXPECT_TRUE(services->messages[1].all().contains(shown(folder, "2.txt")));
            EXPECT_TRUE(services->messages[1].all().contains(ui::busyReason()))
                << services->messages[1].all().toStdString();
            held.reset();
            EXPECT_EQ(lines("2.txt"), lastValues());
        } else {
            EXPECT_EQ(services->messages.size(), 1u) << services->messages.back().all().toStdString();
            QStringList expected = lastValues();
            expected[at] = typed;
            EXPECT_EQ(lines("2.txt"), expected);
        }
        services->messages.clear();
        TearDown();
        SetUp();
    }
}

// Lists held by another program at the start: one box says they are busy, not unreadable, and they
// show empty. Each save reads them again: while they are still held it names them every time (the
// start's box does not stand for them), and once free the typed value is merged into what they hold.
TEST_F(BusyFileTest, ListsBusyAtTheStartAreReadAgainByEachSaveAndNamedWhileStillHeld) {
    struct Case {
        const char* what;
        std::vector<const char*> held;
        QString told;  // the start's box
        bool freeAtTheClose;
    };
    const Case cases[] = {
        {"one list, free by the close",
         {"data/1.txt"},
         QStringLiteral("Файл списка «%1» занят другой программой. Список показан пустым; файл будет "
                        "прочитан снова при сохранении.")
             .arg(shown(folder, "data/1.txt")),
         true},
        {"two lists, still held at the close",
         {"data/1.txt", "data/3.txt"},
         QStringLiteral("Файлы списков заняты другой программой: 2. Эти списки показаны пустыми; файлы "
                        "будут прочитаны снова при сохранении."),
         false},
    };
    const QByteArray colleges = cp1251(QStringLiteral("Колледж\r\nЛицей\r\n"));
    const QByteArray schools = cp1251(QStringLiteral("Школа\r\n"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("data\\1.txt", colleges);
        folder.write("data\\2.txt", cp1251(QStringLiteral("Академия\r\n")));
        folder.write("data\\3.txt", schools);
        std::vector<std::unique_ptr<HeldFile>> held;
        for (const char* name : c.held) held.push_back(std::make_unique<HeldFile>(folder.file(name)));
        Vazed& v = start();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].text, c.told);
        for (const char* name : c.held) {
            EXPECT_TRUE(services->messages[0].details.contains(shown(folder, name))) << name;
            EXPECT_TRUE(services->messages[0].details.contains(ui::busyReason()));
        }
        EXPECT_EQ(v.List1.items(), QStringList());
        EXPECT_EQ(v.Combo2.listCount(), 0);
        EXPECT_EQ(v.List2.items(), QStringList{QStringLiteral("Академия")});
        EXPECT_EQ(v.List3.items().isEmpty(), c.held.size() == 2);

        v.Combo2.setText(QStringLiteral("Университет"));
        v.Combo3.setText(QStringLiteral("Консерватория"));
        v.Combo4.setText(QStringLiteral("Гимназия"));
        // "Блок", back with "Открыть", and "Блок" again: each save names the held lists anew.
        for (int save = 1; save <= 2; ++save) {
            SCOPED_TRACE(save);
            services->messages.clear();
            ui::dispatchEvent([&v] {
                v.Image18_Click();
                v.Image15_Click();
            });
            ASSERT_EQ(services->messages.size(), 1u);
            const QString message = services->messages[0].all();
            for (const char* name : c.held)
                EXPECT_TRUE(message.contains(shown(folder, name)))
                    << name << " is not named in: " << message.toStdString();
            EXPECT_TRUE(message.contains(ui::busyReason())) << message.toStdString();
            EXPECT_EQ(folder.read("data\\1.txt"), colleges);
        }
        EXPECT_EQ(lines("data\\2.txt"),
                  (QStringList{QStringLiteral("Академия"), QStringLiteral("Консерватория")}));

        services->messages.clear();
        if (c.freeAtTheClose) held.clear();
        close();
        if (c.freeAtTheClose) {
            EXPECT_TRUE(services->messages.empty());
            EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Лицей"),
                                                         QStringLiteral("Университет")}));
            EXPECT_EQ(lines("data\\3.txt"),
                      (QStringList{QStringLiteral("Школа"), QStringLiteral("Гимназия")}));
        } else {
            ASSERT_EQ(services->messages.size(), 1u);
            const QString message = services->messages[0].all();
            for (const char* name : c.held)
                EXPECT_TRUE(message.contains(shown(folder, name)))
                    << name << " is not named in: " << message.toStdString();
            EXPECT_EQ(folder.read("data\\1.txt"), colleges);
            EXPECT_EQ(folder.read("data\\3.txt"), schools);
        }
        EXPECT_EQ(services->endedWith, std::vector<int>{0});
        held.clear();
        TearDown();
        SetUp();
    }
}

// The start reads the lists from the twentieth on: its boxes, of busy lists and of unreadable ones
// alike, name them in the lists' own order.
TEST_F(BusyFileTest, TheBoxesOfListsTheStartCouldNotReadNameThemInTheListsOrder) {
    const char* const names[] = {"data/1.txt", "data/2.txt", "data/19.txt", "data/20.txt", "data/21.txt"};
    for (const bool busy : {true, false}) {
        SCOPED_TRACE(busy ? "busy" : "unreadable");
        std::vector<std::unique_ptr<HeldFile>> held;
        QStringList expected;
        for (const char* name : names) {
            const QString path = folder.file(QString::fromLatin1(name));
            if (busy) {
                folder.write(name, cp1251(QStringLiteral("Колледж\r\n")));
                held.push_back(std::make_unique<HeldFile>(path));
            } else {
                QFile::remove(path);
                ASSERT_TRUE(QDir().mkpath(path));
            }
            expected << ui::shownPath(path);
        }
        start();
        ASSERT_EQ(services->messages.size(), 1u);
        QStringList named;
        for (const QString& line : services->messages[0].details.split(u'\n'))
            named << line.section(QStringLiteral(": "), 0, 0);
        EXPECT_EQ(named, expected) << services->messages[0].details.toStdString();
        held.clear();
        TearDown();
        SetUp();
    }
}

// A list that a killed save in its own place left marked, its copy of the old content gone since: the
// start puts it aside as it lies under the first free backup name and says where; the list then shows
// empty, as a first start's, with no second message, and the next save writes it anew with the typed
// value alone. The backups, the operator's and the put aside, keep their bytes.
TEST_F(VazedTest, AListMarkedWithoutItsCopyIsPutAsideByTheStartAndWrittenAnewByTheSave) {
    struct Case {
        const char* what;
        std::vector<const char*> operators;  // backup names the operator's own files already hold
        const char* backup;
        std::function<void(Vazed&)> save;
    };
    const Case cases[] = {
        {"saved at the close", {}, "data/5.txt.bak", [this](Vazed&) { close(); }},
        {"beside the operator's backups, saved by Блок",
         {"data/5.txt.bak", "data/5.txt.1.bak"},
         "data/5.txt.2.bak",
         [](Vazed& v) { ui::dispatchEvent([&v] { v.Image15_Click(); }); }},
    };
    const QByteArray marked = markedWithoutCopy(cp1251(QStringLiteral("Колледж\r\nЛицей\r\n")), "5.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& name : QDir(folder.file("data")).entryList({QStringLiteral("5.txt*")}))
            QFile::remove(folder.file(QStringLiteral("data/") + name));
        folder.write("data\\5.txt", marked);
        for (const char* name : c.operators) folder.write(QString::fromLatin1(name), name);
        Vazed& v = start();
        ASSERT_EQ(services->messages.size(), 1u);
        const QString message = services->messages[0].all();
        EXPECT_TRUE(message.contains(QStringLiteral("«%1»").arg(shown(folder, "data/5.txt"))))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("«%1»").arg(shown(folder, c.backup))))
            << message.toStdString();
        EXPECT_EQ(folder.read(QString::fromLatin1(c.backup)), marked);
        EXPECT_FALSE(folder.exists("data\\5.txt"));
        EXPECT_EQ(v.List5.items(), QStringList());
        EXPECT_EQ(v.Combo6.listCount(), 0);

        v.Combo6.setText(QStringLiteral("Гимназия"));
        c.save(v);
        EXPECT_EQ(services->messages.size(), 1u) << services->messages.back().all().toStdString();
        EXPECT_EQ(folder.read("data\\5.txt"), cp1251(QStringLiteral("Гимназия\r\n")));
        EXPECT_EQ(folder.read(QString::fromLatin1(c.backup)), marked);
        for (const char* name : c.operators) EXPECT_EQ(folder.read(QString::fromLatin1(name)), name);
        services->messages.clear();
        TearDown();
        SetUp();
        // The next start finds a list like any other.
        Vazed& again = start();
        EXPECT_TRUE(services->messages.empty());
        EXPECT_EQ(again.List5.items(), QStringList{QStringLiteral("Гимназия")});
        TearDown();
        SetUp();
    }
}

// A copy left beside a list put aside (cut, edited or re-tokened, so it was not taken) may hold the
// only intact old content: the start's message names it, and it stays as it was.
TEST_F(VazedTest, TheMessageOfAListPutAsideNamesTheCopyLeftBesideIt) {
    folder.write("data\\5.txt", markedWithoutCopy(cp1251(QStringLiteral("Колледж\r\n")), "5.txt"));
    const QByteArray cut = "velmox copy 0123456789abcdef 1 2 99 00\nКолл";
    folder.write("data\\5.txt.~0000abc.old", cut);
    start();
    ASSERT_EQ(services->messages.size(), 1u);
    const QString message = services->messages[0].all();
    EXPECT_TRUE(message.contains(QStringLiteral("«%1»").arg(shown(folder, "data/5.txt.~0000abc.old"))))
        << message.toStdString();
    EXPECT_EQ(folder.read("data\\5.txt.~0000abc.old"), cut);
}

// The language file marked without its copy, in a program folder reached through a linked folder:
// the start names it once, put aside, as every message names a file of the program folder, and the
// language is then that of a first start.
TEST_F(VazedTest, ASettingMarkedWithoutItsCopyIsNamedOnceByTheStartAsTheProgramFolderIsGiven) {
    QTemporaryDir parent;
    const QString linked = parent.path() + QStringLiteral("/program");
    ASSERT_TRUE(QFile::link(folder.path(), linked));
    ui::setProgramFolder(linked);
    folder.write("data\\lang.txt", markedWithoutCopy("Kaz\r\n", "lang.txt"));
    Vazed& v = start();
    ASSERT_EQ(services->messages.size(), 1u);
    const QString message = services->messages[0].all();
    EXPECT_TRUE(message.contains(QStringLiteral("«data/lang.txt»"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("«data/lang.txt.bak»"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("не дописан:"))) << message.toStdString();
    EXPECT_FALSE(folder.exists("data\\lang.txt"));
    EXPECT_EQ(v.Text43.text(), QString());
}
