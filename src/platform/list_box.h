#pragma once
// A list of texts with one selected item. A change of the selection, by mouse, by key or by a
// write of ListIndex, runs Click; MouseDown, MouseMove and MouseUp come from anywhere over it,
// its items included, in twips from its top-left corner.
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/control.h"
#include "platform/font.h"

namespace ui {

class ListEntries;

class ListBox : public Control {
public:
    ListBox();
    ~ListBox() override;

    int listCount() const;
    const QString& list(int i) const;
    const QStringList& items() const;
    // A sorted list puts each added item in its alphabetical place (letter case aside), whatever
    // the order of adding; set it while building the window, before any item is added.
    bool sorted() const { return sorted_; }
    void setSorted(bool s) { sorted_ = s; }
    void addItem(const QString& item);
    void addItems(const QStringList& items);
    void removeItem(int i);
    void clear();
    int listIndex() const { return listIndex_; }
    // Runs Click when the selection really changes; -1 selects nothing.
    void setListIndex(int i);
    // The selected item's text, or "" with nothing selected.
    QString text() const;
    void setFont(const FontSpec& f);

    // The exact, case-insensitive search of the old list box, started after item `startAfter`
    // and wrapping round to the top (so item `startAfter` itself is looked at last); -1 if none.
    // Case folding covers Cyrillic and Kazakh letters.
    int findStringExact(const QString& text, int startAfter = 0) const;

    std::function<void()> onClick;

    void print(QPainter& p) const override;

private:
    friend class EntryView;
    // Gives the view the entries and the selection, when it is first shown or printed.
    void showEntries() const;
    // A move of the view's current row: the operator's pick, unless the list box made it.
    void viewMovedTo(int row);
    // Moves the view's current row to ListIndex without taking it for the operator's pick.
    void showListIndex() const;
    // The entries, and the view's model of them; gone before the view, which then shows none.
    std::unique_ptr<ListEntries> entries_;
    int listIndex_ = -1;
    bool sorted_ = false;
    // Set while code changes the entries or the selection: the view's own moves of its current
    // row are then no pick.
    mutable bool quiet_ = false;
};

}  // namespace ui
