#include "settings_fixture.h"

#include <QListView>

#include "common/skins.h"

QString skinName(int row) {
    return QString::fromUtf16(skin::kSkins[row].name);
}

void SettingsTest::SetUp() {
    StudentBaseTest::SetUp();
    writeBase({kKasymov, kOmirbekova});
    folder.write("data\\pw.txt", "12000\r\n");
    folder.write("data\\ph.txt", "6000\r\n");
    const QString main = skinName(0);
    writeSettings("Rus", &main, "1");
    // Every picture any window loads: the toolbar's, the student base's, the print dialog's and
    // the settings window's.
    writeSkinPictures({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                       17, 18, 19, 20, 21, 22, 23, 24, 27, 28, 29, 30, 39, 40});
}

void SettingsTest::writeSettings(const char* lang, const QString* skin, const char* line) const {
    auto put = [this](const char* name, const QByteArray* bytes) {
        QFile::remove(folder.file(QString::fromLatin1(name)));
        if (bytes) folder.write(QString::fromLatin1(name), *bytes);
    };
    const QByteArray langBytes = QByteArray(lang ? lang : "") + "\r\n";
    const QByteArray skinBytes = skin ? cp1251(*skin) + "\r\n" : QByteArray();
    const QByteArray lineBytes = QByteArray(line ? line : "") + "\r\n";
    put("data\\lang.txt", lang ? &langBytes : nullptr);
    put("data\\Skin.txt", skin ? &skinBytes : nullptr);
    put("data\\Line.txt", line ? &lineBytes : nullptr);
}

velmox::Nastroiki& SettingsTest::openSettings() {
    velmox::Vazed& v = start();
    v.Image10_Click();
    return ui::form<velmox::Nastroiki>();
}

velmox::Nastroiki& SettingsTest::openSettingsShown() {
    velmox::Nastroiki& s = openSettings();
    expose(s);
    return s;
}

void SettingsTest::closeByOperator(ui::Form& form) {
    form.window()->close();
    settle();
}

namespace {
// A click at a point of a widget, routed by the window system from the widget's window.
void clickAt(QWidget* w, const QPoint& at) {
    QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, w->mapTo(w->window(), at));
}
}  // namespace

void SettingsTest::clickSkin(velmox::Nastroiki& s, const QString& name) {
    auto* list = static_cast<QListView*>(s.List1.widget());
    const QAbstractItemModel* shown = list->model();
    const QModelIndexList found = shown->match(shown->index(0, 0), Qt::DisplayRole, name, -1,
                                               Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->scrollTo(found.first());
    clickAt(list->viewport(), list->visualRect(found.first()).center());
    settle();
}

void SettingsTest::clickCheck(velmox::Nastroiki&, const ui::CheckBox& box) {
    QWidget* w = box.widget();
    // On the box itself, at the left of the caption.
    clickAt(w, QPoint(8, w->height() / 2));
    settle();
}
