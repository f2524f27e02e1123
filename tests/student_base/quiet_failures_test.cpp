// The places where a failure passes without a word let only the program's own error pass: a fault of
// another kind reaches the event dispatch, which reports it, and the window stays as it was.
#include <functional>
#include <stdexcept>

#include "platform/error.h"
#include "settings/nastroiki.h"
#include "student_base_fixture.h"

using velmox::Nastroiki;
using velmox::Vazed;

namespace {

constexpr char kFault[] = "a fault of the program";
constexpr char16_t kReason[] = u"файл не прочитан";

struct Fault {
    const char* what;
    bool own;  // the program's one error type
    std::function<void()> raise;
};

const Fault kFaults[] = {
    {"the program's error", true, [] { throw ui::Error(QString::fromUtf16(kReason)); }},
    {"a fault of another kind", false, [] { throw std::logic_error(kFault); }},
};

}  // namespace

TEST_F(StudentBaseTest, OnlyTheProgramsOwnErrorPassesSilentlyAndAnyOtherFaultIsReported) {
    writeBase({kKasymov, kOmirbekova});
    folder.write("2.txt", crlf(lastValues()));
    Vazed& v = start();
    const std::function<void()> copyHandler = v.Text2.onChange;
    struct Site {
        const char* what;
        // Opens the window and makes the site's step fail as `raise` does; returns what to click.
        std::function<std::pair<ui::Form*, const ui::Control*>(const std::function<void()>& raise)> arm;
        bool quiet;  // the program's own error passes without a word
    };
    const Site sites[] = {
        // An empty base is the picker's one quiet case; a failure in the copy of the picked student
        // into the entry controls is never hidden.
        {"the student picker's fill",
         [&](const std::function<void()>& raise) {
             expose(v);
             // A box that already holds the picked text is not written again.
             v.Text2.onChange = copyHandler;
             v.Text2.setText(QString());
             v.Text2.onChange = raise;
             return std::pair<ui::Form*, const ui::Control*>(&v, &v.Image1);
         },
         false},
        {"the settings window's printer set-up",
         [&](const std::function<void()>& raise) {
             services->dialogFails = raise;
             v.Image10_Click();
             Nastroiki& s = ui::form<Nastroiki>();
             expose(s);
             return std::pair<ui::Form*, const ui::Control*>(&s, &s.Image1);
         },
         true},
    };
    for (const Site& site : sites) {
        for (const Fault& f : kFaults) {
            SCOPED_TRACE(std::string(site.what) + ", " + f.what);
            const auto [form, control] = site.arm(f.raise);
            services->messages.clear();
            click(*form, *control);
            if (site.quiet && f.own) {
                EXPECT_TRUE(services->messages.empty());
            } else {
                ASSERT_EQ(services->messages.size(), 1u);
                EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
                if (f.own) {
                    EXPECT_EQ(services->messages[0].text, QString::fromUtf16(kReason));
                } else {
                    EXPECT_EQ(services->messages[0].text,
                              QStringLiteral("Непредвиденная ошибка в программе."));
                    EXPECT_EQ(services->messages[0].details, QString::fromLatin1(kFault));
                }
            }
            EXPECT_TRUE(form->isShown());
        }
        services->dialogFails = nullptr;
        v.Text2.onChange = copyHandler;
    }
}
