#include "platform/list_box.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QListView>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>
#include <stdexcept>

#include "platform/dispatch.h"
#include "platform/shown_entry.h"

namespace ui {

namespace {
// Every entry takes one row, as in the old list box: a line feed inside an entry does not make its
// row taller, the rest of the entry is cut off behind it. Rows of one height let the view place
// thousands of entries without measuring each.
class OneLineRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        if (const qsizetype lineFeed = row.text.indexOf(u'\n'); lineFeed >= 0) row.text.truncate(lineFeed);
        const QStyle* style = row.widget ? row.widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), row.widget);
    }
};
}  // namespace

// The list's entries as plain strings, and the view's model of them: no item object per entry, so
// a list of thousands costs a pointer an entry and a whole list comes in at once.
class ListEntries : public QAbstractListModel {
public:
    const QStringList& strings() const { return strings_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(strings_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= strings_.size()) return {};
        if (role == Qt::DisplayRole) return shownEntry(strings_[index.row()]);
        if (role == Qt::EditRole) return strings_[index.row()];
        return {};
    }
    // The flags of the old list's items: picked, not edited in place.
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled |
               Qt::ItemNeverHasChildren;
    }

    void insert(qsizetype at, const QString& s) {
        beginInsertRows({}, int(at), int(at));
        strings_.insert(at, s);
        endInsertRows();
    }
    void append(const QStringList& more) {
        if (more.isEmpty()) return;
        const int first = int(strings_.size());
        beginInsertRows({}, first, first + int(more.size()) - 1);
        if (strings_.isEmpty())
            strings_ = more;  // shared, not copied
        else
            strings_ << more;
        endInsertRows();
    }
    void remove(int i) {
        beginRemoveRows({}, i, i);
        strings_.removeAt(i);
        endRemoveRows();
    }
    void clear() {
        beginResetModel();
        strings_.clear();
        endResetModel();
    }

private:
    QStringList strings_;
};

// The view takes the entries when it is first shown or printed: a list box that stays hidden (the
// main window holds a row of them) never pays for the model's wiring and selection. It tells the
// list box of every move of its current row; those the list box did not make itself are picks.
class EntryView : public QListView {
public:
    explicit EntryView(ListBox* list) : list_(list) {}
    void forget() { list_ = nullptr; }

protected:
    void showEvent(QShowEvent* event) override {
        if (list_) list_->showEntries();
        QListView::showEvent(event);
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        QListView::currentChanged(current, previous);
        if (list_) list_->viewMovedTo(current.row());
    }

private:
    ListBox* list_;
};

namespace {
EntryView* view(QWidget* w) {
    return static_cast<EntryView*>(w);
}
}  // namespace

ListBox::ListBox() : Control(new EntryView(this)), entries_(std::make_unique<ListEntries>()) {
    QListView* v = view(widget());
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setItemDelegate(new OneLineRows(v));
    v->setUniformItemSizes(true);
    // The old list box: its default font, and no horizontal scroll bar under long entries.
    v->setFont(toScreenFont(FontSpec{}));
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The items lie on the view's viewport: moves and presses over them are the list's own.
    watch(v->viewport());
}

ListBox::~ListBox() {
    // The view outlives the entries for a moment: nothing it does then reaches the list box.
    if (EntryView* v = view(widget())) v->forget();
}

void ListBox::showEntries() const {
    QListView* v = view(widget());
    if (!v || v->model() == entries_.get()) return;
    {
        // The view reports its new, empty current row: no pick either.
        const QScopedValueRollback quiet(quiet_, true);
        v->setModel(entries_.get());
    }
    showListIndex();
}

void ListBox::viewMovedTo(int row) {
    if (quiet_ || row == listIndex_) return;
    listIndex_ = row;
    dispatchEvent([this] { fire(onClick); });
}

void ListBox::print(QPainter& p) const {
    showEntries();
    Control::print(p);
}

int ListBox::listCount() const {
    return int(entries_->strings().size());
}

const QStringList& ListBox::items() const {
    return entries_->strings();
}

const QString& ListBox::list(int i) const {
    if (i < 0 || i >= listCount()) throw std::out_of_range("list index outside the list");
    return items()[i];
}

void ListBox::addItem(const QString& item) {
    const QStringList& items = entries_->strings();
    qsizetype at = items.size();
    if (sorted_) {
        const auto before = [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        };
        at = std::upper_bound(items.cbegin(), items.cend(), item, before) - items.cbegin();
        // The selection follows its item.
        if (listIndex_ >= at) ++listIndex_;
    }
    const QScopedValueRollback quiet(quiet_, true);
    entries_->insert(at, item);
}

void ListBox::addItems(const QStringList& items) {
    if (sorted_) {
        for (const QString& item : items) addItem(item);
        return;
    }
    const QScopedValueRollback quiet(quiet_, true);
    entries_->append(items);
}

void ListBox::removeItem(int i) {
    if (i < 0 || i >= listCount()) throw std::out_of_range("list index outside the list");
    listIndex_ = selectionAfterRemoval(listIndex_, i);
    const QScopedValueRollback quiet(quiet_, true);
    // The view moves its current row off a removed one by itself: it goes back to ListIndex.
    entries_->remove(i);
    showListIndex();
}

void ListBox::clear() {
    listIndex_ = -1;
    const QScopedValueRollback quiet(quiet_, true);
    entries_->clear();
}

void ListBox::showListIndex() const {
    QItemSelectionModel* selection = widget() ? view(widget())->selectionModel() : nullptr;
    if (!selection) return;  // the view shows the entries from its first showing on
    const QScopedValueRollback quiet(quiet_, true);
    selection->setCurrentIndex(entries_->index(listIndex_), QItemSelectionModel::ClearAndSelect);
}

void ListBox::setListIndex(int i) {
    if (i < -1 || i >= listCount()) throw std::out_of_range("ListIndex outside the list");
    if (i == listIndex_) return;
    listIndex_ = i;
    showListIndex();
    fire(onClick);
}

QString ListBox::text() const {
    return listIndex_ >= 0 ? items()[listIndex_] : QString();
}

void ListBox::setFont(const FontSpec& f) {
    widget()->setFont(toScreenFont(f));
}

int ListBox::findStringExact(const QString& text, int startAfter) const {
    const QStringList& items = entries_->strings();
    const int n = int(items.size());
    if (n == 0) return -1;
    const int first = (startAfter < 0 || startAfter >= n) ? 0 : startAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (items[i].compare(text, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

}  // namespace ui
