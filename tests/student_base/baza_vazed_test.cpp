// The student base window: its load never stops the program, "Сохранить" writes back the file it
// loaded, "Импортировать" and "Экспортировать" touch only what the operator chose, and the window
// keeps its size in data\pw.txt and data\ph.txt.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <iostream>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "platform/file_waits.h"
#include "platform/program_folder.h"
#include "student_base_fixture.h"
#include "support/child_process.h"
#include "support/flushes.h"
#include "support/held_file.h"
#include "workbook/grid_model.h"

using velmox::BazaVazed;
using velmox::Vazed;

namespace {
const QString kSaveFailed = QStringLiteral("Не возможно сохранить. Закройте Excell и повторите попытку");
const QString kExportFailed =
    QStringLiteral("Не возможно экспортировать. Закройте Excell и повторите попытку");

QString a2(BazaVazed& b) {
    return workbook::toText(b.Spreadsheet1.activeSheet().cell(2, 1));
}

// A failed save's message: the fixed first line, then the file and the reason.
QString firstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0);
}

QStringList filesIn(const QString& path) {
    return QDir(path).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

int pictureNumber(const ui::PictureBox& p) {
    return p.picture().isNull() ? 0 : p.picture().width() - 10;
}
int pictureFolder(const ui::PictureBox& p) {
    return p.picture().isNull() ? 0 : p.picture().height() - 10;
}
}  // namespace

TEST_F(StudentBaseTest, AMissingBaseOpensTheEmptyDesignWorkbookAndThePickerListsNothing) {
    Vazed& v = start();
    v.Image1_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    EXPECT_EQ(b.Spreadsheet1.workbook().sheetNames(), QStringList{"Sheet1"});
    EXPECT_EQ(b.Spreadsheet1.activeSheet().rowCount(), 0);
    EXPECT_EQ(v.Combo1.listCount(), 0);
    EXPECT_TRUE(services->messages.empty());
    EXPECT_FALSE(folder.exists("2.xml"));

    // The first save writes the design workbook with the typed student.
    b.Spreadsheet1.activeSheet().setText(2, 1, kKasymov[0]);
    b.Spreadsheet1.activeSheet().setText(2, 2, kKasymov[1]);
    b.Image1_Click();
    const QString saved = QString::fromUtf8(folder.read("2.xml"));
    EXPECT_TRUE(saved.contains(u"ss:Color=\"#E0FFFF\""));
    EXPECT_TRUE(saved.contains(u"ss:LineStyle=\"Continuous\""));
    EXPECT_TRUE(saved.contains(u"ss:FontName=\"Arial\""));
    v.Image1_Click();
    EXPECT_EQ(pickerItems(v), QStringList{"Касымов Ерлан Серикович"});
}

// A file as a killed write in its own place leaves it, the mark at its end naming a copy that is gone.
QByteArray markedWithoutCopy(const QByteArray& content) {
    const QByteArray nul(1, '\0');
    return content + nul + "velmox: old content in /nowhere/2.xml.~0000000.old" + nul + "0123456789abcdef" +
           nul + "velmox" + nul;
}

TEST_F(StudentBaseTest, AnUnreadableBaseIsReportedOpensEmptyAndIsKeptAsBakByTheNextSave) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* reason;  // how the message's "Причина:" line goes on after the file's path
    } cases[] = {
        {"plain text", QByteArray("Иванов;Иван;2019\r\n"),
         "ошибка в разметке XML в строке 2, позиции 1: нет корневого элемента"},
        {"cut off", studentBaseXml({kKasymov}).left(150), "ошибка в разметке XML в строке "},
        {"another XML document", QByteArray("<?xml version=\"1.0\"?><html><body/></html>"),
         "это не таблица XML: корневой элемент <html>, а не Workbook"},
        {"empty", QByteArray(), "файл пуст"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services->messages.clear();
        folder.write("2.xml", c.bytes);
        QFile::remove(folder.file("2.xml.bak"));
        Vazed& v = start();
        v.Image1_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("2.xml"))))
            << services->messages[0].all().toStdString();
        EXPECT_TRUE(services->messages[0].details.section(u'\n', -1).startsWith(
            QStringLiteral("Причина: %1").arg(QString::fromUtf8(c.reason))))
            << services->messages[0].details.toStdString();
        BazaVazed& b = ui::form<BazaVazed>();
        EXPECT_EQ(b.Spreadsheet1.activeSheet().rowCount(), 0);
        EXPECT_EQ(v.Combo1.listCount(), 0);
        EXPECT_EQ(folder.read("2.xml"), c.bytes);

        b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
        b.Spreadsheet1.activeSheet().setText(2, 2, kIvanova[1]);
        b.Image1_Click();
        EXPECT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(folder.read("2.xml.bak"), c.bytes);
        workbook::Workbook back;
        back.load(folder.file("2.xml"));
        EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
        // Only the unreadable original is kept; a later save leaves the backup alone.
        b.Spreadsheet1.activeSheet().setText(3, 1, kKasymov[0]);
        b.Image1_Click();
        EXPECT_EQ(folder.read("2.xml.bak"), c.bytes);
        ui::discardForm<BazaVazed>();
        ui::discardForm<Vazed>();
    }
}

// A base that a killed save in its own place left marked, its copy of the old content gone since:
// the start puts it aside as it lies under the first free backup name and says where; the base then
// opens as a first start's, with no second message, and the next save writes it anew.
TEST_F(StudentBaseTest, ABaseMarkedWithoutItsCopyIsPutAsideByTheStartAndWrittenAnewByTheSave) {
    const QByteArray marked = markedWithoutCopy(studentBaseXml({kKasymov}));
    folder.write("2.xml", marked);
    folder.write("2.xml.bak", "the operator's file");
    Vazed& v = start();
    ASSERT_EQ(services->messages.size(), 1u);
    const QString message = services->messages[0].all();
    EXPECT_TRUE(message.contains(ui::shownPath(folder.file("2.xml.1.bak")))) << message.toStdString();
    EXPECT_EQ(folder.read("2.xml.1.bak"), marked);
    EXPECT_FALSE(folder.exists("2.xml"));
    services->messages.clear();

    v.Image1_Click();
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(v.Combo1.listCount(), 0);
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
    b.Spreadsheet1.activeSheet().setText(2, 2, kIvanova[1]);
    b.Image1_Click();
    EXPECT_TRUE(services->messages.empty());
    workbook::Workbook back;
    back.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
    EXPECT_EQ(folder.read("2.xml.1.bak"), marked);
    EXPECT_EQ(folder.read("2.xml.bak"), QByteArray("the operator's file"));
}

