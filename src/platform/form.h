#pragma once
// A window. Every window class has one global instance: the first access creates and loads it
// (marked loaded first, then its Form_Load runs whole) and it stays hidden until shown. show() and
// hide() never reload; a close runs Form_Unload and destroys the window, and the next access
// builds a fresh one in its design state.
#include <QMargins>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/color.h"
#include "platform/control.h"

namespace ui {

enum class BorderStyle { FixedSingle, Sizable };
enum class StartUpPosition { CenterScreen, Manual };

// Where a window goes whose outer rectangle, frame included, is `outer`, on a screen whose work
// area is `area` (both in pixels): where it is when it fits there; else moved just enough to lie
// inside. Along a side longer than the area it starts at the area's edge, top-left first, so that
// its title bar is on the screen: a sizable window then shrinks to the area, a fixed one keeps its
// design size, which its controls need, and the operator moves it to reach the rest.
QRect fitIntoArea(const QRect& outer, const QRect& area, BorderStyle border);

// Puts a shown window in front of the others and gives it the focus.
void bringToFront(QWidget* window);

class FormWidget;

class Form : public Container {
public:
    explicit Form(const QString& name);
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const QString& name() const { return name_; }
    QWidget* surface() const override;
    QWidget* window() const;

    const QString& caption() const { return caption_; }
    void setCaption(const QString& c);
    OleColor backColor() const { return back_; }
    void setBackColor(OleColor c);
    void setBorderStyle(BorderStyle b);
    BorderStyle borderStyle() const { return border_; }
    void setStartUpPosition(StartUpPosition p) { startUp_ = p; }

    // The client area, in twips.
    Twips clientWidth() const { return clientWidth_; }
    Twips clientHeight() const { return clientHeight_; }
    void setClientSize(Twips width, Twips height);
    // The outer size: client area plus a fixed frame, so stored sizes mean the same on every desktop.
    Twips width() const;
    Twips height() const;
    // Runs Form_Resize when the size really changes.
    void setWidth(Twips w);
    void setHeight(Twips h);
    Twips left() const;
    Twips top() const;
    void setLeft(Twips l);
    void setTop(Twips t);
    // Both at once, so the window never stands half-moved; the size stays.
    void move(Twips left, Twips top);
    // Puts the client area's top-left corner at a fixed place on the screen instead of centring.
    void moveClientArea(Twips left, Twips top);

    // The controls Tab moves between, in order; without it, the order in which they were created.
    // Tab passes over controls that are hidden, disabled, outside their frame or under another one.
    void setTabOrder(const std::vector<const Control*>& order);

    // The program's first show takes the style its starter asked for (minimised and active);
    // every other show is a normal one. A window's first show keeps its design (or kept) place and
    // size where the screen's work area holds them, and otherwise places it by fitIntoArea: a
    // sizable window then takes the smaller size, Form_Resize included; a fixed one keeps its size
    // and reaches past the screen's far edge, so that every control it has can still be reached.
    void show();
    void hide();
    bool isShown() const;
    // Closes the window as the operator's close box does.
    void unload();
    bool isLoaded() const { return loaded_; }

    static constexpr float kFrameWidth = 120;   // both side borders
    static constexpr float kFrameHeight = 420;  // title bar and bottom border
    static constexpr Twips kFrame{kFrameWidth}, kTitleAndBottom{kFrameHeight};
    // The same frame in pixels: each side, the title bar above, the bottom border.
    static constexpr QMargins kFrameMargins{4, 24, 4, 4};

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    virtual void Form_Resize() {}
    std::function<void(const MouseArgs&)> onFormMouseMove;

private:
    template <class T>
    friend T& form();
    friend class FormWidget;
    void loadNow();
    void closedByOperator();
    void operatorResized(int pxWidth, int pxHeight);
    void resizeNow(Twips clientW, Twips clientH);
    void fitOnScreen();
    // Where Tab (or Shift+Tab) takes the focus from the control that has it; nullptr: nowhere.
    QWidget* nextTabStop(bool forward) const;

    QString name_;
    std::unique_ptr<FormWidget> window_;
    QString caption_;
    OleColor back_ = syscolor::kButtonFace;
    BorderStyle border_ = BorderStyle::FixedSingle;
    StartUpPosition startUp_ = StartUpPosition::CenterScreen;
    Twips clientWidth_{4800}, clientHeight_{3600};
    bool loaded_ = false;
    bool unloading_ = false;
    bool placed_ = false;
    bool clientPlaced_ = false;  // placed by its client area's corner rather than its frame's
    bool fitted_ = false;
    std::function<void()> release_;
    std::vector<const Control*> tabOrder_;
};

namespace detail {
template <class T>
T*& instanceSlot() {
    static T* slot = nullptr;
    return slot;
}
}  // namespace detail

// The window's global instance, created and loaded on first access.
template <class T>
T& form() {
    T*& slot = detail::instanceSlot<T>();
    if (!slot) {
        slot = new T();
        Form& f = *slot;
        f.release_ = [] { detail::instanceSlot<T>() = nullptr; };
        f.loadNow();
    }
    return *slot;
}

// Whether the window exists now, without creating it.
template <class T>
bool formLoaded() {
    return detail::instanceSlot<T>() != nullptr;
}

// Drops the instance without running Form_Unload: the end of the program, or a test's clean-up.
template <class T>
void discardForm() {
    T*& slot = detail::instanceSlot<T>();
    delete slot;
    slot = nullptr;
}

}  // namespace ui
