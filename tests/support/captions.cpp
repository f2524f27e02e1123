#include "support/captions.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QRawFont>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/controls.h"

namespace {
// Half a pixel of the screen: what rounding may add to a measured extent.
constexpr qreal kSlack = ui::kTwipsPerPixel / 2;

QString describe(const ui::Control& c, const QString& caption, const QString& why) {
    return QStringLiteral("%1 «%2»: %3").arg(c.name(), caption, why);
}

// The letters of `text` that `font` lacks.
QString missingLetters(const QFont& font, const QString& text) {
    const QRawFont raw = QRawFont::fromFont(font);
    QString missing;
    for (const QChar c : text)
        if (!c.isSpace() && (!raw.isValid() || !raw.supportsCharacter(c)) && !missing.contains(c))
            missing += c;
    return missing;
}

void checkFont(QStringList& out, const ui::Control& c, const QString& caption, const QFont& font) {
    const QString missing = missingLetters(font, caption);
    if (!missing.isEmpty())
        out << describe(c, caption,
                        QStringLiteral("%1 lacks %2").arg(QRawFont::fromFont(font).familyName(), missing));
}

void checkLabel(QStringList& out, const ui::Label& l) {
    const QString& caption = l.caption();
    if (caption.isEmpty()) return;
    const QFont font = ui::toTwipsFont(l.font());
    checkFont(out, l, caption, font);
    // An autosize label takes the size of its text.
    if (l.autoSize()) return;
    // Laid out as the label paints it: wrapped at word ends, from the top.
    const QRectF box(0, 0, l.width().twips(), l.height().twips());
    const QRectF used =
        QFontMetricsF(font).boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, caption);
    if (used.width() > box.width() + kSlack || used.height() > box.height() + kSlack)
        out << describe(l, caption,
                        QStringLiteral("needs %1 x %2 twips in %3 x %4")
                            .arg(std::ceil(used.width()))
                            .arg(std::ceil(used.height()))
                            .arg(box.width())
                            .arg(box.height()));
}

void checkCheckBox(QStringList& out, const ui::CheckBox& b) {
    const auto* box = static_cast<const QCheckBox*>(b.widget());
    const QString& caption = b.caption();
    if (caption.isEmpty()) return;
    checkFont(out, b, caption, box->font());
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = box->text();
    const QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    const QFontMetrics m(box->font());
    if (m.horizontalAdvance(caption) > room.width() || m.height() > room.height())
        out << describe(b, caption,
                        QStringLiteral("needs %1 x %2 pixels beside the box, has %3 x %4")
                            .arg(m.horizontalAdvance(caption))
                            .arg(m.height())
                            .arg(room.width())
                            .arg(room.height()));
}

void checkFrame(QStringList& out, const ui::Frame& f) {
    const QString& caption = f.caption();
    // Without a border the caption is not drawn.
    if (caption.isEmpty() || !f.borderStyle()) return;
    const QFont font = ui::toTwipsFont(f.font());
    checkFont(out, f, caption, font);
    // Drawn 8 pixels in, on a patch one pixel wider at each side.
    const qreal needs = 10 * ui::kTwipsPerPixel + QFontMetricsF(font).horizontalAdvance(caption);
    if (needs > f.width().twips() + kSlack)
        out << describe(f, caption,
                        QStringLiteral("needs %1 twips in %2").arg(std::ceil(needs)).arg(f.width().twips()));
}

void check(QStringList& out, const ui::Control& c) {
    if (const auto* l = dynamic_cast<const ui::Label*>(&c)) checkLabel(out, *l);
    if (const auto* b = dynamic_cast<const ui::CheckBox*>(&c)) checkCheckBox(out, *b);
    if (const auto* f = dynamic_cast<const ui::Frame*>(&c)) checkFrame(out, *f);
}

void walk(QStringList& out, const ui::Container& container, ui::Twips width, ui::Twips height) {
    for (const ui::Control* c : container.children()) {
        if (!c->visible()) continue;
        const bool inside = c->left() < width && c->top() < height && c->rect().right() > ui::Twips() &&
                            c->rect().bottom() > ui::Twips();
        if (!inside) continue;
        check(out, *c);
        if (const auto* f = dynamic_cast<const ui::Frame*>(c)) walk(out, *f, f->width(), f->height());
    }
}
}  // namespace

QStringList captionsNotShownWhole(const ui::Container& root) {
    QStringList out;
    if (const auto* form = dynamic_cast<const ui::Form*>(&root))
        walk(out, root, form->clientWidth(), form->clientHeight());
    else if (const auto* frame = dynamic_cast<const ui::Frame*>(&root))
        walk(out, root, frame->width(), frame->height());
    return out;
}

QStringList captionsNotShownWhole(const ui::Label& label) {
    QStringList out;
    checkLabel(out, label);
    return out;
}
