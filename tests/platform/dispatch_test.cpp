// One operator action, one box: the failures an action reports are shown together when it ends, each
// once (a file that several windows read in one load is named once); the next action shows its own.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "operator.h"
#include "platform/dispatch.h"
#include "platform/error.h"

namespace {

TEST(Action, AnActionsFailuresAreShownInOneBoxAtItsEndEachOnceAndAgainInTheNext) {
    ScriptedScope services;
    const auto action = [&services] {
        const std::size_t shown = services->messages.size();
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
        // A window loaded inside the action reads the same file: its own dispatch is part of it.
        ui::dispatchEvent([] {
            ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
            ui::showError("Не удалось прочитать файл «data/Skin.txt».", "Причина: нет доступа");
        });
        EXPECT_EQ(services->messages.size(), shown) << "nothing is shown before the action ends";
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
        // The same summary with other details is another failure; details of several lines keep them.
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: ошибка ввода-вывода");
        ui::showError("Не всё удалось сохранить, ошибок: 2.", "2.txt: нет доступа\ndata/1.txt: нет доступа");
        throw ui::Error(QStringLiteral("Не удалось прочитать файл «data/pw.txt»."));
    };
    ui::dispatchEvent(action);
    ASSERT_EQ(services->messages.size(), 1u);
    const ui::ScriptedServices::Message box = services->messages[0];  // a copy: more boxes follow
    EXPECT_EQ(box.title, "Ошибка");
    EXPECT_EQ(box.text, "Не всё удалось сделать, ошибок: 5. Подробности ниже.");
    EXPECT_EQ(box.details,
              "Не удалось прочитать файл «data/lang.txt». Причина: нет доступа\n"
              "Не удалось прочитать файл «data/Skin.txt». Причина: нет доступа\n"
              "Не удалось прочитать файл «data/lang.txt». Причина: ошибка ввода-вывода\n"
              "Не всё удалось сохранить, ошибок: 2.\n"
              "  2.txt: нет доступа\n"
              "  data/1.txt: нет доступа\n"
              "Не удалось прочитать файл «data/pw.txt».");

    ui::dispatchEvent(action);
    ASSERT_EQ(services->messages.size(), 2u) << "the next action tells it all again";
    EXPECT_EQ(services->messages[1].details, box.details);

    // An action with one failure shows it as it is.
    ui::dispatchEvent(
        [] { ui::showError("Не удалось записать файл «data/pw.txt».", "Причина: нет доступа"); });
    ASSERT_EQ(services->messages.size(), 3u);
    EXPECT_EQ(services->messages[2].text, "Не удалось записать файл «data/pw.txt».");
    EXPECT_EQ(services->messages[2].details, "Причина: нет доступа");
    ui::dispatchEvent([] {});
    EXPECT_EQ(services->messages.size(), 3u) << "an action without failures shows nothing";

    // Outside any action each message is shown at once.
    ui::showError("Не удалось прочитать файл «data/lang.txt».");
    ui::showError("Не удалось прочитать файл «data/lang.txt».");
    EXPECT_EQ(services->messages.size(), 5u);
}

// The program's end comes before the action's: what the action gathered is shown first.
TEST(Action, TheProgramsEndShowsWhatTheActionGatheredBeforeItEnds) {
    ScriptedScope services;
    std::size_t shownAtTheEnd = 0;
    ui::dispatchEvent([&] {
        ui::showError("Не удалось записать файл «2.txt».", "Причина: нет доступа");
        ui::showError("Не удалось записать файл «data/lang.txt».", "Причина: нет доступа");
        ui::endProgram(0);
        shownAtTheEnd = services->messages.size();
    });
    EXPECT_EQ(shownAtTheEnd, 1u);
    EXPECT_EQ(services->endedWith, std::vector<int>{0});
    ASSERT_EQ(services->messages.size(), 1u) << "nothing is shown twice";
    EXPECT_TRUE(services->messages[0].details.contains("«2.txt»"));
    EXPECT_TRUE(services->messages[0].details.contains("data/lang.txt"));
}

}  // namespace

// A step for each action runs once at its start, before its handler and not for the dispatches inside
// it; what it reports belongs to the action's box, and a step that fails costs the handler nothing.
TEST(Action, AStepForEachActionRunsOnceAtItsStartAndItsFailureStopsNoHandler) {
    ScriptedScope services;
    // The step stays for the rest of the run, so it keeps what it reaches alive and is idle after.
    struct Seen {
        std::vector<QString> ran;
        bool failing = false;
        bool over = false;
    };
    const auto seen = std::make_shared<Seen>();
    ui::atEachActionStart([seen] {
        if (seen->over) return;
        seen->ran.push_back(QStringLiteral("step"));
        if (seen->failing) throw ui::Error(QStringLiteral("Не удалось прочитать файл «data/Skin.txt»."));
    });
    std::vector<QString>& ran = seen->ran;
    ui::dispatchEvent([&ran] {
        ran.push_back(QStringLiteral("handler"));
        ui::dispatchEvent([&ran] { ran.push_back(QStringLiteral("inner")); });
    });
    EXPECT_EQ(ran, (std::vector<QString>{"step", "handler", "inner"}));
    EXPECT_TRUE(services->messages.empty());

    seen->failing = true;
    ui::dispatchEvent([&ran] {
        ran.push_back(QStringLiteral("handler"));
        ui::showError(QStringLiteral("Не удалось записать файл «2.txt»."));
    });
    EXPECT_EQ(ran, (std::vector<QString>{"step", "handler", "inner", "step", "handler"}));
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(services->messages[0].details,
              "Не удалось прочитать файл «data/Skin.txt».\nНе удалось записать файл «2.txt».");
    seen->over = true;
}