// Each unreadable base is kept: a later one takes the next free backup name, which the load's
// message names, and no file that holds a name is written over.
TEST_F(StudentBaseTest, EachUnreadableBaseIsKeptUnderTheNextFreeBackupName) {
    const struct {
        QByteArray bytes;
        const char* backup;
    } rounds[] = {
        {"the first unreadable base", "2.xml.bak"},
        {"the second unreadable base", "2.xml.2.bak"},  // 2.xml.1.bak is the operator's
        {"the third unreadable base", "2.xml.3.bak"},
    };
    folder.write("2.xml.1.bak", "the operator's file");
    for (const auto& r : rounds) {
        SCOPED_TRACE(r.backup);
        services->messages.clear();
        folder.write("2.xml", r.bytes);
        Vazed& v = start();
        v.Image1_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("под именем %1.").arg(r.backup)))
            << services->messages[0].all().toStdString();
        BazaVazed& b = ui::form<BazaVazed>();
        b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
        b.Image1_Click();
        EXPECT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(folder.read(r.backup), r.bytes);
        ui::discardForm<BazaVazed>();
        ui::discardForm<Vazed>();
    }
    EXPECT_EQ(folder.read("2.xml.bak"), rounds[0].bytes);
    EXPECT_EQ(folder.read("2.xml.1.bak"), "the operator's file");
    EXPECT_EQ(folder.read("2.xml.2.bak"), rounds[1].bytes);
    const QStringList files = filesIn(folder.path());
    EXPECT_EQ(files.filter(QStringLiteral(".bak")),
              (QStringList{"2.xml.1.bak", "2.xml.2.bak", "2.xml.3.bak", "2.xml.bak"}));
    EXPECT_EQ(files.filter(QStringLiteral(".new")), QStringList());
}

// The backup name the load told is taken before the save: the save keeps the base under the next
// free one and says where it went, and the file that took the name keeps its bytes.
TEST_F(StudentBaseTest, ASaveWhoseToldBackupNameWasTakenSaysWhereTheBackupWent) {
    const QByteArray unreadable = "not a workbook";
    folder.write("2.xml", unreadable);
    Vazed& v = start();
    v.Image1_Click();
    ASSERT_EQ(services->messages.size(), 1u);
    ASSERT_TRUE(services->messages[0].all().contains(QStringLiteral("под именем 2.xml.bak.")));
    folder.write("2.xml.bak", "the operator's file");
    folder.write("2.xml.1.bak", "another file of the operator's");
    services->messages.clear();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
    b.Image1_Click();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].text,
              QStringLiteral("Прежний файл «%1» оставлен рядом под именем 2.xml.2.bak, а не 2.xml.bak: то "
                             "имя уже занято.")
                  .arg(ui::shownPath(folder.file("2.xml"))));
    EXPECT_EQ(folder.read("2.xml.2.bak"), unreadable);
    EXPECT_EQ(folder.read("2.xml.bak"), QByteArray("the operator's file"));
    EXPECT_EQ(folder.read("2.xml.1.bak"), QByteArray("another file of the operator's"));
    workbook::Workbook back;
    back.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
}

// An unreadable base shared with another program folder, whose write in place from there was killed
// while this one ran: its content is the copy's, and that is what the backup keeps, not the mix on
// the disk, which the copy's removal by the save would leave unreadable for good.
TEST_F(StudentBaseTest, TheBackupOfAnUnreadableBaseMarkedByAKilledSaveKeepsItsContentAsItReads) {
    const QByteArray unreadable = "not a workbook, the operator's own";
    folder.write("2.xml", unreadable);
    ProgramFolder other;
    ASSERT_EQ(::link(QFile::encodeName(folder.file("2.xml")).constData(),
                     QFile::encodeName(other.file("2.xml")).constData()),
              0);
    Vazed& v = start();
    killSaveAtFlush(other.file("2.xml"), "a longer content, written in place and never finished",
                    ContentFlush);
    ASSERT_NE(folder.read("2.xml"), unreadable);
    v.Image1_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
    b.Image1_Click();
    EXPECT_EQ(folder.read("2.xml.bak"), unreadable);
    workbook::Workbook back;
    back.load(other.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
    ui::discardForm<BazaVazed>();
    ui::discardForm<Vazed>();
}

namespace {
// A POSIX access list as the system keeps it in a file's attribute: a version, then each entry's tag,
// permissions and user or group.
enum : quint32 {
    kOwnerEntry = 0x01,
    kUserEntry = 0x02,
    kGroupEntry = 0x04,
    kMaskEntry = 0x10,
    kOthersEntry = 0x20
};
constexpr quint32 kNoId = 0xFFFFFFFF;
constexpr char kAccessList[] = "system.posix_acl_access";
constexpr char kDefaultList[] = "system.posix_acl_default";

QByteArray accessList(std::initializer_list<std::array<quint32, 3>> entries) {
    QByteArray out;
    const auto put = [&out](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return out;
}

// The file's access list as the system gives it back; "" for a file without one.
QByteArray accessListOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    QByteArray list(4096, '\0');
    const ssize_t n = ::getxattr(name.constData(), kAccessList, list.data(), size_t(list.size()));
    return n > 0 ? list.left(n) : QByteArray();
}

struct stat statOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}
}  // namespace

