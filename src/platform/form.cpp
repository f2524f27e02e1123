#include "platform/form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "platform/dispatch.h"

namespace ui {

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
    window_->move(l.toPixels(), window_->y());
}
void Form::setTop(Twips t) {
    placed_ = true;
    window_->move(window_->x(), t.toPixels());
}
void Form::move(Twips l, Twips t) {
    placed_ = true;
    window_->move(l.toPixels(), t.toPixels());
}

void Form::show() {
    if (!placed_ && startUp_ == StartUpPosition::CenterScreen) {
        placed_ = true;
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            const QRect avail = s->availableGeometry();
            const QSize outer(width().toPixels(), height().toPixels());
            window_->move(avail.center() - QPoint(outer.width() / 2, outer.height() / 2));
        }
    }
    window_->show();
    // The headless platform used by tests cannot raise windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window_->raise();
    window_->activateWindow();
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
