// One operator action, one box: whatever files one action cannot read or write are named together in
// one message; a file already named in this run is not named again when the next window loads it.
#include <QDir>
#include <QFile>
#include <algorithm>
#include <functional>

#include "settings/nastroiki.h"
#include "student_base_fixture.h"
#include "support/child_process.h"

using velmox::BazaVazed;
using velmox::Vazed;

namespace {

// A folder in the place of a file: reading and writing it both fail.
void folderInPlace(const ProgramFolder& folder, const char* name) {
    QFile::remove(folder.file(QString::fromLatin1(name)));
    QDir().mkpath(folder.file(QString::fromLatin1(name)));
}

// A byte-order mark, then a byte that UTF-8 has not.
void unreadable(const ProgramFolder& folder, const char* name) {
    folder.write(QString::fromLatin1(name), "\xEF\xBB\xBFKaz\xFF\r\n");
}

void truncatedBase(const ProgramFolder& folder) {
    const QByteArray whole = studentBaseXml({kKasymov, kOmirbekova});
    folder.write("2.xml", whole.left(whole.size() / 2));
}

}  // namespace

class OneBoxTest : public StudentBaseTest {
protected:
    enum class Step { Start, LoadData, OpenBase, CloseBase, Settings };

    void run(Step step) {
        if (step == Step::Start) {
            expose(start());
            return;
        }
        Vazed& v = ui::form<Vazed>();
        switch (step) {
            case Step::LoadData:
                click(v, v.Image1);
                break;
            case Step::OpenBase:
                click(v, v.Image4);
                break;
            case Step::Settings:
                click(v, v.Image10);
                break;
            case Step::CloseBase:
                ui::form<BazaVazed>().window()->close();
                settle();
                break;
            case Step::Start:
                break;
        }
    }

    QString shown(const char* name) const { return ui::shownPath(folder.file(QString::fromLatin1(name))); }
};

TEST_F(OneBoxTest, EachActionShowsOneBoxNamingEveryFileItCouldNotReadOrWriteAndNoneTwice) {
    using Spoil = std::function<void(const ProgramFolder&)>;
    const Spoil sizeFolders = [](const ProgramFolder& f) {
        folderInPlace(f, "data\\pw.txt");
        folderInPlace(f, "data\\ph.txt");
    };
    const Spoil baseAndLanguage = [](const ProgramFolder& f) {
        truncatedBase(f);
        unreadable(f, "data\\lang.txt");
    };
    const Spoil baseAndWidth = [](const ProgramFolder& f) {
        truncatedBase(f);
        f.write("data\\pw.txt", "abc\r\n");
    };
    const Spoil everything = [&](const ProgramFolder& f) {
        sizeFolders(f);
        baseAndLanguage(f);
        unreadable(f, "data\\Skin.txt");
    };
    const char* const files[] = {"2.xml", "data\\lang.txt", "data\\Skin.txt", "data\\pw.txt", "data\\ph.txt"};
    struct Case {
        const char* what;
        Spoil spoil;
        std::vector<Step> before;  // the actions before, each with its own box
        Step action;
        std::vector<const char*> named;  // in the action's one box; none: no box
    };
    const Case cases[] = {
        {"size files: the start", sizeFolders, {}, Step::Start, {}},
        {"size files: База студентов",
         sizeFolders,
         {Step::Start},
         Step::OpenBase,
         {"data\\pw.txt", "data\\ph.txt"}},
        {"size files: closing the base",
         sizeFolders,
         {Step::Start, Step::OpenBase},
         Step::CloseBase,
         {"data\\pw.txt", "data\\ph.txt"}},
        {"size files: opening the base again",
         sizeFolders,
         {Step::Start, Step::OpenBase, Step::CloseBase},
         Step::OpenBase,
         {}},
        {"size files: Загрузить данные",
         sizeFolders,
         {Step::Start},
         Step::LoadData,
         {"data\\pw.txt", "data\\ph.txt"}},
        {"base and language: the start", baseAndLanguage, {}, Step::Start, {"data\\lang.txt"}},
        {"base and language: Загрузить данные", baseAndLanguage, {Step::Start}, Step::LoadData, {"2.xml"}},
        {"base and language: База студентов", baseAndLanguage, {Step::Start}, Step::OpenBase, {"2.xml"}},
        {"base and language: Настройки after Загрузить данные",
         baseAndLanguage,
         {Step::Start, Step::LoadData},
         Step::Settings,
         {}},
        {"base and a width that is no number: База студентов",
         baseAndWidth,
         {Step::Start},
         Step::OpenBase,
         {"2.xml", "data\\pw.txt"}},
        {"base and a width that is no number: Настройки",
         baseAndWidth,
         {Step::Start},
         Step::Settings,
         {"2.xml", "data\\pw.txt"}},
        {"everything: the start", everything, {}, Step::Start, {"data\\lang.txt", "data\\Skin.txt"}},
        {"everything: Загрузить данные",
         everything,
         {Step::Start},
         Step::LoadData,
         {"2.xml", "data\\pw.txt", "data\\ph.txt"}},
        {"everything: Настройки",
         everything,
         {Step::Start},
         Step::Settings,
         {"2.xml", "data\\pw.txt", "data\\ph.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"data\\pw.txt", "data\\ph.txt"}) QDir(folder.file(name)).removeRecursively();
        writeBase({kKasymov, kOmirbekova});
        c.spoil(folder);
        for (const Step step : c.before) {
            const std::size_t boxes = services->messages.size();
            run(step);
            ASSERT_LE(services->messages.size(), boxes + 1) << "one box for an earlier action";
        }
        const std::size_t boxes = services->messages.size();
        run(c.action);
        ASSERT_EQ(services->messages.size(), boxes + (c.named.empty() ? 0 : 1));
        if (!c.named.empty()) {
            const ui::ScriptedServices::Message box = services->messages.back();
            EXPECT_EQ(box.title, "Ошибка");
            for (const char* file : files) {
                const bool named = std::find_if(c.named.begin(), c.named.end(), [&](const char* n) {
                                       return QLatin1String(n) == QLatin1String(file);
                                   }) != c.named.end();
                EXPECT_EQ(box.all().contains(u'«' + shown(file) + u'»'), named)
                    << file << " in: " << box.all().toStdString();
            }
        }
        TearDown();
        SetUp();
    }
}

// A program folder the operator may not write: the base's close cannot write either size file, and
// says so once. The child paints nothing (no window is put on the screen there): painting may wait
// on threads that a forked process does not have.
TEST_F(OneBoxTest, TheBaseClosedInAFolderThatTakesNoWritesNamesBothSizeFilesInOneBox) {
    const ChildOutcome outcome = runUnprivileged(folder.path(), [&] {
        Vazed& v = start();
        v.Image4_Click();
        ASSERT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
        QFile::setPermissions(folder.file("data"), QFile::ReadOwner | QFile::ExeOwner);
        ui::form<BazaVazed>().unload();
        QFile::setPermissions(folder.file("data"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_EQ(services->messages.size(), 1u);
        const QString text = services->messages[0].all();
        EXPECT_TRUE(text.contains(shown("data\\pw.txt"))) << text.toStdString();
        EXPECT_TRUE(text.contains(shown("data\\ph.txt"))) << text.toStdString();
        EXPECT_TRUE(v.isShown());
    });
    if (outcome == ChildOutcome::Skipped) GTEST_SKIP() << "no user whom permissions bind";
    EXPECT_EQ(outcome, ChildOutcome::Passed);
}