// The backup holds the students' names as the base does, so it is as private as the base: its owner,
// group, mode and access list, not what the umask or the folder's default list gives a new file.
TEST_F(StudentBaseTest, TheBackupOfAnUnreadableBaseKeepsTheBasesOwnerGroupModeAndAccessList) {
    const mode_t umaskBefore = ::umask(022);
    const struct UmaskBack {
        mode_t mode;
        ~UmaskBack() { ::umask(mode); }
    } umaskBack{umaskBefore};
    // Where the tests run as root, the base is given to another group, and in one case to another
    // user; elsewhere it stays the runner's.
    uid_t otherUser = ::geteuid();
    gid_t otherGroup = ::getegid();
    if (::geteuid() == 0) {
        if (const passwd* daemon = ::getpwnam("daemon")) otherUser = daemon->pw_uid;
        if (const group* daemon = ::getgrnam("daemon")) otherGroup = daemon->gr_gid;
    }
    const QByteArray folderPath = QFile::encodeName(folder.path());
    // New files in the folder get a list that lets user 1 read and write them.
    const QByteArray opening = accessList({{kOwnerEntry, 7, kNoId},
                                           {kUserEntry, 7, 1},
                                           {kGroupEntry, 7, kNoId},
                                           {kMaskEntry, 7, kNoId},
                                           {kOthersEntry, 5, kNoId}});
    const bool lists =
        ::setxattr(folderPath.constData(), kDefaultList, opening.constData(), size_t(opening.size()), 0) == 0;
    if (lists) {
        ASSERT_EQ(::removexattr(folderPath.constData(), kDefaultList), 0);
    }

    struct Case {
        const char* what;
        uid_t owner;
        QByteArray list;     // the base's; "" for none
        bool folderOpening;  // the folder gives new files the opening list
        mode_t mode;         // the base's, as its list leaves it
    };
    const Case cases[] = {
        {"the owner's alone", ::geteuid(), {}, false, 0600},
        {"another user's, in a folder that opens new files", otherUser, {}, true, 0600},
        {"read by one more user through its list", ::geteuid(),
         accessList({{kOwnerEntry, 6, kNoId},
                     {kUserEntry, 4, 1},
                     {kGroupEntry, 0, kNoId},
                     {kMaskEntry, 4, kNoId},
                     {kOthersEntry, 0, kNoId}}),
         false, 0640},
    };
    const QByteArray unreadable = "not a workbook, with the students' names in it";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if ((!c.list.isEmpty() || c.folderOpening) && !lists) {
            std::cout << "no access lists on this disk: \"" << c.what << "\" not run\n";
            continue;
        }
        services->messages.clear();
        QFile::remove(folder.file("2.xml"));
        QFile::remove(folder.file("2.xml.bak"));
        folder.write("2.xml", unreadable);
        const QByteArray base = QFile::encodeName(folder.file("2.xml"));
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(base.constData(), c.owner, otherGroup), 0);
        }
        ASSERT_EQ(::chmod(base.constData(), 0600), 0);
        if (!c.list.isEmpty()) {
            ASSERT_EQ(::setxattr(base.constData(), kAccessList, c.list.constData(), size_t(c.list.size()), 0),
                      0);
        }
        if (c.folderOpening) {
            ASSERT_EQ(::setxattr(folderPath.constData(), kDefaultList, opening.constData(),
                                 size_t(opening.size()), 0),
                      0);
        }
        const struct stat before = statOf(folder.file("2.xml"));
        ASSERT_EQ(before.st_mode & 07777, c.mode);
        const QByteArray listBefore = accessListOf(folder.file("2.xml"));
        ASSERT_EQ(listBefore.isEmpty(), c.list.isEmpty());

        Vazed& v = start();
        v.Image4_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        BazaVazed& b = ui::form<BazaVazed>();
        b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
        b.Image1_Click();
        EXPECT_EQ(services->messages.size(), 1u);
        ASSERT_EQ(folder.read("2.xml.bak"), unreadable);
        const struct stat backup = statOf(folder.file("2.xml.bak"));
        EXPECT_EQ(backup.st_mode & 07777, c.mode);
        EXPECT_EQ(backup.st_uid, before.st_uid);
        EXPECT_EQ(backup.st_gid, before.st_gid);
        EXPECT_EQ(accessListOf(folder.file("2.xml.bak")), listBefore);
        if (c.folderOpening) {
            ASSERT_EQ(::removexattr(folderPath.constData(), kDefaultList), 0);
        }
        ui::discardForm<BazaVazed>();
        ui::discardForm<Vazed>();
    }
}

// A save that kept the backup but could not write the new base has kept the original once: the next
// save does not copy it again.
TEST_F(StudentBaseTest, ASaveThatFailsAfterTheBackupKeepsTheOriginalOnce) {
    const QByteArray unreadable = "not a workbook";
    folder.write("2.xml", unreadable);
    Vazed& v = start();
    v.Image1_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
    ASSERT_GT(b.Spreadsheet1.workbook().toBytes().size(), 1000);
    services->messages.clear();
    runInChild([&] {
        limitFileSize(1000);
        b.Image1_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("2.xml: ")));
        EXPECT_EQ(folder.read("2.xml"), unreadable);
        EXPECT_EQ(folder.read("2.xml.bak"), unreadable);
        limitFileSize(qint64(1) << 40);
        b.Image1_Click();
        EXPECT_EQ(services->messages.size(), 1u);
        EXPECT_FALSE(folder.exists("2.xml.1.bak"));
        workbook::Workbook back;
        back.load(folder.file("2.xml"));
        EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
    });
}

namespace {
class BusyBaseTest : public StudentBaseTest {
    const ShortFileWaits waits_;
};
}  // namespace

