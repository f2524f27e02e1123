// Start-up, the last-values file and the shutdown, on throw-away program folders.
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <cstring>
#include <functional>

#include "common/text_file.h"
#include "main_window/vazed_fixture.h"
#include "main_window/vazed_tables.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "settings/nastroiki.h"
#include "support/child_process.h"
#include "workbook/ziruduzizozod.h"

using velmox::kLastValueLines;
using velmox::kPrintFields;
using velmox::Vazed;

namespace {
// Records, at each message box, whether this copy still holds the program folder and has not ended.
struct HoldProbe : ui::ScriptedServices {
    QString lockFile;
    std::vector<bool> heldAtBox, endedAtBox;
    using ScriptedServices::messageBox;
    void messageBox(const QString& text, const QString& title, const QString& details) override {
        ScriptedServices::messageBox(text, title, details);
        heldAtBox.push_back(ui::acquireInstanceLock(lockFile) == nullptr);
        endedAtBox.push_back(!endedWith.empty());
    }
};

QStringList folderListing(const QString& path) {
    QStringList out;
    QDir d(path);
    for (const QFileInfo& fi : d.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        out << fi.fileName() + ":" + QString::number(fi.size()) + ":" +
                   fi.lastModified().toString(Qt::ISODateWithMs);
        if (fi.isDir()) out << folderListing(fi.filePath());
    }
    return out;
}
}  // namespace

TEST_F(VazedTest, StartThenCloseBringsEveryValueBackAndWritesTheLastValuesFileInWindows1251) {
    const QStringList values = lastValues({{1, QStringLiteral("  Иванов  ")},
                                           {2, QString()},
                                           {3, QStringLiteral("2019")},
                                           {4, QStringLiteral("Колледж №1")},
                                           {23, QStringLiteral("А-123")},
                                           {47, QStringLiteral(" ")}});
    folder.write("2.txt", crlf(values));
    Vazed& v = start();
    ASSERT_TRUE(services->messages.empty()) << services->messages.front().text.toStdString();
    for (int i = 0; i < 47; ++i) EXPECT_EQ(kLastValueLines[i].get(v), values[i]) << "line " << i + 1;
    for (const auto& f : kPrintFields) EXPECT_EQ((v.*f.label).caption(), f.entry.get(v)) << f.key;
    // The three shared boxes feed a label on each half.
    EXPECT_EQ(v.Label3.caption(), QStringLiteral("2019"));
    EXPECT_EQ(v.Label26.caption(), QStringLiteral("2019"));
    EXPECT_EQ(v.Label23.caption(), QStringLiteral("А-123"));
    EXPECT_EQ(v.Label44.caption(), QStringLiteral("А-123"));
    EXPECT_EQ(v.Label6.caption(), v.Text5.text());
    EXPECT_EQ(v.Label30.caption(), v.Text5.text());
    EXPECT_TRUE(v.isShown());

    v.Text9.setText(QStringLiteral("Петров П.П."));
    close();
    ASSERT_EQ(services->endedWith, std::vector<int>{0});
    QStringList expected = values;
    expected[16] = QStringLiteral("Петров П.П.");
    EXPECT_EQ(folder.read("2.txt"), cp1251(expected.join("\r\n") + "\r\n"));

    Vazed& again = start();
    EXPECT_EQ(again.Text9.text(), QStringLiteral("Петров П.П."));
    EXPECT_EQ(again.Label17.caption(), QStringLiteral("Петров П.П."));
    EXPECT_EQ(again.Combo25.text(), QStringLiteral(" "));
}

TEST_F(VazedTest, FirstStartWithoutSettingsOrLastValuesIsSilentAndShowsEmptyFields) {
    QDir(folder.file("data")).removeRecursively();
    Vazed& v = start();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_TRUE(v.isShown());
    for (const auto& f : kPrintFields) EXPECT_EQ((v.*f.label).caption(), QString()) << f.key;
    EXPECT_EQ(v.Combo22.text(), QStringLiteral("Times New Roman"));
    close();
    // The close writes the last values (47 empty lines but the font name) and creates nothing else.
    EXPECT_EQ(lines("2.txt").size(), 47);
    EXPECT_FALSE(folder.exists("data\\1.txt"));
}

