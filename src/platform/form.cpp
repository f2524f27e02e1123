#include "platform/form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "platform/dispatch.h"
#include "platform/services.h"

namespace ui {

namespace {
// Whether the operator can see any of `w`: it and each container up to the window are shown, lie at
// least partly inside their container and are not wholly covered by a sibling above them. Labels
// with a clear background and lines cover nothing.
bool inSight(const QWidget* w, const QWidget* window) {
    for (const QWidget* c = w; c != window; c = c->parentWidget()) {
        const QWidget* container = c->parentWidget();
        if (!container || c->isHidden()) return false;
        const QRect seen = c->geometry().intersected(container->rect());
        if (seen.isEmpty()) return false;
        const QObjectList& siblings = container->children();
        for (qsizetype i = siblings.indexOf(c) + 1; i < siblings.size(); ++i) {
            const auto* above = qobject_cast<const QWidget*>(siblings[i]);
            if (!above || above->isWindow() || above->isHidden()) continue;
            if (above->testAttribute(Qt::WA_TranslucentBackground) ||
                above->testAttribute(Qt::WA_TransparentForMouseEvents))
                continue;
            if (above->geometry().contains(seen)) return false;
        }
    }
    return true;
}

bool takesTabFocus(const QWidget* w, const QWidget* window) {
    return w != window && w->window() == window && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
           w->isEnabled() && inSight(w, window);
}

// The next control in the window's tab order that the operator can see, after `from`.
QWidget* nextInSight(QWidget* window, QWidget* from, bool forward) {
    QWidget* w = from;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == from) return nullptr;
        if (takesTabFocus(w, window)) return w;
    }
}
}  // namespace

static_assert((Form::kFrameMargins.left() + Form::kFrameMargins.right()) * kTwipsPerPixel ==
              Form::kFrameWidth);
static_assert((Form::kFrameMargins.top() + Form::kFrameMargins.bottom()) * kTwipsPerPixel ==
              Form::kFrameHeight);

QRect fitIntoArea(const QRect& outer, const QRect& area, BorderStyle border) {
    if (area.isEmpty()) return outer;
    // One axis: a window that the room holds moves in only as far as needed. A larger one starts
    // at the room's edge, so its title bar is on the screen; a sizable one takes the whole room, a
    // fixed one keeps its size and runs off the far edge, whence the operator moves it into sight.
    const bool shrinks = border == BorderStyle::Sizable;
    const auto fit = [shrinks](int at, int size, int start, int room) -> std::pair<int, int> {
        if (size >= room) return {start, shrinks ? room : size};
        return {std::clamp(at, start, start + room - size), size};
    };
    const auto [x, width] = fit(outer.x(), outer.width(), area.x(), area.width());
    const auto [y, height] = fit(outer.y(), outer.height(), area.y(), area.height());
    return QRect(x, y, width, height);
}

void bringToFront(QWidget* window) {
    // The headless platform used by tests cannot raise windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
    window->activateWindow();
}

class FormWidget : public QWidget {
public:
    explicit FormWidget(Form* f) : form_(f) {
        setMouseTracking(true);
        setAttribute(Qt::WA_DeleteOnClose, false);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), toQColor(form_->back_));
    }
    void closeEvent(QCloseEvent* e) override {
        e->accept();
        form_->closedByOperator();
    }
    void resizeEvent(QResizeEvent*) override { form_->operatorResized(width(), height()); }
    // Tab and Shift+Tab pass over hidden controls and those that lie outside their frame or under
    // another control: the focus never goes where the operator cannot see it.
    bool focusNextPrevChild(bool next) override {
        QWidget* to = form_->nextTabStop(next);
        if (!to) return false;
        to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!form_->onFormMouseMove || !form_->isBareSurface(e->position().toPoint())) return;
        const MouseArgs a = mouseArgs(e);
        dispatchEvent([&] { form_->onFormMouseMove(a); });
    }

private:
    Form* form_;
};

Form::Form(const QString& name) : name_(name), window_(std::make_unique<FormWidget>(this)) {
    window_->setObjectName(name);
    setBorderStyle(BorderStyle::FixedSingle);
    resizeNow(clientWidth_, clientHeight_);
}

Form::~Form() {
    // Controls are members of the derived class and are gone already; the window goes last.
    window_.reset();
}

QWidget* Form::surface() const {
    return window_.get();
}
QWidget* Form::window() const {
    return window_.get();
}

void Form::setCaption(const QString& c) {
    caption_ = c;
    window_->setWindowTitle(c);
}

void Form::setBackColor(OleColor c) {
    back_ = c;
    window_->update();
}

void Form::setBorderStyle(BorderStyle b) {
    border_ = b;
    Qt::WindowFlags flags = Qt::Window;
    if (b == BorderStyle::FixedSingle)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    window_->setWindowFlags(flags);
    resizeNow(clientWidth_, clientHeight_);
}

void Form::resizeNow(Twips clientW, Twips clientH) {
    clientWidth_ = clientW;
    clientHeight_ = clientH;
    const QSize px(std::max(1, clientW.toPixels()), std::max(1, clientH.toPixels()));
    if (border_ == BorderStyle::FixedSingle) {
        window_->setFixedSize(px);
    } else {
        window_->setMinimumSize(1, 1);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window_->resize(px);
    }
}

void Form::setClientSize(Twips width, Twips height) {
    resizeNow(width, height);
}

Twips Form::width() const {
    return clientWidth_ + kFrame;
}
Twips Form::height() const {
    return clientHeight_ + kTitleAndBottom;
}