// 2.xml held by another program for longer than a press may wait: each press that needs it tells so,
// and nothing of the read is kept: the picker stays empty, the window stays hidden (its empty table
// saved would replace the base), and no backup is planned, for the base is no unreadable one. The
// next press of either button reads it again; once it is free the students are listed and shown, and
// the save writes the base with no backup beside it.
TEST_F(BusyBaseTest, ABusyBaseIsToldKeptNowhereAndReadAgainByTheNextPressOnceFree) {
    struct Case {
        const char* what;
        ui::PictureBox Vazed::*whileHeld;
        ui::PictureBox Vazed::*onceFree;
    };
    const Case cases[] = {
        {"Загрузить данные, then again", &Vazed::Image1, &Vazed::Image1},
        {"Загрузить данные, then База студентов", &Vazed::Image1, &Vazed::Image4},
        {"База студентов, then Загрузить данные", &Vazed::Image4, &Vazed::Image1},
        {"База студентов, then again", &Vazed::Image4, &Vazed::Image4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBase({kKasymov, kOmirbekova});
        const QByteArray base = folder.read("2.xml");
        Vazed& v = start();
        expose(v);
        {
            const HeldFile held(folder.file("2.xml"));
            // Read again at each press, and told again: it is no lasting state of the file.
            for (int press = 1; press <= 2; ++press) {
                SCOPED_TRACE(press);
                services->messages.clear();
                click(v, v.*c.whileHeld);
                ASSERT_EQ(services->messages.size(), 1u);
                const QString message = services->messages[0].all();
                EXPECT_TRUE(message.contains(ui::shownPath(folder.file("2.xml")))) << message.toStdString();
                EXPECT_TRUE(message.contains(QStringLiteral("Причина: %1").arg(ui::busyReason())))
                    << message.toStdString();
                EXPECT_FALSE(message.contains(QStringLiteral(".bak"))) << message.toStdString();
                EXPECT_EQ(v.Combo1.listCount(), 0);
                ASSERT_TRUE(ui::formLoaded<BazaVazed>());
                EXPECT_FALSE(ui::form<BazaVazed>().isShown());
            }
        }
        EXPECT_EQ(folder.read("2.xml"), base);
        services->messages.clear();
        click(v, v.*c.onceFree);
        EXPECT_TRUE(services->messages.empty());
        BazaVazed& b = ui::form<BazaVazed>();
        if (c.onceFree == &Vazed::Image4) {
            EXPECT_TRUE(b.isShown());
            ASSERT_TRUE(b.Spreadsheet1.hasGrid());
            const QAbstractItemModel& shown = *b.Spreadsheet1.grid().model();
            EXPECT_EQ(shown.data(shown.index(1, 0)).toString(), kKasymov[0]);
            EXPECT_EQ(shown.data(shown.index(2, 0)).toString(), kOmirbekova[0]);
            click(v, v.Image1);
        }
        EXPECT_EQ(pickerItems(v),
                  (QStringList{"Касымов Ерлан Серикович", "Омирбекова Айгерим Бауыржановна"}));
        EXPECT_EQ(v.Text15.text(), kKasymov[0]);

        b.Spreadsheet1.activeSheet().setText(4, 1, kIvanova[0]);
        b.Spreadsheet1.activeSheet().setText(4, 2, kIvanova[1]);
        b.Image1_Click();
        EXPECT_TRUE(services->messages.empty());
        EXPECT_FALSE(folder.exists("2.xml.bak"));
        workbook::Workbook back;
        back.load(folder.file("2.xml"));
        for (const auto& [row, name] : {std::pair{2, kKasymov[0]}, {3, kOmirbekova[0]}, {4, kIvanova[0]}})
            EXPECT_EQ(workbook::toText(back.activeSheet().cell(row, 1)), name) << "row " << row;
        EXPECT_TRUE(filesIn(folder.path()).filter(QStringLiteral(".bak")).isEmpty());
        TearDown();
        SetUp();
    }
}

// The picker filled and the base window opened and closed: a pick while another program holds 2.xml
// tells so and leaves the entries as they were; once it is free, the next picks read it again and
// fill them, without a word.
TEST_F(BusyBaseTest, APickWhileTheBaseIsHeldIsToldAndThePicksOnceItIsFreeReadItAgain) {
    writeBase({kKasymov, kOmirbekova});
    Vazed& v = start();
    expose(v);
    click(v, v.Image1);
    click(v, v.Image4);
    ui::form<BazaVazed>().window()->close();
    settle();
    ASSERT_FALSE(ui::formLoaded<BazaVazed>());
    ASSERT_EQ(v.Text14.text(), kKasymov[5]);
    const auto pick = [&v](int i) { ui::dispatchEvent([&v, i] { v.Combo1.setListIndex(i); }); };
    {
        const HeldFile held(folder.file("2.xml"));
        pick(1);
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_TRUE(services->messages[0].all().contains(ui::busyReason()))
            << services->messages[0].all().toStdString();
        EXPECT_EQ(v.Text14.text(), kKasymov[5]);
    }
    services->messages.clear();
    for (const auto& [i, number] : {std::pair{0, kKasymov[5]}, {1, kOmirbekova[5]}}) {
        pick(i);
        EXPECT_EQ(v.Text14.text(), number) << "item " << i;
        EXPECT_EQ(v.Text15.text(), i == 0 ? kKasymov[0] : kOmirbekova[0]) << "item " << i;
    }
    EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
}

TEST_F(StudentBaseTest, SaveWritesBackExactlyTheLoadedFileAndNothingElse) {
    writeBase({kKasymov});
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    const QStringList before = filesIn(folder.path());
    b.Spreadsheet1.activeSheet().setText(3, 1, kIvanova[0]);
    expose(b);
    click(b, b.Image1);
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(filesIn(folder.path()), before);
    workbook::Workbook back;
    back.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(3, 1)), kIvanova[0]);
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kKasymov[0]);
}

TEST_F(StudentBaseTest, ASaveThatCannotWriteShowsItsMessageAndLeavesTheOldFileAsItWas) {
    // Tests run as root, so no permission stops a write: a directory named 2.xml, or a program
    // folder below a regular file, does.
    struct Case {
        const char* what;
        const char* programFolder;  // below the test folder
        size_t loadMessages;
    };
    const Case cases[] = {
        {"2.xml is a directory", "", 1},
        {"the program folder lies below a regular file", "blocker/program", 0},
    };
    folder.write("2.xml/inside.txt", "kept");
    folder.write("blocker", "a regular file");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services->messages.clear();
        ui::setProgramFolder(folder.file(QString::fromLatin1(c.programFolder)));
        BazaVazed& b = ui::form<BazaVazed>();
        EXPECT_EQ(services->messages.size(), c.loadMessages);
        if (c.loadMessages) {
            EXPECT_EQ(services->messages[0].details.section(u'\n', -1),
                      QStringLiteral("Причина: на месте файла находится папка"));
        }
        b.Spreadsheet1.activeSheet().setText(2, 1, kKasymov[0]);
        b.Image1_Click();
        ASSERT_EQ(services->messages.size(), c.loadMessages + 1);
        EXPECT_EQ(firstLine(services->messages.back().text), kSaveFailed);
        EXPECT_TRUE(services->messages.back().all().contains(ui::shownPath(ui::programPath("2.xml"))));
        EXPECT_EQ(services->messages.back().title, QStringLiteral("Ошибка"));
        EXPECT_EQ(a2(b), kKasymov[0]);
        EXPECT_TRUE(b.isLoaded());
        ui::discardForm<BazaVazed>();
    }
    EXPECT_EQ(folder.read("2.xml/inside.txt"), QByteArray("kept"));
    EXPECT_EQ(filesIn(folder.file("2.xml")), QStringList{"inside.txt"});
    EXPECT_FALSE(folder.exists("2.xml.bak"));
    EXPECT_EQ(folder.read("blocker"), QByteArray("a regular file"));
}

