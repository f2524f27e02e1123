// Properties of single controls: list search, label autosize, geometry in twips, silent writes,
// picture files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>

#include "operator.h"
#include "platform/controls.h"
#include "platform/font.h"

namespace {

TEST(ListBoxFind, ExactCaseInsensitiveSearchStartsAfterTheGivenItemAndWrapsToIt) {
    struct Case {
        const char* what;
        QStringList items;
        QString text;
        int startAfter;
        int found;
    };
    const Case cases[] = {
        {"item 0 is looked at last", {"alpha", "beta", "alpha"}, "alpha", 0, 2},
        {"wraps round to item 0", {"alpha", "beta", "gamma"}, "alpha", 0, 0},
        {"Latin case folded", {"x", "Beta"}, "bEtA", 0, 1},
        {"Cyrillic upper finds lower", {"x", "бета"}, "БЕТА", 0, 1},
        {"Cyrillic lower finds upper", {"x", "БЕТА"}, "бета", 0, 1},
        {"Kazakh upper finds lower", {"x", "қазақ"}, "ҚАЗАҚ", 0, 1},
        {"Kazakh lower finds upper", {"x", "ҚАЗАҚ"}, "қазақ", 0, 1},
        {"Ё and ё are one letter", {"x", "ёлка"}, "ЁЛКА", 0, 1},
        {"no match", {"alpha", "beta"}, "delta", 0, -1},
        {"a prefix is no match", {"alpha", "beta"}, "alp", 0, -1},
        {"a longer text is no match", {"alpha", "beta"}, "alphabet", 0, -1},
        {"blanks count", {"alpha", "beta "}, "beta", 0, -1},
        {"empty list", {}, "alpha", 0, -1},
        {"duplicates give the first after item 0", {"d", "x", "D", "d"}, "d", 0, 2},
        {"start after a later item", {"d", "x", "D", "d"}, "d", 2, 3},
        {"start after the last item begins at the top", {"d", "x", "D"}, "d", 2, 0},
        {"start -1 searches from the top", {"d", "x", "D"}, "D", -1, 0},
    };
    for (const Case& c : cases) {
        ui::ListBox list;
        for (const QString& item : c.items) list.addItem(item);
        EXPECT_EQ(list.findStringExact(c.text, c.startAfter), c.found) << c.what;
    }
}

TEST(ListBoxFind, DefaultStartIsAfterItemZero) {
    ui::ListBox list;
    for (const char* item : {"same", "other", "SAME"}) list.addItem(item);
    EXPECT_EQ(list.findStringExact("same"), 2);
}

class LabelAutoSize : public testing::Test {
protected:
    void SetUp() override {
        Label1.create(form, "Label1", {1800, 3360, 3000, 600});
        Label1.setFont({"Times New Roman", 12});
        Label1.onChange = [this] { ++changes; };
        Label1.setAutoSize(true);
    }
    ScriptedScope services;
    ui::Form form{"Labels"};
    ui::Label Label1;
    int changes = 0;
};

TEST_F(LabelAutoSize, EmptyCaptionHasAlmostNoWidthAndTextGrowsItToTheRight) {
    EXPECT_LE(Label1.width().value, 2 * ui::kTwipsPerPixel);
    EXPECT_LE(Label1.widget()->width(), 2);

    float previous = Label1.width().value;
    for (const char* caption : {"I", "Ivanov", "Ivanov Ivan Ivanovich"}) {
        Label1.setCaption(caption);
        const float advance = float(QFontMetricsF(ui::toTwipsFont(Label1.font())).horizontalAdvance(caption));
        EXPECT_GT(Label1.width().value, previous) << caption;
        EXPECT_GE(Label1.width().value, advance) << caption << ": the whole text fits";
        EXPECT_LE(Label1.width().value, advance + 3 * ui::kTwipsPerPixel) << caption << ": and little more";
        EXPECT_EQ(Label1.left().value, 1800) << caption;
        EXPECT_EQ(Label1.top().value, 3360) << caption;
        EXPECT_EQ(Label1.widget()->x(), 120) << caption;
        EXPECT_EQ(Label1.widget()->width(), Label1.width().toPixels()) << caption;
        previous = Label1.width().value;
    }
    Label1.setCaption("");
    EXPECT_LE(Label1.width().value, 2 * ui::kTwipsPerPixel);
}

TEST_F(LabelAutoSize, FontChangesResizeTheLabelAndRunNoChange) {
    Label1.setCaption("Диплом");
    changes = 0;
    const float width = Label1.width().value, height = Label1.height().value;
    Label1.setFontSize(24);
    EXPECT_GT(Label1.width().value, 1.8f * width);
    EXPECT_GT(Label1.height().value, 1.8f * height);
    const float large = Label1.width().value;
    Label1.setFontBold(true);
    EXPECT_GT(Label1.width().value, large);
    Label1.setFont({"Times New Roman", 12});
    EXPECT_EQ(Label1.width().value, width);
    EXPECT_EQ(Label1.height().value, height);
    EXPECT_EQ(Label1.left().value, 1800);
    EXPECT_EQ(changes, 0);
}

// Labels stack in the order they were made. A clear label's container shows through it, so an
// opaque label below it leaves its box open; one below the opaque label is covered, and a hidden
// one leaves nothing open.
TEST(LabelStacking, AnOpaqueLabelLeavesTheClearLabelsAboveItOpenAndCoversThoseBelow) {
    ui::Form form("Stacking");
    form.setClientSize(ui::Twips(3000), ui::Twips(1500));
    form.setBackColor(0x00FFFFFF);
    ui::Label Below, Band, Above, Hidden;
    Below.create(form, "Below", {150, 300, 600, 450});
    Band.create(form, "Band", {0, 300, 3000, 900});
    Band.setBackStyle(1);
    Band.setBackColor(0x00000000);
    Above.create(form, "Above", {1200, 150, 600, 450});  // across the band's top edge
    Hidden.create(form, "Hidden", {2100, 600, 600, 300});
    Hidden.setVisible(false);
    QImage shot(form.window()->size(), QImage::Format_RGB32);
    form.window()->render(&shot);
    const auto at = [&](float x, float y) { return shot.pixel(int(x / 15), int(y / 15)); };
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    EXPECT_EQ(at(1500, 450), white) << "the clear label above, over the band";
    EXPECT_EQ(at(1500, 225), white) << "the clear label above, over the bare window";
    EXPECT_EQ(at(1150, 450), black) << "the band beside it";
    EXPECT_EQ(at(450, 600), black) << "the clear label below is covered";
    EXPECT_EQ(at(2400, 750), black) << "a hidden label leaves nothing open";
}

TEST(ControlGeometry, KeepsTwipsAsWrittenAndShowsThemAt15PerPixel) {
    struct Case {
        float twips;
        int pixels;
    };
    const Case cases[] = {{0, 0}, {1800, 120}, {3360, 224}, {1234.5f, 82}, {7.4f, 0}, {7.5f, 1}, {22.5f, 2}};
    ui::Form form("Geometry");
    ui::TextBox text;
    text.create(form, "Text1", {0, 0, 1500, 300});
    for (const Case& c : cases) {
        text.setTop(ui::Twips(c.twips));
        text.setLeft(ui::Twips(c.twips));
        EXPECT_EQ(text.top().value, c.twips);
        EXPECT_EQ(text.left().value, c.twips);
        EXPECT_EQ(text.widget()->y(), c.pixels) << c.twips;
        EXPECT_EQ(text.widget()->x(), c.pixels) << c.twips;
    }
}

TEST(ControlGeometry, SizeFollowsTheRoundedEdgesSoNeighboursNeverOverlap) {
    ui::Form form("Geometry");
    ui::Label a, b;
    a.create(form, "A", {0, 0, 1007, 300});
    b.create(form, "B", {1007, 0, 1007, 300});
    EXPECT_EQ(a.widget()->geometry().right() + 1, b.widget()->x());
}

// Only Text, Caption, Value and ListIndex run handlers; every other property write is silent.
TEST(SilentWrites, AppearanceAndPlaceWritesRunNoHandler) {
    ScriptedScope services;
    ui::Form form("Silent");
    ui::Label label;
    ui::TextBox text;
    ui::ComboBox combo;
    label.create(form, "Label1", {0, 0, 1500, 300});
    text.create(form, "Text1", {0, 600, 1500, 300});
    combo.create(form, "Combo1", {0, 1200, 1500, 300});
    int runs = 0;
    label.onChange = text.onChange = combo.onChange = combo.onClick = [&] { ++runs; };
    label.onClick = [&] { ++runs; };
    const std::function<void()> writes[] = {
        [&] {
            label.setFont({"Tahoma", 10, true});
        },
        [&] { label.setForeColor(0xFF); },
        [&] { label.setBackColor(0xFF00); },
        [&] { label.setBackStyle(1); },
        [&] { label.setBorderStyle(1); },
        [&] { label.setAlignment(ui::Alignment::Center); },
        [&] { label.setAutoSize(true); },
        [&] { label.move(ui::Twips(300), ui::Twips(300)); },
        [&] { label.setWidth(ui::Twips(2000)); },
        [&] { label.setVisible(false); },
        [&] { label.setEnabled(false); },
        [&] { label.setToolTipText("tip"); },
        [&] {
            text.setFont({"Tahoma", 10});
        },
        [&] { text.setForeColor(0xFF); },
        [&] { text.setLocked(true); },
        [&] { combo.addItem("item"); },
        [&] { combo.setBackColor(0xFF); },
        [&] { combo.removeItem(0); },
    };
    for (const auto& write : writes) write();
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(services->messages.empty());
}

TEST(SilentWrites, RemovingThePickedItemUnpicksItWithoutClick) {
    ui::Form form("Silent");
    ui::ComboBox combo;
    combo.create(form, "Combo1", {0, 0, 1500, 300});
    for (const char* item : {"a", "b", "c"}) combo.addItem(item);
    combo.setListIndex(1);
    int clicks = 0;
    combo.onClick = [&] { ++clicks; };
    combo.removeItem(0);
    EXPECT_EQ(combo.listIndex(), 0);
    EXPECT_EQ(combo.list(combo.listIndex()), "b");
    combo.removeItem(0);
    EXPECT_EQ(combo.listIndex(), -1);
    EXPECT_EQ(clicks, 0);
}

QByteArray pictureBytes(QColor colour, const char* format) {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(colour);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.save(&out, format);
    return out.data();
}

// A window's pictures are read together, side by side: each comes out as it would alone, in its place.
TEST(PictureFiles, ReadTogetherEachComesOutAsItWouldAloneInItsPlace) {
    QTemporaryDir dir;
    const QByteArray red = pictureBytes(Qt::red, "JPG");
    // clang-format off
    const std::pair<const char*, QByteArray> files[] = {
        {"red.jpg",      red},
        {"missing.jpg",  {}},
        {"cut.jpg",      red.left(red.size() / 2)},
        {"text.jpg",     "no picture\r\n"},
        {"blue.png",     pictureBytes(Qt::blue, "PNG")},
        {"empty.jpg",    ""},
        {"green.jpg",    pictureBytes(Qt::green, "JPG")},
        {"pipe.jpg",     {}},  // a named pipe would block its opening for ever
    };
    // clang-format on
    QStringList paths;
    for (const auto& [name, bytes] : files) {
        paths << dir.filePath(QString::fromLatin1(name));
        if (QByteArrayView(name) == "missing.jpg") continue;
        if (QByteArrayView(name) == "pipe.jpg") {
            ASSERT_EQ(::mkfifo(QFile::encodeName(paths.back()).constData(), 0644), 0);
            continue;
        }
        QFile f(paths.back());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    for (int round = 0; round < 20; ++round) {  // the order must not depend on which thread ends first
        const std::vector<std::optional<QPixmap>> together = ui::readPictures(paths);
        ASSERT_EQ(together.size(), std::size(files));
        for (qsizetype i = 0; i < paths.size(); ++i) {
            SCOPED_TRACE(paths[i].toStdString());
            const std::optional<QPixmap> alone = ui::readPicture(paths[i]);
            ASSERT_EQ(together[size_t(i)].has_value(), alone.has_value());
            if (alone) {
                EXPECT_EQ(together[size_t(i)]->toImage(), alone->toImage());
            }
        }
    }
    const auto colourOf = [](const std::optional<QPixmap>& p) { return p->toImage().pixelColor(12, 8); };
    const std::vector<std::optional<QPixmap>> read = ui::readPictures(paths);
    EXPECT_GT(colourOf(read[0]).red(), 200);
    EXPECT_EQ(colourOf(read[4]), QColor(Qt::blue));
    EXPECT_GT(colourOf(read[6]).green(), 200);
    for (int bad : {1, 2, 3, 5, 7}) EXPECT_FALSE(read[size_t(bad)].has_value()) << bad;
    EXPECT_TRUE(ui::readPictures({}).empty());
}

// Pictures fetched ahead serve the next read of exactly those files, once; anything else is read afresh.
TEST(PictureFiles, FetchedAheadTheyServeOneReadOfTheSameFilesOnly) {
    QTemporaryDir dir;
    const QStringList paths{dir.filePath("a.jpg"), dir.filePath("b.jpg")};
    const auto write = [&](QColor colour) {
        for (const QString& path : paths) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(pictureBytes(colour, "JPG"));
        }
    };
    const auto redOf = [](const std::vector<std::optional<QPixmap>>& read, size_t i) {
        return read.at(i).value().toImage().pixelColor(12, 8).red();
    };
    write(Qt::red);
    ui::prefetchPictures(paths);
    const std::vector<std::optional<QPixmap>> ahead = ui::readPictures(paths);
    EXPECT_GT(redOf(ahead, 0), 200);
    EXPECT_GT(redOf(ahead, 1), 200);
    // Served once: the next read sees the files as they are now.
    ui::prefetchPictures(paths);
    const std::vector<std::optional<QPixmap>> first = ui::readPictures(paths);
    write(Qt::blue);
    EXPECT_LT(redOf(ui::readPictures(paths), 0), 60);
    EXPECT_GT(redOf(first, 0), 200);
    // Other files, or the same in another order, are read afresh; the fetch ahead is then gone.
    write(Qt::red);
    ui::prefetchPictures(paths);
    write(Qt::blue);
    const std::vector<std::optional<QPixmap>> other = ui::readPictures({paths[1], paths[0]});
    EXPECT_LT(redOf(other, 0), 60);
    EXPECT_LT(redOf(ui::readPictures(paths), 0), 60);
    // Dropped, it serves nothing.
    write(Qt::red);
    ui::prefetchPictures(paths);
    ui::discardPrefetchedPictures();
    write(Qt::blue);
    EXPECT_LT(redOf(ui::readPictures(paths), 1), 60);
}

}  // namespace
