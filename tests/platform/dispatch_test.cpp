// One operator action, one box for each failure: the same message again within the action (a file
// that several windows read in one load) is not shown again; the next action shows it afresh.
#include <gtest/gtest.h>

#include <stdexcept>

#include "operator.h"
#include "platform/dispatch.h"
#include "platform/error.h"

namespace {

TEST(Action, EachFailureIsShownOnceInOneActionAndAgainInTheNext) {
    ScriptedScope services;
    const auto action = [] {
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
        // A window loaded inside the action reads the same file: its own dispatch is part of it.
        ui::dispatchEvent([] {
            ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
            ui::showError("Не удалось прочитать файл «data/Skin.txt».", "Причина: нет доступа");
        });
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: нет доступа");
        // The same summary with other details is another failure.
        ui::showError("Не удалось прочитать файл «data/lang.txt».", "Причина: ошибка ввода-вывода");
        throw ui::Error(QStringLiteral("Не удалось прочитать файл «data/Skin.txt»."));
    };
    ui::dispatchEvent(action);
    ASSERT_EQ(services->messages.size(), 4u);
    EXPECT_EQ(services->messages[0].text, "Не удалось прочитать файл «data/lang.txt».");
    EXPECT_EQ(services->messages[1].text, "Не удалось прочитать файл «data/Skin.txt».");
    EXPECT_EQ(services->messages[2].details, "Причина: ошибка ввода-вывода");
    EXPECT_EQ(services->messages[3].text, "Не удалось прочитать файл «data/Skin.txt».");
    for (const auto& m : services->messages) EXPECT_EQ(m.title, "Ошибка");

    ui::dispatchEvent(action);
    EXPECT_EQ(services->messages.size(), 8u) << "the next action tells it all again";

    // Outside any action, as in the start before the main window loads, nothing is folded.
    ui::showError("Не удалось прочитать файл «data/lang.txt».");
    ui::showError("Не удалось прочитать файл «data/lang.txt».");
    EXPECT_EQ(services->messages.size(), 10u);
}

}  // namespace
