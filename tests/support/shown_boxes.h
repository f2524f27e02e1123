#pragma once
// Scripted services whose message boxes are the program's own, shown for real for the window they
// belong to and answered with OK as soon as they are up, for tests of which window a box belongs to
// and which window the operator has in front of them after it.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "support/scripted_services.h"

namespace ui {

class ShownBoxes : public ScriptedServices {
public:
    struct Shown {
        QPointer<QWidget> owner;  // the window the box was shown for; null: none
        bool modal = false;       // it held the operator until its OK
    };
    std::vector<Shown> shown;  // one per box, in the order of `messages`

    using ScriptedServices::messageBox;
    void messageBox(const QString& text, const QString& title, const QString& details) override;
};

}  // namespace ui