void Form::setWidth(Twips w) {
    const Twips client = w - kFrame;
    if (client == clientWidth_) return;
    resizeNow(client, clientHeight_);
    Form_Resize();
}

void Form::setHeight(Twips h) {
    const Twips client = h - kTitleAndBottom;
    if (client == clientHeight_) return;
    resizeNow(clientWidth_, client);
    Form_Resize();
}

void Form::operatorResized(int pxWidth, int pxHeight) {
    // A fixed window changes size only where the screen is too small for it; its client area stays.
    if (border_ != BorderStyle::Sizable) return;
    if (pxWidth == clientWidth_.toPixels() && pxHeight == clientHeight_.toPixels()) return;
    clientWidth_ = Twips::fromPixels(pxWidth);
    clientHeight_ = Twips::fromPixels(pxHeight);
    dispatchEvent([this] { Form_Resize(); });
}

Twips Form::left() const {
    return Twips::fromPixels(window_->x());
}
Twips Form::top() const {
    return Twips::fromPixels(window_->y());
}
void Form::setLeft(Twips l) {
    placed_ = true;
    clientPlaced_ = false;
    window_->move(l.toPixels(), window_->y());
}
void Form::setTop(Twips t) {
    placed_ = true;
    clientPlaced_ = false;
    window_->move(window_->x(), t.toPixels());
}
void Form::move(Twips l, Twips t) {
    placed_ = true;
    clientPlaced_ = false;
    window_->move(l.toPixels(), t.toPixels());
}

void Form::setTabOrder(const std::vector<const Control*>& order) {
    tabOrder_ = order;
}

QWidget* Form::nextTabStop(bool forward) const {
    QWidget* window = window_.get();
    QWidget* from = window->focusWidget();
    if (tabOrder_.empty()) return nextInSight(window, from ? from : window, forward);
    const auto n = std::ptrdiff_t(tabOrder_.size());
    std::ptrdiff_t at = forward ? -1 : n;
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (from && tabOrder_[size_t(i)]->widget() == from) at = i;
    for (std::ptrdiff_t step = 1; step <= n; ++step) {
        const std::ptrdiff_t i = ((at + (forward ? step : -step)) % n + n) % n;
        QWidget* w = tabOrder_[size_t(i)]->widget();
        if (w && takesTabFocus(w, window)) return w;
    }
    return nullptr;
}

void Form::moveClientArea(Twips left, Twips top) {
    placed_ = true;
    clientPlaced_ = true;
    window_->setGeometry(QRect(QPoint(left.toPixels(), top.toPixels()), window_->size()));
}

void Form::fitOnScreen() {
    const QSize client = window_->size();
    QRect outer;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!placed_ && startUp_ == StartUpPosition::CenterScreen) {
        if (!screen) return;
        const QRect avail = screen->availableGeometry();
        const QSize size = client.grownBy(kFrameMargins);
        outer = QRect(avail.center() - QPoint(size.width() / 2, size.height() / 2), size);
    } else {
        outer = clientPlaced_ ? window_->geometry().marginsAdded(kFrameMargins)
                              : QRect(window_->pos(), client.grownBy(kFrameMargins));
        if (const QScreen* at = QGuiApplication::screenAt(outer.center())) screen = at;
        if (!screen) return;
    }
    placed_ = true;
    const QRect fitted = fitIntoArea(outer, screen->availableGeometry(), border_);
    const QSize shown = fitted.size().shrunkBy(kFrameMargins);
    if (shown != client) {
        // Only a sizable window shrinks, and only in the dimension that had to; the other keeps its
        // exact twips.
        resizeNow(shown.width() == client.width() ? clientWidth_ : Twips::fromPixels(shown.width()),
                  shown.height() == client.height() ? clientHeight_ : Twips::fromPixels(shown.height()));
        dispatchEvent([this] { Form_Resize(); });
    }
    if (clientPlaced_)
        window_->setGeometry(
            QRect(fitted.topLeft() + QPoint(kFrameMargins.left(), kFrameMargins.top()), shown));
    else
        window_->move(fitted.topLeft());
}

void Form::show() {
    if (!fitted_) {
        fitted_ = true;
        fitOnScreen();
    }
    // Qt would give a new window's focus to the first control in its tab order, seen or not.
    QWidget* focused = window_->focusWidget();
    if (!focused || !takesTabFocus(focused, window_.get())) {
        if (focused) focused->clearFocus();
        if (QWidget* first = nextTabStop(true)) first->setFocus(Qt::OtherFocusReason);
    }
    if (takeStartStyle() == WindowStyle::MinimizedFocus) {
        window_->showMinimized();
        window_->activateWindow();
    } else {
        window_->show();
        bringToFront(window_.get());
    }
    noteWindowShown(window_.get());
}

void Form::hide() {
    window_->hide();
}

bool Form::isShown() const {
    return window_->isVisible();
}

void Form::loadNow() {
    loaded_ = true;
    dispatchEvent([this] { Form_Load(); });
}

void Form::closedByOperator() {
    if (unloading_) return;
    unloading_ = true;
    dispatchEvent([this] { Form_Unload(); });
    window_->hide();
    // The handler that closed us may still be running inside this window: delete it once control is
    // back in the event loop that is running now. A deferred delete waits for that loop, where a
    // zero timer would fire inside any message box or dialog the handler opens next.
    if (release_) release_();
    loaded_ = false;
    auto* marker = new QObject;
    QObject::connect(marker, &QObject::destroyed, [self = this] { delete self; });
    marker->deleteLater();
}

void Form::unload() {
    closedByOperator();
}

}  // namespace ui
