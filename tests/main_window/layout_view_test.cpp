// "Блок" and "Открыть": the three states of the two buttons and the entry panel, and the saves and
// the placement that "Блок" runs, also when a file cannot be written.
#include <QDir>
#include <QFile>
#include <QImage>

#include "main_window/layout_fixture.h"

using velmox::Vazed;

namespace {

struct View {
    float panel;
    bool blok, open;
    friend bool operator==(const View&, const View&) = default;
    friend std::ostream& operator<<(std::ostream& os, const View& s) {
        return os << "panel " << s.panel << (s.blok ? ", Блок on" : ", Блок off")
                  << (s.open ? ", Открыть on" : ", Открыть off");
    }
};
View viewOf(const Vazed& v) {
    return {v.Frame1.height().value, v.Image15.enabled(), v.Image18.enabled()};
}
constexpr View kAtStart{8835, true, true};
constexpr View kLayoutView{1300, false, true};
constexpr View kAfterOpen{8830, true, false};

QStringList comboItems(const ui::ComboBox& c) {
    QStringList out;
    for (int i = 0; i < c.listCount(); ++i) out << c.list(i);
    return out;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

TEST_F(LayoutTest, TheTwoButtonsAlternateThroughTheThreeStatesAndADisabledOneTakesNoClick) {
    Vazed& v = startShown();
    EXPECT_EQ(viewOf(v), kAtStart);

    clickOn(v, v.Image18);  // "Открыть" first: the entry view looks the same, nothing is saved
    EXPECT_EQ(viewOf(v), kAfterOpen);
    EXPECT_FALSE(folder.exists("2.txt"));
    clickOn(v, v.Image18);
    EXPECT_EQ(viewOf(v), kAfterOpen);

    clickOn(v, v.Image15);
    EXPECT_EQ(viewOf(v), kLayoutView);
    EXPECT_EQ(lines("2.txt").size(), 47);
    QFile::remove(folder.file("2.txt"));
    clickOn(v, v.Image15);  // disabled: no second save
    EXPECT_EQ(viewOf(v), kLayoutView);
    EXPECT_FALSE(folder.exists("2.txt"));

    clickOn(v, v.Image18);
    EXPECT_EQ(viewOf(v), kAfterOpen);
    clickOn(v, v.Image15);
    EXPECT_EQ(viewOf(v), kLayoutView);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, OnlyTheLayoutViewLetsAClickReachAFieldLabel) {
    Vazed& v = startShown();
    clickOn(v, v.Label1);
    EXPECT_EQ(v.Text100.text(), "");
    EXPECT_EQ(v.Label1.foreColor(), ui::syscolor::kWindowText);
    clickOn(v, v.Image15);
    clickOn(v, v.Label1);
    EXPECT_EQ(v.Text100.text(), "1");
    EXPECT_EQ(v.Label1.foreColor(), 255u);
    // Back in the entry view the key and the mark stay, and no click reaches another label.
    clickOn(v, v.Image18);
    clickOn(v, v.Label2);
    EXPECT_EQ(v.Text100.text(), "1");
    EXPECT_EQ(v.Label1.foreColor(), 255u);
    EXPECT_EQ(v.VScroll1.value(), 3360);
    EXPECT_EQ(v.HScroll1.value(), 1800);
}

// The field labels lie above the notice band: a field moved up onto it, or standing across its
// lower edge, shows on the window's white with the band round it, and a click on it selects it.
TEST_F(LayoutTest, AFieldOverTheNoticeBandShowsOnWhiteAndTakesItsClick) {
    Vazed& v = startShown();
    v.Text2.setText(QStringLiteral("Иванов"));
    v.Text15.setText(QStringLiteral("Петров"));
    clickOn(v, v.Image15);
    clickOn(v, v.Label1);
    ASSERT_EQ(v.Text100.text(), "1");
    QTest::keyClick(qbar(v.VScroll1), Qt::Key_Home);  // the bar's lowest value, the band's top
    ASSERT_EQ(v.Label1.top().value, 1320);
    clickOn(v, v.Label24);
    ASSERT_EQ(v.Text100.text(), "24");
    v.VScroll1.setValue(1900);
    ASSERT_EQ(v.Label24.top().value, 1900);
    clickOn(v, v.Label5);  // neither of the two is red now

    QImage shot(v.window()->size(), QImage::Format_RGB32);
    v.window()->render(&shot);
    const QRect band = v.Label46.widget()->geometry();
    for (const ui::Label* l : {&v.Label1, &v.Label24}) {
        SCOPED_TRACE(l->name().toStdString());
        const QRect box = l->widget()->geometry();
        ASSERT_TRUE(band.intersects(box));
        int ink = 0;
        for (int y = box.top(); y <= std::min(box.bottom(), band.bottom()); ++y)
            for (int x = box.left(); x <= box.right(); ++x) ink += qGray(shot.pixel(x, y)) < 128;
        EXPECT_EQ(shot.pixel(box.topLeft() + QPoint(1, 1)), qRgb(255, 255, 255)) << "the window's white";
        EXPECT_GT(ink, 0) << "its text";
        EXPECT_LT(ink, box.width() * 4) << "its text, not the band";
        EXPECT_EQ(shot.pixel(box.left() - 2, box.top() + 2), qRgb(0, 0, 0)) << "the band round it";
    }
    // Real clicks over the band reach the field labels.
    for (const auto& [label, key] : {std::pair{&v.Label1, "1"}, std::pair{&v.Label24, "24"}}) {
        clickOn(v, *label);
        EXPECT_EQ(v.Text100.text(), QString::fromLatin1(key));
        EXPECT_EQ(label->foreColor(), 255u) << key;
    }
}

TEST_F(LayoutTest, BlokWritesTheLastValuesPlacesEveryLabelFromTheTableAndMergesTheLists) {
    folder.write("2.txt", crlf(lastValues()));
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\nЛицей\r\n")));
    Vazed& v = start();
    v.Combo2.setText(QStringLiteral("колледж"));
    v.Text2.setText(QStringLiteral("Иванов"));
    v.Label5.move(ui::Twips(10), ui::Twips(20));
    setCell(7, 'C', "5000");
    const float left7 = v.Label7.left().value;

    v.Image15_Click();

    EXPECT_EQ(lines("2.txt"), lastValues({{1, QStringLiteral("Иванов")}, {4, QStringLiteral("колледж")}}));
    const QStringList merged{QStringLiteral("Колледж"), QStringLiteral("Лицей")};
    EXPECT_EQ(lines("data\\1.txt"), merged);
    EXPECT_EQ(v.List1.items(), merged);
    EXPECT_EQ(comboItems(v.Combo2), merged);
    EXPECT_EQ(v.Combo2.text(), QStringLiteral("колледж"));
    EXPECT_EQ(v.Label4.caption(), QStringLiteral("колледж"));
    for (const velmox::PrintField& f : velmox::kPrintFields) {
        const ui::Label& l = v.*f.label;
        EXPECT_EQ(l.top().value,
                  workbook::toSingle(velmox::layoutSheet().cell(QStringLiteral("C%1").arg(f.row))))
            << f.key;
        EXPECT_EQ(l.left().value,
                  workbook::toSingle(velmox::layoutSheet().cell(QStringLiteral("E%1").arg(f.row))))
            << f.key;
    }
    EXPECT_EQ(v.Label7.top().value, 5000);
    EXPECT_EQ(v.Label7.left().value, left7);
    EXPECT_TRUE(services->messages.empty());

    // Every "Блок" saves again, also with nothing changed.
    folder.write("2.txt", "stale\r\n");
    v.Image18_Click();
    v.Image15_Click();
    EXPECT_EQ(lines("2.txt").size(), 47);
    EXPECT_EQ(lines("2.txt")[0], QStringLiteral("Иванов"));
}

TEST_F(LayoutTest, WithEveryEntryComboEmptyBlokWritesOnlyTheLastValues) {
    Vazed& v = start();
    const QStringList before = entries(folder.file("data"));
    v.Image15_Click();
    EXPECT_EQ(entries(folder.file("data")), before);
    EXPECT_EQ(lines("2.txt").size(), 47);
}

TEST_F(LayoutTest, AFileBlokCannotWriteIsReportedOnceAndEveryOtherStepStillRuns) {
    struct Case {
        const char* what;
        const char* inTheWay;  // a folder where the file belongs
        const char* named;     // what the message names
    };
    const Case cases[] = {
        {"last values", "2.txt", "2.txt"},
        {"saved value list 1", "data\\1.txt", "1.txt"},
        {"saved value list 21", "data\\21.txt", "21.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.write("2.txt", crlf(lastValues()));
        Vazed& v = start();
        services->messages.clear();
        v.Combo2.setText(QStringLiteral("Лицей"));
        v.Combo3.setText(QStringLiteral("второй"));
        v.Combo25.setText(QStringLiteral("последний"));
        v.Label1.move(ui::Twips(0), ui::Twips(0));
        QFile::remove(folder.file(QString::fromLatin1(c.inTheWay)));
        ASSERT_TRUE(QDir().mkpath(folder.file(QString::fromLatin1(c.inTheWay))));

        v.Image15_Click();

        EXPECT_EQ(viewOf(v), kLayoutView);
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(services->messages[0].all().contains(QString::fromLatin1(c.named)));
        EXPECT_EQ(v.Label1.top().value, 3360);  // placed between the two steps all the same
        EXPECT_EQ(lines("data\\2.txt"), QStringList{QStringLiteral("второй")});
        if (QLatin1String(c.inTheWay) != QLatin1String("2.txt")) {
            EXPECT_EQ(lines("2.txt").size(), 47);
        }
        if (QLatin1String(c.inTheWay) != QLatin1String("data\\1.txt")) {
            EXPECT_EQ(lines("data\\1.txt"), QStringList{QStringLiteral("Лицей")});
        }
        // The combo box keeps what the operator entered.
        EXPECT_EQ(v.Combo2.text(), QStringLiteral("Лицей"));
        EXPECT_EQ(v.Combo25.text(), QStringLiteral("последний"));

        ui::discardForm<Vazed>();
        QDir(folder.file(QString::fromLatin1(c.inTheWay))).removeRecursively();
        for (const char* list : {"data\\1.txt", "data\\2.txt", "data\\21.txt"})
            QFile::remove(folder.file(QString::fromLatin1(list)));
    }
}

TEST_F(LayoutTest, AReadOnlyListFileKeepsItsEntriesAndIsReportedWhileTheOtherListsMerge) {
    folder.write("data\\1.txt", cp1251(QStringLiteral("Колледж\r\n")));
    QFile::setPermissions(folder.file("data\\1.txt"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    Vazed& v = start();
    v.Combo2.setText(QStringLiteral("Лицей"));
    v.Combo3.setText(QStringLiteral("второй"));
    v.Image15_Click();
    EXPECT_EQ(viewOf(v), kLayoutView);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_TRUE(services->messages[0].all().contains(QStringLiteral("1.txt")));
    EXPECT_EQ(lines("data\\1.txt"), QStringList{QStringLiteral("Колледж")});
    EXPECT_EQ(v.List1.items(), QStringList{QStringLiteral("Колледж")});
    EXPECT_EQ(v.Combo2.text(), QStringLiteral("Лицей"));
    EXPECT_EQ(lines("data\\2.txt"), QStringList{QStringLiteral("второй")});
}

TEST_F(LayoutTest, BlokWithTheDataFolderGoneCreatesItAndSavesTheList) {
    Vazed& v = start();
    QDir(folder.file("data")).removeRecursively();
    v.Combo2.setText(QStringLiteral("Лицей"));
    v.Image15_Click();
    EXPECT_EQ(viewOf(v), kLayoutView);
    EXPECT_EQ(lines("data\\1.txt"), QStringList{QStringLiteral("Лицей")});
    EXPECT_EQ(v.List1.items(), QStringList{QStringLiteral("Лицей")});
    EXPECT_EQ(entries(folder.file("data")), QStringList{"1.txt"});
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, APositionCellThatIsNoNumberLeavesThatCoordinateOfThatLabelAtBlok) {
    Vazed& v = start();
    setCell(5, 'C', "abc");
    setCell(5, 'E', "700");
    setCell(6, 'E', "");
    v.Label5.move(ui::Twips(10), ui::Twips(20));
    v.Image15_Click();
    EXPECT_EQ(v.Label5.top().value, 20);
    EXPECT_EQ(v.Label5.left().value, 700);
    EXPECT_EQ(v.Label6.left().value, 0);  // an empty cell is 0
    EXPECT_EQ(v.Label7.top().value, 4440);
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(LayoutTest, ClosingInTheLayoutViewStartsTheNextRunInTheEntryView) {
    Vazed& v = start();
    v.Image15_Click();
    v.Label3.onClick();
    close();
    Vazed& again = start();
    EXPECT_EQ(viewOf(again), kAtStart);
    EXPECT_EQ(again.Text100.text(), "");
    EXPECT_EQ(again.VScroll1.value(), 1320);
    EXPECT_EQ(again.HScroll1.value(), 0);
}
