#include "platform/list_box.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <algorithm>
#include <stdexcept>

#include "platform/dispatch.h"

namespace ui {

namespace {
QListWidget* view(QWidget* w) {
    return static_cast<QListWidget*>(w);
}
}  // namespace

ListBox::ListBox() : Control(new QListWidget) {
    QListWidget* v = view(widget());
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    // The old list box: its default font, and no horizontal scroll bar under long entries.
    v->setFont(toScreenFont(FontSpec{}));
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The items lie on the view's viewport: moves and presses over them are the list's own.
    watch(v->viewport());
    QObject::connect(v, &QListWidget::currentRowChanged, v, [this](int row) {
        if (row == listIndex_) return;
        listIndex_ = row;
        dispatchEvent([this] { fire(onClick); });
    });
}

const QString& ListBox::list(int i) const {
    if (i < 0 || i >= int(items_.size())) throw std::out_of_range("list index outside the list");
    return items_[i];
}

void ListBox::addItem(const QString& item) {
    qsizetype at = items_.size();
    if (sorted_) {
        const auto before = [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        };
        at = std::upper_bound(items_.cbegin(), items_.cend(), item, before) - items_.cbegin();
        // The selection follows its item.
        if (listIndex_ >= at) ++listIndex_;
    }
    items_.insert(at, item);
    const QSignalBlocker block(widget());
    view(widget())->insertItem(int(at), item);
}

void ListBox::addItems(const QStringList& items) {
    if (sorted_) {
        for (const QString& item : items) addItem(item);
        return;
    }
    items_ << items;
    const QSignalBlocker block(widget());
    view(widget())->addItems(items);
}

void ListBox::removeItem(int i) {
    if (i < 0 || i >= int(items_.size())) throw std::out_of_range("list index outside the list");
    items_.removeAt(i);
    listIndex_ = selectionAfterRemoval(listIndex_, i);
    const QSignalBlocker block(widget());
    delete view(widget())->takeItem(i);
    view(widget())->setCurrentRow(listIndex_);
}

void ListBox::clear() {
    items_.clear();
    listIndex_ = -1;
    const QSignalBlocker block(widget());
    view(widget())->clear();
}

void ListBox::setListIndex(int i) {
    if (i < -1 || i >= int(items_.size())) throw std::out_of_range("ListIndex outside the list");
    if (i == listIndex_) return;
    listIndex_ = i;
    {
        const QSignalBlocker block(widget());
        view(widget())->setCurrentRow(i);
    }
    fire(onClick);
}

QString ListBox::text() const {
    return listIndex_ >= 0 ? items_[listIndex_] : QString();
}

void ListBox::setFont(const FontSpec& f) {
    widget()->setFont(toScreenFont(f));
}

int ListBox::findStringExact(const QString& text, int startAfter) const {
    const int n = int(items_.size());
    if (n == 0) return -1;
    const int first = (startAfter < 0 || startAfter >= n) ? 0 : startAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (items_[i].compare(text, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

}  // namespace ui