// The program folder as shipped holds what its first close would write, and the lock is never
// written, so a first start that changes nothing and closes writes nothing at all.
TEST_F(VazedTest, TheShippedFolderStartedAndClosedUnchangedWritesNothing) {
    ProgramFolder shipped;
    const QDir dist(QStringLiteral(VELMOX_SOURCE_DIR "/dist"));
    QDirIterator it(dist.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName() == QLatin1String("CMakeLists.txt") ||
            it.fileName().endsWith(QLatin1String(".cmake")))
            continue;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        shipped.write(dist.relativeFilePath(path), f.readAll());
    }
    shipped.copyFrom(QStringLiteral(VELMOX_PROGRAM_DIR), QStringLiteral("image"));
    ASSERT_TRUE(shipped.exists("2.txt"));
    // An hour back, so that any write shows in the times as well as in the bytes.
    const QDateTime earlier = QDateTime::currentDateTime().addSecs(-3600);
    QDirIterator files(shipped.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile f(files.next());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(earlier, QFileDevice::FileModificationTime));
    }
    ui::setProgramFolder(shipped.path());
    const auto bytesOf = [](const QString& root) {
        QMap<QString, QByteArray> out;
        QDirIterator all(root, QDir::Files, QDirIterator::Subdirectories);
        while (all.hasNext()) {
            QFile f(all.next());
            out.insert(QDir(root).relativeFilePath(f.fileName()),
                       f.open(QIODevice::ReadOnly) ? f.readAll() : "?");
        }
        return out;
    };
    const QMap<QString, QByteArray> bytesBefore = bytesOf(shipped.path());
    QStringList before = folderListing(shipped.path());

    Vazed& v = start();
    EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
    EXPECT_EQ(v.Combo22.text(), QStringLiteral("Times New Roman"));
    for (const auto& f : kPrintFields) EXPECT_EQ((v.*f.label).caption(), QString()) << f.key;
    close();
    EXPECT_EQ(services->endedWith, std::vector<int>{0});

    EXPECT_EQ(bytesOf(shipped.path()), bytesBefore);
    EXPECT_EQ(folderListing(shipped.path()), before);
}

TEST_F(VazedTest, ARestoredTextEqualToTheDesignTextStillReachesItsFieldLabel) {
    folder.write("2.txt", crlf(lastValues({{1, QStringLiteral("Text2")}, {4, QStringLiteral("Combo2")}})));
    Vazed& v = start();
    EXPECT_EQ(v.Label1.caption(), QStringLiteral("Text2"));
    EXPECT_EQ(v.Label4.caption(), QStringLiteral("Combo2"));
}

TEST_F(VazedTest, AShortLastValuesFileFillsTheRestWithEmptyTexts) {
    folder.write("2.txt", crlf({QStringLiteral("Иванов"), QStringLiteral("Иван")}));
    Vazed& v = start();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(v.Text2.text(), QStringLiteral("Иванов"));
    EXPECT_EQ(v.Text3.text(), QStringLiteral("Иван"));
    EXPECT_EQ(v.Text4.text(), QString());
    EXPECT_EQ(v.Label3.caption(), QString());
}

TEST_F(VazedTest, AValueWithALineBreakOrAKazakhLetterKeepsTheFileAt47Lines) {
    Vazed& v = start();
    v.Text4.setText(QStringLiteral("2020"));
    v.Text2.setText(QStringLiteral("Первая\r\nвторая"));
    v.Text3.setText(QStringLiteral("Әлібек Қасымұлы"));
    close();
    const QStringList l = lines("2.txt");
    ASSERT_EQ(l.size(), 47);
    EXPECT_EQ(l[0], QStringLiteral("Первая\nвторая"));
    EXPECT_EQ(l[1], QStringLiteral("Әлібек Қасымұлы"));
    Vazed& again = start();
    EXPECT_EQ(again.Text3.text(), QStringLiteral("Әлібек Қасымұлы"));
    EXPECT_EQ(again.Text4.text(), QStringLiteral("2020"));
}

