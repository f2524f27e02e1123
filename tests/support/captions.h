#pragma once
// Whether a window's captions show whole: each measured with the font it is actually drawn in.
#include <QStringList>

namespace ui {
class Container;
class Label;
}  // namespace ui

// The visible labels, check boxes and framed frames under `root` (and its frames) whose caption
// does not show whole, each as "name «caption»: why". A caption shows whole when its font holds
// every letter of it, so no fallback font of other metrics sets the line lower, and the caption,
// wrapped as its control wraps it, fits the control's box. Controls lying outside their container
// are not seen and not measured.
QStringList captionsNotShownWhole(const ui::Container& root);
// The same for one label, which may lie anywhere.
QStringList captionsNotShownWhole(const ui::Label& label);
