#pragma once
// An editable drop-down combo box. Typing or a write of Text runs Change; picking an item, or a
// write of ListIndex that changes it, runs Click. The arrow keys step from the entry that matches
// the text; Enter picks nothing and inserts nothing. No completer, duplicates allowed, items in the
// order they were added.
#include <QString>
#include <QStringList>

#include "platform/color.h"
#include "platform/control.h"
#include "platform/font.h"
#include "platform/key_press.h"

namespace ui {

class ComboBox : public Control {
public:
    ComboBox();

    const QString& text() const { return text_; }
    void setText(const QString& t);
    void setDesignText(const QString& t);

    int listIndex() const { return listIndex_; }
    // -1 selects nothing; outside the list throws std::out_of_range.
    void setListIndex(int i);
    int listCount() const { return int(items_.size()); }
    const QString& list(int i) const;
    void addItem(const QString& item);
    void addItems(const QStringList& items);
    void removeItem(int i);
    // Empties the list and the text; runs nothing.
    void clear();

    void setFont(const FontSpec& f);
    const FontSpec& font() const { return font_; }
    void setForeColor(OleColor c);
    void setBackColor(OleColor c);

    std::function<void()> onChange;
    KeyPressHandler onKeyPress;

private:
    friend class ComboKeys;
    // The entry equal to the text (the picked one first, then exact, then in any letter case), or -1.
    int entryMatchingText() const;
    // Makes the entry that matches the text Qt's current item, so a step or the list starts there.
    void startFromTheText();
    void showText();
    QString text_;
    QStringList items_;
    int listIndex_ = -1;
    FontSpec font_;
    OleColor fore_ = syscolor::kWindowText, back_ = syscolor::kWindowBackground;
};

}  // namespace ui