TEST_F(VazedTest, MissingOrBrokenLayoutWorkbookEndsCleanlyWithOneMessageAndWritesNothing) {
    auto probe = std::make_unique<HoldProbe>();
    HoldProbe& held = *probe;
    services = probe.get();
    ui::setServices(std::move(probe));
    struct Case {
        const char* what;
        QByteArray layout;   // empty: no file
        const char* reason;  // the message's "Причина:" line
    };
    const Case cases[] = {
        {"missing", {}, "Причина: файл или папка не найдены"},
        {"not XML", "this is not a workbook",
         "Причина: ошибка в разметке XML в строке 1, позиции 23: нет корневого элемента"},
        {"no Sheet1",
         "<?xml version=\"1.0\"?><Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\" "
         "xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"><Worksheet ss:Name=\"Other\"><Table/>"
         "</Worksheet></Workbook>",
         "Причина: в книге нет листа «Sheet1»"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder f;
        ui::setProgramFolder(f.path());
        if (!c.layout.isEmpty()) f.write("1.xml", c.layout);
        f.write("data\\lang.txt", "Rus\r\n");
        const QStringList before = folderListing(f.path());
        services->messages.clear();
        services->endedWith.clear();
        held.lockFile = f.file("Velmox.lock");
        held.heldAtBox.clear();
        held.endedAtBox.clear();
        velmox::Vazed::Form_Initialize();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(held.heldAtBox, std::vector<bool>{true}) << "no second copy starts under the message";
        EXPECT_EQ(held.endedAtBox, std::vector<bool>{false});
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(services->messages[0].text.contains(QStringLiteral("1.xml")));
        EXPECT_EQ(
            services->messages[0].text,
            QStringLiteral("Не удалось прочитать файл «1.xml». Программа будет закрыта, ни один файл не "
                           "изменён."));
        EXPECT_EQ(services->messages[0].details, QString::fromUtf8(c.reason));
        EXPECT_EQ(services->endedWith, std::vector<int>{1});
        EXPECT_FALSE(ui::form<Vazed>().isShown());
        // The next start must not take the lock for a running copy.
        EXPECT_NE(ui::acquireInstanceLock(f.file("Velmox.lock")), nullptr);
        // Should the close still come, it writes nothing over the operator's files.
        close();
        QStringList after = folderListing(f.path());
        after.removeIf([](const QString& s) { return s.startsWith("Velmox.lock"); });
        EXPECT_EQ(after, before);
        ui::discardForm<velmox::Ziruduzizozod>();
    }
}

TEST_F(VazedTest, ASecondCopyEndsSilentlyWithoutTouchingAnyFile) {
    folder.write("2.txt", crlf(lastValues()));
    // What the operator may have done to the first copy's lock file meanwhile.
    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"the lock file as it is", [] {}},
        {"the lock file removed", [&] { ASSERT_TRUE(QFile::remove(folder.file("Velmox.lock"))); }},
        {"the lock file replaced by another",
         [&] {
             ASSERT_TRUE(QFile::remove(folder.file("Velmox.lock")));
             folder.write("Velmox.lock", "");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services->endedWith.clear();
        const auto firstCopy = ui::acquireInstanceLock(folder.file("Velmox.lock"));
        ASSERT_TRUE(firstCopy);
        c.change();
        const QStringList before = folderListing(folder.path());
        velmox::Vazed::Form_Initialize();
        EXPECT_EQ(services->endedWith, std::vector<int>{0});
        EXPECT_TRUE(services->messages.empty());
        EXPECT_FALSE(ui::form<Vazed>().isShown());
        EXPECT_EQ(folderListing(folder.path()), before);
        ui::discardForm<Vazed>();
    }
}

TEST_F(VazedTest, WhatStandsInTheLockFilesPlaceIsNamedAndTheStartEndsTouchingNothing) {
    folder.write("2.txt", crlf(lastValues()));
    ProgramFolder elsewhere;
    const QByteArray victim = "a file of the operator's, elsewhere\n";
    elsewhere.write("victim.txt", victim);
    const QByteArray lock = QFile::encodeName(folder.file("Velmox.lock"));
    const struct {
        const char* what;
        std::function<int()> make;
        const char* reason;
    } cases[] = {
        {"a link to a file elsewhere",
         [&] {
             return ::symlink(QFile::encodeName(elsewhere.file("victim.txt")).constData(), lock.constData());
         },
         "на месте файла находится ссылка"},
        {"a dangling link",
         [&] {
             return ::symlink(QFile::encodeName(elsewhere.file("made.txt")).constData(), lock.constData());
         },
         "на месте файла находится ссылка"},
        {"a folder", [&] { return ::mkdir(lock.constData(), 0777); }, "на месте файла находится папка"},
        {"a pipe", [&] { return ::mkfifo(lock.constData(), 0666); }, "не обычный файл"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(c.make(), 0) << std::strerror(errno);
        const QStringList before = folderListing(folder.path());
        services->messages.clear();
        services->endedWith.clear();
        const ChildOutcome outcome = runInChild([&] {
            ::alarm(30);  // a start that hangs on the pipe ends the check
            velmox::Vazed::Form_Initialize();
            ::alarm(0);
            ASSERT_EQ(services->messages.size(), 1u);
            EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
            EXPECT_EQ(services->messages[0].text,
                      QStringLiteral("Не удалось открыть файл «Velmox.lock»: %1. Программа будет закрыта, ни "
                                     "один файл не изменён.")
                          .arg(QString::fromUtf8(c.reason)));
            EXPECT_EQ(services->endedWith, std::vector<int>{1});
            EXPECT_FALSE(ui::form<Vazed>().isShown());
        });
        EXPECT_EQ(outcome, ChildOutcome::Passed);
        EXPECT_EQ(folderListing(folder.path()), before);
        EXPECT_EQ(elsewhere.read("victim.txt"), victim);
        EXPECT_FALSE(elsewhere.exists("made.txt"));
        QFileInfo(folder.file("Velmox.lock")).isDir() ? QDir().rmdir(folder.file("Velmox.lock"))
                                                      : QFile::remove(folder.file("Velmox.lock"));
    }
}

TEST_F(VazedTest, ALockFileLeftByAnotherComputerOrAKilledCopyHoldsNoStartBack) {
    for (const QByteArray& left : {QByteArray("4242\nVelmox\nother-pc\n"), QByteArray()}) {
        folder.write("Velmox.lock", left);
        Vazed& v = start();
        EXPECT_TRUE(v.isShown());
        EXPECT_TRUE(services->messages.empty());
        EXPECT_TRUE(services->endedWith.empty());
        // And it is this copy's lock now.
        EXPECT_EQ(ui::acquireInstanceLock(folder.file("Velmox.lock")), nullptr);
        close();
        services->endedWith.clear();
    }
}

TEST_F(VazedTest, AFolderWhereTheLockCannotBeTakenIsNamedAndTheStartEndsWritingNothing) {
    folder.write("2.txt", crlf(lastValues()));
    const QStringList before = folderListing(folder.path());
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
        Vazed& v = start();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_EQ(services->messages[0].text,
                  QStringLiteral("Не удалось создать файл «Velmox.lock»: папка программы недоступна для "
                                 "записи. Программа будет закрыта, ни один файл не изменён."));
        EXPECT_EQ(services->endedWith, std::vector<int>{1});
        EXPECT_FALSE(v.isShown());
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(outcome, ChildOutcome::Passed);
    EXPECT_EQ(folderListing(folder.path()), before);
}

TEST_F(VazedTest, StartedFromAnotherDirectoryEveryFileStaysInTheProgramFolder) {
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    Vazed& v = start();
    EXPECT_EQ(v.Combo2.listCount(), 1);
    v.Combo2.setText(QStringLiteral("Лицей"));
    ui::form<velmox::Ziruduzizozod>().Spreadsheet1.sheet(u"Sheet1")->setInteger(u"c7", 5000);
    close();
    QDir::setCurrent(previous);
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Лицей")}));
    Vazed& again = start();
    EXPECT_EQ(again.Label7.top().value, 5000);
}

TEST_F(VazedTest, EachFailingPieceOfTheCloseIsReportedOnceAndTheOthersStillRun) {
    auto probe = std::make_unique<HoldProbe>();
    probe->lockFile = folder.file("Velmox.lock");
    HoldProbe& held = *probe;
    services = probe.get();
    ui::setServices(std::move(probe));
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    Vazed& v = start();
    v.Combo2.setText(QStringLiteral("Лицей"));
    v.Combo3.setText(QStringLiteral("второй"));
    // A folder where the last-values file belongs: that write fails, the rest goes on.
    QDir().mkpath(folder.file("2.txt"));
    close();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
    EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("«2.txt»")));
    EXPECT_FALSE(services->messages[0].text.contains(u'\n')) << "one summary line, the reason in the details";
    EXPECT_EQ(held.heldAtBox, std::vector<bool>{true}) << "no second copy starts under the message";
    EXPECT_EQ(held.endedAtBox, std::vector<bool>{false});
    EXPECT_EQ(services->endedWith, std::vector<int>{0});
    EXPECT_EQ(lines("data\\1.txt"), (QStringList{QStringLiteral("Колледж"), QStringLiteral("Лицей")}));
    EXPECT_EQ(lines("data\\2.txt"), QStringList{QStringLiteral("второй")});
    EXPECT_TRUE(folder.exists("1.xml"));
}