// A file-size limit refuses writes the way a full disk does. The base on disk stays byte for byte,
// one message names it, and the students typed in stay in the window for the next try.
TEST_F(StudentBaseTest, AFullDiskAtSaveKeepsTheOldBaseAndOneMessageNamesIt) {
    writeBase({kKasymov});
    const QByteArray base = folder.read("2.xml");
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(3, 1, kIvanova[0]);
    const QStringList before = filesIn(folder.path());
    runInChild([&] {
        limitFileSize(0);
        b.Image1_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(firstLine(services->messages[0].text), kSaveFailed);
        EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("2.xml: ")));
        EXPECT_EQ(workbook::toText(b.Spreadsheet1.activeSheet().cell(3, 1)), kIvanova[0]);
    });
    EXPECT_EQ(folder.read("2.xml"), base);
    EXPECT_EQ(filesIn(folder.path()), before);
}

// The backup of an unreadable base is written whole or not at all: a disk with room for the new base
// but not for the whole backup keeps the base, leaves no backup and names the backup it could not write.
TEST_F(StudentBaseTest, AFullDiskDuringTheBackupOfAnUnreadableBaseKeepsItAndNamesTheBackup) {
    const QByteArray unreadable = "not a workbook " + QByteArray(20000, 'x');
    folder.write("2.xml", unreadable);
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(2, 1, kIvanova[0]);
    ASSERT_LT(b.Spreadsheet1.workbook().toBytes().size(), 10000);
    services->messages.clear();
    runInChild([&] {
        limitFileSize(10000);
        b.Image1_Click();
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(firstLine(services->messages[0].text), kSaveFailed);
        EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("2.xml.bak: ")));
    });
    EXPECT_EQ(folder.read("2.xml"), unreadable);
    EXPECT_FALSE(folder.exists("2.xml.bak"));
}

