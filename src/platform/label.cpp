#include "platform/label.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "platform/dispatch.h"

namespace ui {

namespace {
int qtAlignment(Alignment a) {
    switch (a) {
        case Alignment::Right:
            return Qt::AlignRight;
        case Alignment::Center:
            return Qt::AlignHCenter;
        case Alignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

}  // namespace

void paintLabel(QPainter& p, const LabelLook& look, Twips width, Twips height) {
    const QRectF box = areaOf(width, height);
    p.save();
    // Within the clip the painter already has: nothing of a label lands beyond its window's client
    // area, on the paper as on the screen.
    p.setClipRect(box, Qt::IntersectClip);
    if (look.opaque) p.fillRect(box, toQColor(look.backColor));
    if (!look.caption.isEmpty()) {
        p.setFont(toTwipsFont(look.font));
        p.setPen(toQColor(look.foreColor));
        // An autosize label's box is its text's width from its Left, with its slack on the right:
        // the text starts at the Left whatever the alignment.
        int flags = (look.autoSize ? Qt::AlignLeft : qtAlignment(look.alignment)) | Qt::AlignTop;
        if (!look.autoSize) flags |= Qt::TextWordWrap;
        p.drawText(box, flags, look.caption);
    }
    if (look.border) drawPixelBorder(p, width, height);
    p.restore();
}

std::pair<Twips, Twips> autoSizeExtent(const LabelLook& look) {
    const QFontMetricsF m(toTwipsFont(look.font));
    const QStringList lines = look.caption.split('\n');
    qreal w = 0;
    for (const QString& line : lines) w = std::max(w, m.horizontalAdvance(line));
    // The border and one pixel of slack keep the last glyph inside the box.
    const Twips frame = Twips::fromPixels(look.border ? 2 : 0);
    return {Twips(float(std::ceil(w))) + frame + Twips::fromPixels(1),
            Twips(float(std::ceil(m.height() * lines.size()))) + frame};
}

Label::Label() : Control(newTwipsPaintedWidget(this)) {
    look_.font = FontSpec{};
    widget()->setAttribute(Qt::WA_TranslucentBackground);
}

void Label::setCaption(const QString& c) {
    if (c == look_.caption) return;
    look_.caption = c;
    restyle();
    fire(onChange);
}

void Label::restyle() {
    if (look_.autoSize) {
        const auto [w, h] = autoSizeExtent(look_);
        rect_.width = w;
        rect_.height = h;
        applyGeometry();
    }
    if (widget()) widget()->update();
}

void Label::setFont(const FontSpec& f) {
    look_.font = f;
    restyle();
}
void Label::setFontName(const QString& name) {
    look_.font.name = name;
    restyle();
}
void Label::setFontSize(float points) {
    look_.font.size = points;
    restyle();
}
void Label::setFontBold(bool b) {
    look_.font.bold = b;
    restyle();
}
void Label::setFontItalic(bool i) {
    look_.font.italic = i;
    restyle();
}
void Label::setAlignment(Alignment a) {
    look_.alignment = a;
    restyle();
}
void Label::setAutoSize(bool a) {
    look_.autoSize = a;
    restyle();
}
void Label::setBorderStyle(int style) {
    look_.border = style != 0;
    restyle();
}
void Label::setBackStyle(int style) {
    look_.opaque = style != 0;
    restyle();
}
void Label::setForeColor(OleColor c) {
    look_.foreColor = c;
    restyle();
}
void Label::setBackColor(OleColor c) {
    look_.backColor = c;
    restyle();
}

// Where an opaque label paints, in whole twips: its box less the boxes of the clear labels that lie
// above it in its container. Its container's own surface shows through a clear label, so a field
// label over a band reads as on the bare window, and the band shows round it.
QRegion Label::areaLeftOpen() const {
    const auto whole = [](const TwipsRect& r) {
        return QRectF(r.left.twips(), r.top.twips(), r.width.twips(), r.height.twips()).toRect();
    };
    QRegion open(whole({Twips(0), Twips(0), rect_.width, rect_.height}));
    const std::vector<Control*>& siblings = parent()->children();
    for (auto it = std::find(siblings.begin(), siblings.end(), this); ++it < siblings.end();) {
        const auto* above = dynamic_cast<const Label*>(*it);
        if (!above || !above->visible() || above->look_.opaque) continue;
        open -= whole({above->left() - left(), above->top() - top(), above->width(), above->height()});
    }
    return open;
}

void Label::print(QPainter& p) const {
    p.save();
    if (look_.opaque && parent()) p.setClipRegion(areaLeftOpen(), Qt::IntersectClip);
    paintLabel(p, look_, rect_.width, rect_.height);
    p.restore();
}

}  // namespace ui
