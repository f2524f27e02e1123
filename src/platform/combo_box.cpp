#include "platform/combo_box.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QSignalBlocker>
#include <QStringListModel>
#include <stdexcept>

#include "platform/dispatch.h"
#include "platform/shown_entry.h"

namespace ui {

namespace {
QComboBox* box(QWidget* w) {
    return static_cast<QComboBox*>(w);
}

// The box's entries are plain strings: a string list holds thousands of them without an item
// object per entry, and takes a whole list at once. The drop-down list shows each as a list does.
class ShownEntries : public QStringListModel {
public:
    using QStringListModel::QStringListModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return QStringListModel::data(index, role);
        return shownEntry(QStringListModel::data(index, Qt::EditRole).toString());
    }
};

QStringListModel* entries(QWidget* w) {
    return static_cast<QStringListModel*>(box(w)->model());
}

QCompleter* standInCompleter() {
    static QPointer<QCompleter> completer;
    if (!completer) completer = new QCompleter(QCoreApplication::instance());
    return completer;
}

bool stepsThroughTheList(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_F4:
            return true;
        default:
            return false;
    }
}
}  // namespace

// The keys and presses that Qt would take from its own idea of the current item: they start from
// the entry that matches the text instead, and Enter, which would pick a matching entry, picks none.
class ComboKeys : public QObject {
public:
    ComboKeys(ComboBox* c, QObject* watched) : QObject(watched), combo_(c) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) {
            combo_->startFromTheText();
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
        if (stepsThroughTheList(key)) combo_->startFromTheText();
        return false;
    }

private:
    ComboBox* combo_;
};

// Most boxes never drop down, and Qt builds a box's drop-down list (a window with a view, a model
// connection and a delegate) the first time the box's font or colours change. This box leaves the
// list unbuilt until it first drops down; built then, it takes the box's font and colours as they are.
class LazyListComboBox : public QComboBox {
public:
    // Rows of one height: the list is placed without measuring each of its entries.
    void showPopup() override {
        if (auto* list = qobject_cast<QListView*>(view())) list->setUniformItemSizes(true);
        QComboBox::showPopup();
    }

protected:
    void changeEvent(QEvent* e) override {
        const bool reachesTheList = e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange;
        if (reachesTheList && !findChild<QAbstractItemView*>())
            QWidget::changeEvent(e);
        else
            QComboBox::changeEvent(e);
    }
};

ComboBox::ComboBox() : Control(new LazyListComboBox) {
    QComboBox* b = box(widget());
    b->setModel(new ShownEntries(b));
    // Handing the box its edit field makes it editable without building the drop-down list, which
    // most boxes never open; it is built on the first drop-down, as setEditable would have built it.
    // Qt also gives the field a completer of its own unless it has one; these boxes complete nothing,
    // so one idle completer stands in while the field is handed over and is taken away after.
    auto* edit = new QLineEdit(b);
    edit->setCompleter(standInCompleter());
    b->setLineEdit(edit);
    b->setInsertPolicy(QComboBox::NoInsert);
    b->setCompleter(nullptr);
    b->setDuplicatesEnabled(true);
    b->setMaxVisibleItems(16);
    b->setFont(toScreenFont(font_));
    b->lineEdit()->setMaxLength(32767 * 32);
    watch(b->lineEdit());
    QObject::connect(b->lineEdit(), &QLineEdit::textEdited, b, [this](const QString& t) {
        listIndex_ = -1;
        if (t == text_) return;
        text_ = t;
        dispatchEvent([this] { fire(onChange); });
    });
    // A pick by mouse or by the arrow keys: the text follows the item, and Click runs.
    QObject::connect(b, &QComboBox::activated, b, [this](int index) {
        if (index < 0 || index >= int(items_.size())) return;
        listIndex_ = index;
        text_ = items_[index];
        showText();
        dispatchEvent([this] { fire(onClick); });
    });
    // Keys reach the box, which hands most of them straight to its edit field; a test may send them to
    // the field itself. Both are watched, KeyPress first, so each key is seen once on either road.
    for (QWidget* w : {static_cast<QWidget*>(b), static_cast<QWidget*>(b->lineEdit())}) {
        w->installEventFilter(new ComboKeys(this, w));
        watchKeyPress(w, b->lineEdit(), &onKeyPress);
    }
}

int ComboBox::entryMatchingText() const {
    if (listIndex_ >= 0 && items_[listIndex_] == text_) return listIndex_;
    const int exact = int(items_.indexOf(text_));
    if (exact >= 0) return exact;
    for (int i = 0; i < int(items_.size()); ++i)
        if (items_[i].compare(text_, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void ComboBox::startFromTheText() {
    QComboBox* b = box(widget());
    const int i = entryMatchingText();
    if (b->currentIndex() == i) return;
    const QSignalBlocker block(b);
    const QSignalBlocker blockEdit(b->lineEdit());
    const int cursor = b->lineEdit()->cursorPosition();
    b->setCurrentIndex(i);
    b->setEditText(text_);
    b->lineEdit()->setCursorPosition(cursor);
}

void ComboBox::showText() {
    QComboBox* b = box(widget());
    const QSignalBlocker block(b);
    const QSignalBlocker blockEdit(b->lineEdit());
    if (b->currentIndex() != listIndex_) b->setCurrentIndex(listIndex_);
    b->setEditText(text_);
    b->lineEdit()->setCursorPosition(0);
}

void ComboBox::setText(const QString& t) {
    if (t == text_) return;
    text_ = t;
    listIndex_ = -1;
    showText();
    fire(onChange);
}

void ComboBox::setDesignText(const QString& t) {
    text_ = t;
    showText();
}

void ComboBox::setListIndex(int i) {
    if (i < -1 || i >= int(items_.size())) throw std::out_of_range("ListIndex outside the list");
    if (i == listIndex_) return;
    listIndex_ = i;
    if (i >= 0) text_ = items_[i];
    showText();
    fire(onClick);
}

const QString& ComboBox::list(int i) const {
    if (i < 0 || i >= int(items_.size())) throw std::out_of_range("list index outside the list");
    return items_[i];
}

void ComboBox::addItem(const QString& item) {
    items_ << item;
    QComboBox* b = box(widget());
    const QSignalBlocker block(b);
    b->addItem(item);
    showText();
}

void ComboBox::addItems(const QStringList& items) {
    items_ << items;
    QComboBox* b = box(widget());
    const QSignalBlocker block(b);
    entries(widget())->setStringList(items_);
    showText();
}

void ComboBox::removeItem(int i) {
    if (i < 0 || i >= int(items_.size())) throw std::out_of_range("list index outside the list");
    items_.removeAt(i);
    listIndex_ = selectionAfterRemoval(listIndex_, i);
    QComboBox* b = box(widget());
    const QSignalBlocker block(b);
    b->removeItem(i);
    showText();
}

void ComboBox::clear() {
    items_.clear();
    text_.clear();
    listIndex_ = -1;
    QComboBox* b = box(widget());
    const QSignalBlocker block(b);
    b->clear();
    showText();
}

void ComboBox::setFont(const FontSpec& f) {
    font_ = f;
    widget()->setFont(toScreenFont(f));
}

void ComboBox::setForeColor(OleColor c) {
    fore_ = c;
    QPalette pal = widget()->palette();
    pal.setColor(QPalette::Text, toQColor(c));
    widget()->setPalette(pal);
}

void ComboBox::setBackColor(OleColor c) {
    back_ = c;
    QPalette pal = widget()->palette();
    pal.setColor(QPalette::Base, toQColor(c));
    widget()->setPalette(pal);
}

}  // namespace ui