TEST_F(StudentBaseTest, ImportReplacesTheWorkbookOnlyWhenTheChosenFileLoads) {
    writeBase({kKasymov});
    const QByteArray base = folder.read("2.xml");
    folder.write("import/good.xml", studentBaseXml({kIvanova}));
    folder.write("import/bad.xml", "<ss:Workbook xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">");
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();

    services->dialogAnswers.push_back({true, folder.file("import/good.xml")});
    b.Image4_Click();
    ASSERT_EQ(services->dialogs.size(), 1u);
    EXPECT_EQ(services->dialogs[0].kind, QStringLiteral("open"));
    EXPECT_EQ(services->dialogs[0].filter, QStringLiteral("XML|*.xml;"));
    EXPECT_EQ(a2(b), kIvanova[0]);
    v.Image1_Click();
    EXPECT_EQ(pickedEntries(v)[2], kIvanova[0]);
    EXPECT_EQ(folder.read("2.xml"), base);

    // A cancel imports nothing, not even the file chosen before, which has changed meanwhile.
    folder.write("import/good.xml", studentBaseXml({kKasymov}));
    b.Image4_Click();
    EXPECT_EQ(services->dialogs.back().fileName, folder.file("import/good.xml"));
    EXPECT_EQ(a2(b), kIvanova[0]);

    // An edit, then a file that does not load: the edited workbook stays, silently.
    b.Spreadsheet1.activeSheet().setText(2, 6, "правка");
    services->dialogAnswers.push_back({true, folder.file("import/bad.xml")});
    b.Image4_Click();
    EXPECT_EQ(a2(b), kIvanova[0]);
    EXPECT_EQ(workbook::toText(b.Spreadsheet1.activeSheet().cell(2, 6)), QStringLiteral("правка"));
    EXPECT_TRUE(services->messages.empty());
    EXPECT_EQ(folder.read("2.xml"), base);

    // "Сохранить" makes the imported workbook the student base.
    b.Image1_Click();
    workbook::Workbook back;
    back.load(folder.file("2.xml"));
    EXPECT_EQ(workbook::toText(back.activeSheet().cell(2, 1)), kIvanova[0]);
}

TEST_F(StudentBaseTest, ExportWritesACopyWhereTheOperatorSaysAndACancelWritesNothing) {
    writeBase({kKasymov});
    const QByteArray base = folder.read("2.xml");
    folder.write("blocker", "a regular file");
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    b.Spreadsheet1.activeSheet().setText(3, 1, kIvanova[0]);

    services->dialogAnswers.push_back({true, folder.file("копия.xml")});
    b.Image7_Click();
    ASSERT_EQ(services->dialogs.size(), 1u);
    EXPECT_EQ(services->dialogs[0].kind, QStringLiteral("save"));
    EXPECT_EQ(services->dialogs[0].filter, QStringLiteral("XML|*.xml;"));
    EXPECT_EQ(folder.read("копия.xml"), b.Spreadsheet1.workbook().toBytes());
    EXPECT_EQ(folder.read("2.xml"), base);

    const QStringList before = filesIn(folder.path());
    b.Image7_Click();  // cancelled
    EXPECT_EQ(services->dialogs.back().fileName, folder.file("копия.xml"));
    EXPECT_EQ(filesIn(folder.path()), before);
    EXPECT_TRUE(services->messages.empty());

    services->dialogAnswers.push_back({true, folder.file("blocker/копия.xml")});
    b.Image7_Click();
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(firstLine(services->messages[0].text), kExportFailed);
    EXPECT_TRUE(services->messages[0].all().contains(ui::shownPath(folder.file("blocker/копия.xml"))));
    EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
    EXPECT_EQ(filesIn(folder.path()), before);
}

// A size file that is there but gives no size is named, with what it holds, as an unreadable one is;
// a missing one is a first start and says nothing.
TEST_F(StudentBaseTest, SizeFilesGiveTheKeptSizeFittedToTheScreenAndAnythingUnusableTheDesignSizeAndIsNamed) {
    constexpr float kW = BazaVazed::kDesignWidth, kH = BazaVazed::kDesignHeight;
    // The largest outer size: the screen's work area and the window frame, as a maximised window has.
    const QSize area = QGuiApplication::primaryScreen()->availableGeometry().size();
    const float maxW = float(area.width()) * 15 + ui::Form::kFrameWidth;
    const float maxH = float(area.height()) * 15 + ui::Form::kFrameHeight;
    const QByteArray maxWText = QByteArray::number(maxW) + "\r\n",
                     maxHText = QByteArray::number(maxH) + "\r\n";
    // The smallest width: the three buttons and the frame.
    constexpr float minW = 1845 + ui::Form::kFrameWidth;
    struct Case {
        const char* pw;  // nullptr: no file
        const char* ph;
        float width, height;
        const char* widthWrong;  // the reason a message gives for data/pw.txt; nullptr: none
        const char* heightWrong;
    };
    // "широкое" in Windows-1251, as the program reads a file without a byte-order mark.
    const Case cases[] = {
        {"9000\r\n", "6000\r\n", 9000, 6000, nullptr, nullptr},
        {" 8400 \r\nmore\r\n", "5250,5\r\n", 8400, 5250.5f, nullptr, nullptr},
        {nullptr, nullptr, kW, kH, nullptr, nullptr},
        {"abc", "6000\r\n", kW, 6000, "в строке 1 не число: «abc»", nullptr},
        {"\r\n", "", kW, kH, "в строке 1 не число: «»", "файл пуст"},
        {"\xF8\xE8\xF0\xEE\xEA\xEE\xE5\r\n", nullptr, kW, kH, "в строке 1 не число: «широкое»", nullptr},
        {maxWText.constData(), maxHText.constData(), maxW, maxH, nullptr, nullptr},
        {"9000\r\n", "1000000000\r\n", 9000, maxH, nullptr, nullptr},
        {"99999999999999999999999999999999999999999\r\n", "6000\r\n", maxW, 6000, nullptr, nullptr},
        {"9000\r\n", "1e9\r\n", 9000, kH, nullptr, "в строке 1 не число: «1e9»"},
        {"-9000\r\n", "0\r\n", kW, kH, "в строке 1 не размер окна: «-9000»",
         "в строке 1 не размер окна: «0»"},
        {"100\r\n", "6000\r\n", minW, 6000, nullptr, nullptr},
        {"inf\r\n", "nan\r\n", kW, kH, "в строке 1 не число: «inf»", "в строке 1 не число: «nan»"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pw ? c.pw : "no files");
        QFile::remove(folder.file("data\\pw.txt"));
        QFile::remove(folder.file("data\\ph.txt"));
        if (c.pw) folder.write("data\\pw.txt", c.pw);
        if (c.ph) folder.write("data\\ph.txt", c.ph);
        services->messages.clear();
        ui::dispatchEvent([] { ui::form<BazaVazed>(); });
        BazaVazed& b = ui::form<BazaVazed>();
        EXPECT_EQ(b.width().value, c.width);
        EXPECT_EQ(b.height().value, c.height);
        EXPECT_EQ(b.Spreadsheet1.width().value, c.width - 250);
        EXPECT_EQ(b.Spreadsheet1.height().value, c.height - 1300);
        QStringList expected;
        if (c.widthWrong)
            expected << QStringLiteral(
                            "Не удалось прочитать файл «%1». Взята обычная ширина окна.\nПричина: %2")
                            .arg(ui::shownPath(folder.file("data\\pw.txt")), QString::fromUtf8(c.widthWrong));
        if (c.heightWrong)
            expected << QStringLiteral(
                            "Не удалось прочитать файл «%1». Взята обычная высота окна.\nПричина: %2")
                            .arg(ui::shownPath(folder.file("data\\ph.txt")),
                                 QString::fromUtf8(c.heightWrong));
        QStringList told;
        for (const ui::ScriptedServices::Message& m : services->messages) told << m.all();
        if (expected.size() < 2) {
            EXPECT_EQ(told, expected);
        } else {
            // Both in the action's one box.
            ASSERT_EQ(told.size(), 1);
            for (const QString& e : expected)
                EXPECT_TRUE(told[0].contains(QString(e).replace(u'\n', u' '))) << told[0].toStdString();
        }
        ui::discardForm<BazaVazed>();
    }
}

TEST_F(StudentBaseTest, OnA1024By768ScreenTheWindowOpensWhollyOnItWithItsButtonsAndCloseBoxInSight) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area, QRect(0, 0, 1024, 768));
    struct Case {
        const char* what;
        const char* pw;  // nullptr: no size files, the design size
        const char* ph;
        QSize client;  // pixels
    };
    const Case cases[] = {
        {"the design size, 1107 wide", nullptr, nullptr, {1016, 514}},
        {"a kept size larger than the screen", "30000\r\n", "20000\r\n", {1016, 740}},
        {"a kept size that fits", "9000\r\n", "6000\r\n", {592, 372}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(folder.file("data\\pw.txt"));
        QFile::remove(folder.file("data\\ph.txt"));
        if (c.pw) folder.write("data\\pw.txt", c.pw);
        if (c.ph) folder.write("data\\ph.txt", c.ph);
        BazaVazed& b = ui::form<BazaVazed>();
        expose(b);
        settle();
        const QRect frame(b.window()->pos(), b.window()->size().grownBy(ui::Form::kFrameMargins));
        EXPECT_TRUE(area.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << " x " << frame.height();
        EXPECT_EQ(b.window()->size(), c.client);
        // The save button at the top left and the close box at the frame's top right are on the screen.
        EXPECT_TRUE(area.contains(b.Image1.widget()->mapToGlobal(QPoint(0, 0))));
        EXPECT_TRUE(area.contains(frame.topRight()));
        // The spreadsheet follows the size the window took.
        EXPECT_EQ(b.Spreadsheet1.width().value, b.width().value - 250);
        EXPECT_EQ(b.Spreadsheet1.height().value, b.height().value - 1300);
        ui::discardForm<BazaVazed>();
    }
}

// A size file that cannot be read, or that another program holds, is named as one that holds no size
// is: with the size the window takes instead.
TEST_F(StudentBaseTest, ASizeFileThatCannotBeReadSaysThatTheDesignSizeIsTaken) {
    const ShortFileWaits waits;
    const QString width = ui::shownPath(folder.file("data\\pw.txt"));
    const QString height = ui::shownPath(folder.file("data\\ph.txt"));
    for (const bool busy : {false, true}) {
        SCOPED_TRACE(busy ? "busy" : "a folder");
        std::vector<std::unique_ptr<HeldFile>> held;
        for (const char* name : {"data\\pw.txt", "data\\ph.txt"}) {
            QFile::remove(folder.file(name));
            if (busy) {
                folder.write(name, "9000\r\n");
                held.push_back(std::make_unique<HeldFile>(folder.file(name)));
            } else {
                ASSERT_TRUE(QDir().mkpath(folder.file(name)));
            }
        }
        services->messages.clear();
        ui::dispatchEvent([] { ui::form<BazaVazed>(); });
        BazaVazed& b = ui::form<BazaVazed>();
        EXPECT_EQ(b.width().value, BazaVazed::kDesignWidth);
        EXPECT_EQ(b.height().value, BazaVazed::kDesignHeight);
        const QString again =
            busy ? QStringLiteral(" Он будет прочитан снова, когда понадобится.") : QString();
        ASSERT_EQ(services->messages.size(), 1u);
        const QString told = services->messages[0].details;
        EXPECT_TRUE(told.contains(
            QStringLiteral("Не удалось прочитать файл «%1». Взята обычная ширина окна.").arg(width) + again))
            << told.toStdString();
        EXPECT_TRUE(told.contains(
            QStringLiteral("Не удалось прочитать файл «%1». Взята обычная высота окна.").arg(height) + again))
            << told.toStdString();
        ui::discardForm<BazaVazed>();
        held.clear();
        for (const char* name : {"data\\pw.txt", "data\\ph.txt"}) QDir(folder.file(name)).removeRecursively();
    }
}

TEST_F(StudentBaseTest, ResizeFitsTheSpreadsheetAndASizeItCannotTakeKeepsItsLastOne) {
    BazaVazed& b = ui::form<BazaVazed>();
    struct Step {
        char dimension;
        float value;
        float sheetWidth, sheetHeight;
    };
    const Step steps[] = {
        {'w', 10000, 9750, BazaVazed::kDesignHeight - 1300},
        {'h', 5000, 9750, 3700},
        {'h', 1000, 9750, 3700},  // too low: the width is set again, the height kept
        {'w', 200, 9750, 3700},   // too narrow: neither is set
        {'h', 6000, 9750, 3700},  // the width is still refused, so the height is not reached
        {'w', 9000, 8750, 4700},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.dimension << " " << s.value);
        if (s.dimension == 'w')
            b.setWidth(ui::Twips(s.value));
        else
            b.setHeight(ui::Twips(s.value));
        EXPECT_EQ(b.Spreadsheet1.width().value, s.sheetWidth);
        EXPECT_EQ(b.Spreadsheet1.height().value, s.sheetHeight);
    }
    // The operator's resize takes the same path.
    expose(b);
    b.window()->resize(700, 400);
    settle();
    EXPECT_EQ(b.Spreadsheet1.width().value, 700 * 15 + ui::Form::kFrameWidth - 250);
    EXPECT_EQ(b.Spreadsheet1.height().value, 400 * 15 + ui::Form::kFrameHeight - 1300);
}

