#include "value_lists/edit_fixture.h"

#include <QListView>

#include "value_lists/edit_tables.h"

void EditTest::TearDown() {
    ui::discardForm<velmox::Edit>();
    StudentBaseTest::TearDown();
}

void EditTest::writeList(int n, const QStringList& entries) const {
    folder.write(QStringLiteral("data\\%1.txt").arg(n), crlf(entries));
}

velmox::Edit& EditTest::openEditor(velmox::Vazed& v) {
    expose(v);
    click(v, v.Image24);
    return ui::form<velmox::Edit>();
}

void EditTest::clickEntry(ui::Form& form, ui::ListBox& list, int i) {
    auto* view = static_cast<QListView*>(list.widget());
    const QModelIndex entry = view->model()->index(i, 0);
    view->scrollTo(entry);
    const QPoint at = view->visualRect(entry).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    settle();
}

ui::ListBox& listOf(velmox::Edit& e, int n) {
    return e.*velmox::value_lists::valueList(n).list;
}

ui::PictureBox& buttonOf(velmox::Edit& e, int n) {
    return e.*velmox::value_lists::valueList(n).button;
}