// The close's two saves fail together: one box counts them, and each one's own line in its details
// says what it is without pointing at details of its own.
TEST_F(VazedTest, AFailedEntrySaveAndAFailedSettingsSaveShareOneBoxWhoseDetailsReadAsTheyStand) {
    Vazed& v = start();
    v.Image10_Click();
    ASSERT_TRUE(ui::formLoaded<velmox::Nastroiki>());
    // Folders where the close writes files.
    for (const char* name : {"2.txt", "1.xml", "data/Line.txt"}) {
        QFile::remove(folder.file(QString::fromLatin1(name)));
        ASSERT_TRUE(QDir().mkpath(folder.file(QString::fromLatin1(name))));
    }
    services->messages.clear();
    close();
    ASSERT_EQ(services->messages.size(), 1u);
    const ui::ScriptedServices::Message box = services->messages[0];
    EXPECT_EQ(box.text, QStringLiteral("Не всё удалось сделать, ошибок: 2. Подробности ниже."));
    const QStringList lines = box.details.split(u'\n');
    ASSERT_EQ(lines.size(), 4) << box.details.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Не всё удалось сохранить, ошибок: 2."));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("  2.txt: "))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("  1.xml: "))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("Не удалось записать файл «data/Line.txt». Причина: на месте файла "
                                       "находится папка"));
    EXPECT_FALSE(box.details.contains(QStringLiteral("Подробности"))) << box.details.toStdString();
}

TEST_F(VazedTest, PositionsThatAreNoNumbersLeaveTheirCoordinateAndAFontSizeThatIsNoNumberIsNotApplied) {
    QByteArray layout = shippedLayout();
    // Row 1's Top becomes a word; its Left stays a number.
    const QByteArray top1 = "<ss:Data ss:Type=\"Number\">3360</ss:Data>";
    ASSERT_TRUE(layout.contains(top1));
    layout.replace(layout.indexOf(top1), top1.size(), "<ss:Data ss:Type=\"String\">abc</ss:Data>");
    folder.write("1.xml", layout);
    folder.write("2.txt", crlf(lastValues({{44, QStringLiteral("крупно")}})));
    Vazed& v = start();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(v.Label1.top().value, 3360);  // the design place
    EXPECT_EQ(v.Label1.left().value, 1800);
    EXPECT_EQ(v.Label2.font().size, 9.75f);
}