TEST_F(StudentBaseTest, ClosingKeepsTheOuterSizeAndShowsTheMainWindowEvenWhenSomethingHidIt) {
    Vazed& v = start();
    v.Image4_Click();
    BazaVazed& b = ui::form<BazaVazed>();
    expose(b);
    b.window()->resize(600, 420);
    settle();
    v.hide();
    b.Spreadsheet1.activeSheet().setText(2, 1, kKasymov[0]);
    b.unload();
    settle();
    EXPECT_FALSE(ui::formLoaded<BazaVazed>());
    EXPECT_TRUE(v.isShown());
    EXPECT_EQ(folder.read("data\\pw.txt"), QByteArray("9120\r\n"));
    EXPECT_EQ(folder.read("data\\ph.txt"), QByteArray("6720\r\n"));
    EXPECT_FALSE(folder.exists("2.xml"));  // the close saves no workbook

    BazaVazed& again = ui::form<BazaVazed>();
    EXPECT_EQ(again.width().value, 9120);
    EXPECT_EQ(again.height().value, 6720);
    EXPECT_EQ(again.Spreadsheet1.activeSheet().rowCount(), 0);
}

TEST_F(StudentBaseTest, AWindowClosedMaximisedReopensInTheNormalStateAtTheMaximisedSize) {
    BazaVazed& b = ui::form<BazaVazed>();
    b.window()->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(b.window()));
    settle();
    ASSERT_TRUE(b.window()->isMaximized());
    const float width = b.width().value, height = b.height().value;
    b.unload();
    settle();
    BazaVazed& again = ui::form<BazaVazed>();
    EXPECT_EQ(again.width().value, width);
    EXPECT_EQ(again.height().value, height);
    EXPECT_FALSE(again.window()->isMaximized());
}

TEST_F(StudentBaseTest, ACloseThatCannotWriteTheSizeFilesSaysSoAndStillShowsTheMainWindow) {
    Vazed& v = start();
    v.Image4_Click();
    v.hide();
    QDir(folder.file("data")).removeRecursively();
    folder.write("data", "a regular file");
    ui::form<BazaVazed>().unload();
    settle();
    ASSERT_EQ(services->messages.size(), 1u) << "one close, one box";
    EXPECT_TRUE(services->messages[0].all().contains(u"«data/pw.txt»"));
    EXPECT_TRUE(services->messages[0].all().contains(u"«data/ph.txt»"));
    EXPECT_TRUE(v.isShown());
}

TEST_F(StudentBaseTest, LanguageCodesSetTheCaptionAndTooltipsAndOtherTextsChangeNothing) {
    struct Texts {
        QString caption, save, import, exportTip;
    };
    const Texts design = {"База студентов", "Сохранить", "Импортировать", "Экспортировать"};
    const Texts kazakh = {"Студенттік база", "Сақтау", "Импорттау", "Экспорттау"};
    const Texts russian = {"База Студентов", "Сохранить", "Импортировать", "Экспортировать"};
    struct Case {
        const char* code;
        const Texts& expected;
    };
    const Case cases[] = {
        {"Kaz", kazakh}, {"kaz", kazakh},  {"Rus ", kazakh}, {"Rus", russian},
        {"", russian},   {"RUS", russian}, {"Kaz", kazakh},  {"Eng", kazakh},
    };
    folder.write("data\\lang.txt", "Eng\r\n");
    BazaVazed& b = ui::form<BazaVazed>();
    const auto seen = [&b] {
        return QStringList{b.caption(), b.Image1.toolTipText(), b.Image4.toolTipText(),
                           b.Image7.toolTipText()};
    };
    const auto list = [](const Texts& t) { return QStringList{t.caption, t.save, t.import, t.exportTip}; };
    EXPECT_EQ(seen(), list(design));
    for (const Case& c : cases) {
        b.Text4.setText(QString::fromLatin1(c.code));
        EXPECT_EQ(seen(), list(c.expected)) << '"' << c.code << '"';
    }
}

TEST_F(StudentBaseTest, SkinsSetTheBackgroundAndTheNinePicturesAndOtherNamesChangeNothing) {
    writeSkinPictures({17, 18, 19, 20, 39, 40});
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Нет такого скина\r\n")));
    BazaVazed& b = ui::form<BazaVazed>();
    const ui::PictureBox* pictures[] = {&b.Image1, &b.Image2, &b.Image3, &b.Image4, &b.Image5,
                                        &b.Image6, &b.Image7, &b.Image8, &b.Image9};
    const int numbers[] = {19, 19, 20, 39, 39, 40, 17, 17, 18};
    // The design look: no pictures, the design background.
    EXPECT_EQ(b.backColor(), 0x00FBE3C8u);
    for (const ui::PictureBox* p : pictures) EXPECT_TRUE(p->picture().isNull()) << p->name().toStdString();

    struct Case {
        const char16_t* name;
        ui::OleColor background;
        int folder;
    };
    const Case cases[] = {
        {u"Темный скин", 0x00404040, 4},
        {u"Желтый скин", 0x80000018, 3},
        {u"темный скин", 0x80000018, 3},
        {u"Белый интерактив скин", 0x8000000B, 2},
        {u"Основной скин ", 0x8000000B, 2},
        {u"Основной скин", 0x00FBE3C8, 1},
        {u"", 0x00FBE3C8, 1},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf16(c.name);
        SCOPED_TRACE(name.toStdString());
        b.Text5.setText(name);
        EXPECT_EQ(b.backColor(), c.background);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(pictureNumber(*pictures[i]), numbers[i]) << pictures[i]->name().toStdString();
            EXPECT_EQ(pictureFolder(*pictures[i]), c.folder) << pictures[i]->name().toStdString();
        }
    }
}

TEST_F(StudentBaseTest, MissingPicturesAndSettingsFilesNeverStopTheWindowFromOpening) {
    for (const char* file : {"data\\lang.txt", "data\\Skin.txt"}) QFile::remove(folder.file(file));
    writeBase({kKasymov});
    BazaVazed& b = ui::form<BazaVazed>();
    b.Text5.setText(QStringLiteral("Темный скин"));
    EXPECT_EQ(b.backColor(), 0x00404040u);
    EXPECT_TRUE(b.Image1.picture().isNull());
    EXPECT_EQ(a2(b), kKasymov[0]);
    EXPECT_EQ(b.caption(), QStringLiteral("База студентов"));
    EXPECT_TRUE(services->messages.empty());
    b.show();
    EXPECT_TRUE(b.isShown());
}

TEST_F(StudentBaseTest, TheButtonUnderThePointerShowsItsHoverPictureAndTheBareSurfaceRestoresAll) {
    writeSkinPictures({17, 18, 19, 20, 39, 40});
    BazaVazed& b = ui::form<BazaVazed>();
    expose(b);
    struct Step {
        const char* what;
        std::function<void()> act;
        int image1, image4, image7;
    };
    const Step steps[] = {
        {"onto Сохранить", [&] { moveOver(b, b.Image1); }, 20, 39, 17},
        {"straight onto Импортировать", [&] { moveOver(b, b.Image4); }, 19, 40, 17},
        {"press on Импортировать", [&] { pressOn(b, b.Image4); }, 19, 39, 17},
        {"onto Экспортировать",
         [&] {
             QTest::mouseRelease(b.window()->windowHandle(), Qt::LeftButton, {}, {200, 300});
             moveOver(b, b.Image7);
         },
         19, 39, 18},
        {"over the spreadsheet", [&] { moveOver(b, b.Spreadsheet1); }, 19, 39, 18},
        {"over the bare strip beside the buttons", [&] { moveOverSurface(b, 6000, 300); }, 19, 39, 17},
        {"press on Сохранить",
         [&] {
             moveOver(b, b.Image1);
             pressOn(b, b.Image1);
         },
         19, 39, 17},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(pictureNumber(b.Image1), s.image1) << s.what;
        EXPECT_EQ(pictureNumber(b.Image4), s.image4) << s.what;
        EXPECT_EQ(pictureNumber(b.Image7), s.image7) << s.what;
    }
    EXPECT_TRUE(services->dialogs.empty());  // nothing was clicked
}
