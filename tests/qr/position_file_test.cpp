// The position file: what the start makes of each file, and what the close writes back.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFileInfo>
#include <optional>

#include "platform/error.h"
#include "platform/file_waits.h"
#include "qr/position_file.h"
#include "qr_fixture.h"
#include "support/held_file.h"

namespace {

struct Case {
    const char* what;
    std::optional<QByteArray> file;  // nullopt: no file at all
    QStringList boxes;               // Text2 … Text5 after the start
    std::array<float, 4> place;      // Top, Left, Height, Width of the picture
    std::array<int, 3> bars;         // ScrollBar1, ScrollBar2, ScrollBar3
    QByteArray written;              // the file after a close without any movement
    const char* reported = nullptr;  // what the one "Ошибка" box of the start says is wrong
};

// clang-format off
const Case kCases[] = {
    {"the design place", QByteArray("2760\r\n4440\r\n1575\r\n1575\r\n"),
     {"2760", "4440", "1575", "1575"}, {2760, 4440, 1575, 1575}, {2760, 4440, 1575}, "2760\r\n4440\r\n1575\r\n1575\r\n"},
    {"a height of 1000 lets the width count", QByteArray("100\r\n200\r\n1000\r\n2000\r\n"),
     {"100", "200", "1000", "2000"}, {100, 200, 1000, 2000}, {100, 200, 1000}, "100\r\n200\r\n1000\r\n2000\r\n"},
    {"any other height makes the picture square", QByteArray("100\r\n200\r\n1500\r\n2000\r\n"),
     {"100", "200", "1500", "1500"}, {100, 200, 1500, 1500}, {100, 200, 1500}, "100\r\n200\r\n1500\r\n1500\r\n"},
    {"a Top and Left of 0 keep their text", QByteArray("0.4\r\n0\r\n1575\r\n1575\r\n"),
     {"0.4", "0", "1575", "1575"}, {0.4f, 0, 1575, 1575}, {0, 0, 1575}, "0.4\r\n0\r\n1575\r\n1575\r\n"},
    {"fractions end as the bars' integers, halves to even", QByteArray("2760.5\r\n4441.5\r\n1575.4\r\n1\r\n"),
     {"2760", "4442", "1575", "1575"}, {2760, 4442, 1575, 1575}, {2760, 4442, 1575}, "2760\r\n4442\r\n1575\r\n1575\r\n"},
    {"lines after the fourth are never read", QByteArray("10\r\n20\r\n1100\r\n1100\r\nrest\r\n"),
     {"10", "20", "1100", "1100"}, {10, 20, 1100, 1100}, {10, 20, 1100}, "10\r\n20\r\n1100\r\n1100\r\n"},
    {"lines ended by a lone CR, the last one unended", QByteArray("30\r40\r1200\r1200"),
     {"30", "40", "1200", "1200"}, {30, 40, 1200, 1200}, {30, 40, 1200}, "30\r\n40\r\n1200\r\n1200\r\n"},
    {"lines ended by LF alone, as an editor of another system writes them", QByteArray("3000\n5000\n2000\n2000\n"),
     {"3000", "5000", "2000", "2000"}, {3000, 5000, 2000, 2000}, {3000, 5000, 2000}, "3000\r\n5000\r\n2000\r\n2000\r\n"},
    {"line ends of every kind in one file", QByteArray("10\n20\r\n1000\r1500"),
     {"10", "20", "1000", "1500"}, {10, 20, 1000, 1500}, {10, 20, 1000}, "10\r\n20\r\n1000\r\n1500\r\n"},
    {"utf-8 with LF alone", QByteArray("\xEF\xBB\xBF" "100\n200\n1100\n1100\n"),
     {"100", "200", "1100", "1100"}, {100, 200, 1100, 1100}, {100, 200, 1100}, "100\r\n200\r\n1100\r\n1100\r\n"},
    {"no file: the design place, and the close creates it", std::nullopt,
     {"2760", "4440", "1575", "1575"}, {2760, 4440, 1575, 1575}, {2760, 4440, 1575}, "2760\r\n4440\r\n1575\r\n1575\r\n"},
    {"an empty file", QByteArray(""),
     {"2760", "4440", "1575", "1575"}, {2760, 4440, 1575, 1575}, {2760, 4440, 1575}, "2760\r\n4440\r\n1575\r\n1575\r\n",
     "файл пуст"},
    {"a short file", QByteArray("100\r\n200\r\n"),
     {"100", "200", "1575", "1575"}, {100, 200, 1575, 1575}, {100, 200, 1575}, "100\r\n200\r\n1575\r\n1575\r\n",
     "нет строки 3; нет строки 4"},
    {"lines that are no number", QByteArray("top\r\n\r\n12x\r\nabc\r\n"),
     {"2760", "4440", "1575", "1575"}, {2760, 4440, 1575, 1575}, {2760, 4440, 1575}, "2760\r\n4440\r\n1575\r\n1575\r\n",
     "в строке 1 не число: «top»; в строке 2 не число: «»; в строке 3 не число: «12x»; в строке 4 не число: «abc»"},
    {"a long line that is no number is quoted cut", QByteArray("100\r\n200\r\n1100\r\n0123456789012345678901234x\r\n"),
     {"100", "200", "1100", "1100"}, {100, 200, 1100, 1100}, {100, 200, 1100}, "100\r\n200\r\n1100\r\n1100\r\n",
     "в строке 4 не число: «01234567890123456789…»"},
    {"values above the ranges take the upper bounds", QByteArray("9000\r\n32768\r\n5000\r\n99999\r\n"),
     {"6567", "10200", "3000", "3000"}, {6567, 10200, 3000, 3000}, {6567, 10200, 3000}, "6567\r\n10200\r\n3000\r\n3000\r\n"},
    {"values below the ranges take the lower bounds", QByteArray("-50\r\n-1000000000\r\n999.4\r\n-7\r\n"),
     {"0", "0", "1000", "1000"}, {0, 0, 1000, 1000}, {0, 0, 1000}, "0\r\n0\r\n1000\r\n1000\r\n"},
    {"a width out of range with a height of 1000", QByteArray("1\r\n2\r\n1000\r\n4000\r\n"),
     {"1", "2", "1000", "3000"}, {1, 2, 1000, 3000}, {1, 2, 1000}, "1\r\n2\r\n1000\r\n3000\r\n"},
    {"the edges of the ranges", QByteArray("6567\r\n10200\r\n3000\r\n3000\r\n"),
     {"6567", "10200", "3000", "3000"}, {6567, 10200, 3000, 3000}, {6567, 10200, 3000}, "6567\r\n10200\r\n3000\r\n3000\r\n"},
};
// clang-format on

class PositionFileTest : public QRTest {};

TEST_F(PositionFileTest, TheStartPlacesThePictureFromTheFileAndTheCloseWritesItBack) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        QFile::remove(folder.file("qr_tlwh.txt"));
        if (c.file) writePositionFile(*c.file);
        qr::QR& w = start();
        EXPECT_EQ(boxesOf(w), c.boxes);
        EXPECT_EQ(placeOf(w), c.place);
        EXPECT_EQ((std::array<int, 3>{w.ScrollBar1.value(), w.ScrollBar2.value(), w.ScrollBar3.value()}),
                  c.bars);
        if (c.reported) {
            ASSERT_EQ(services->messages.size(), 1u);
            const auto& m = services->messages[0];
            EXPECT_EQ(m.title, QStringLiteral("Ошибка"));
            EXPECT_EQ(m.text, QStringLiteral("Не удалось прочитать файл «qr_tlwh.txt». Вместо неверных строк "
                                             "взято обычное место картинки."));
            EXPECT_TRUE(m.details.endsWith(QStringLiteral("Причина: ") + QString::fromUtf8(c.reported)))
                << m.details.toStdString();
        } else {
            EXPECT_TRUE(services->messages.empty()) << services->messages.front().all().toStdString();
        }
        close();
        EXPECT_EQ(positionFile(), c.written);
        EXPECT_EQ(services->messages.size(), c.reported ? 1u : 0u) << "the close has nothing to say";
        EXPECT_EQ(services->endedWith, std::vector<int>{0});
        services->endedWith.clear();
        services->messages.clear();
    }
}

TEST_F(PositionFileTest, AFileThatCannotBeReadOrWrittenIsReportedOnceEachWayAndTheDesignPlaceServes) {
    // A folder where the file belongs: neither readable nor writable as a file.
    ASSERT_TRUE(QDir(folder.path()).mkdir("qr_tlwh.txt"));
    qr::QR& w = start();
    EXPECT_EQ(boxesOf(w), (QStringList{"2760", "4440", "1575", "1575"}));
    EXPECT_EQ(placeOf(w), (std::array<float, 4>{2760, 4440, 1575, 1575}));
    ASSERT_EQ(services->messages.size(), 1u);
    // Nothing of the file was read, so no line of it is wrong.
    EXPECT_EQ(services->messages[0].text,
              QStringLiteral("Не удалось прочитать файл «qr_tlwh.txt». Взято обычное место картинки."));
    close();
    ASSERT_EQ(services->messages.size(), 2u);
    for (const auto& m : services->messages) {
        EXPECT_EQ(m.title, QStringLiteral("Ошибка"));
        EXPECT_TRUE(m.text.contains(QStringLiteral("«qr_tlwh.txt»"))) << m.all().toStdString();
    }
    // The program still ends normally, after the message.
    EXPECT_EQ(services->endedWith, std::vector<int>{0});
    EXPECT_FALSE(ui::formLoaded<qr::QR>());
}

// A position file another program holds at QR's start was never read: the design place shows, and
// the close writes nothing over the file unless the picture was moved.
TEST_F(PositionFileTest, AFileHeldAtTheStartIsWrittenAtTheCloseOnlyWhereThePictureMoved) {
    const ShortFileWaits waits;
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved);
        writePositionFile("100\r\n200\r\n1100\r\n1100\r\n");
        std::optional<HeldFile> held(std::in_place, folder.file("qr_tlwh.txt"));
        qr::QR& w = start();
        held.reset();
        EXPECT_EQ(boxesOf(w), (QStringList{"2760", "4440", "1575", "1575"}));
        ASSERT_EQ(services->messages.size(), 1u);
        EXPECT_EQ(services->messages[0].text,
                  QStringLiteral("Не удалось прочитать файл «qr_tlwh.txt». Он занят другой программой; "
                                 "картинка пока стоит на обычном месте, а файл оставлен как есть."));
        EXPECT_TRUE(services->messages[0].all().contains(ui::busyReason()));
        if (moved) w.ScrollBar1.setValue(3000);
        close();
        EXPECT_EQ(positionFile(), moved ? QByteArray("3000\r\n4440\r\n1575\r\n1575\r\n")
                                        : QByteArray("100\r\n200\r\n1100\r\n1100\r\n"));
        EXPECT_EQ(services->messages.size(), 1u);
        services->messages.clear();
        services->endedWith.clear();
    }
}

// A QR killed in its close leaves a temporary file beside the position file. The next start clears
// it, and only it: the file of a close running in another QR now, and Velmox's, stay.
TEST_F(PositionFileTest, TheStartClearsWhatAKilledCloseLeftAndNothingOfARunningOne) {
    writePositionFile("100\r\n4440\r\n1575\r\n1575\r\n");
    folder.write("qr_tlwh.txt.~0k3f9a2.new", "100\r\n");
    folder.write("qr_tlwh.txt.~0000abc.new", "200\r\n");
    folder.write("2.txt.~0k3f9a2.new", "v1\r\n");
    const QByteArray running = QFile::encodeName(folder.file("qr_tlwh.txt.~0000abc.new"));
    const int fd = ::open(running.constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    qr::QR& w = start();
    ::close(fd);
    EXPECT_EQ(boxesOf(w), (QStringList{"100", "4440", "1575", "1575"}));
    EXPECT_FALSE(folder.exists("qr_tlwh.txt.~0k3f9a2.new"));
    EXPECT_TRUE(folder.exists("qr_tlwh.txt.~0000abc.new"));
    EXPECT_TRUE(folder.exists("2.txt.~0k3f9a2.new"));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(PositionFileTest, TwoRunsTheLastCloseWins) {
    writePositionFile("2760\r\n4440\r\n1575\r\n1575\r\n");
    qr::QR& first = start();
    first.ScrollBar1.setValue(100);
    close();
    EXPECT_EQ(positionFile(), "100\r\n4440\r\n1575\r\n1575\r\n");
    // The second run read the file before the first one closed.
    writePositionFile("2760\r\n4440\r\n1575\r\n1575\r\n");
    start();
    writePositionFile("100\r\n4440\r\n1575\r\n1575\r\n");
    close();
    EXPECT_EQ(positionFile(), "2760\r\n4440\r\n1575\r\n1575\r\n");
}

TEST_F(PositionFileTest, AStartFromAnotherFolderReadsAndWritesTheProgramFolder) {
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    writePositionFile("300\r\n400\r\n1200\r\n1200\r\n");
    folder.write("data\\Skin.txt", cp1251(QStringLiteral("Темный скин\r\n")));
    qr::QR& w = start();
    EXPECT_EQ(placeOf(w), (std::array<float, 4>{300, 400, 1200, 1200}));
    EXPECT_FALSE(w.Image6.picture().isNull()) << "the skin pictures come from the program folder";
    w.ScrollBar2.setValue(420);
    close();
    QDir::setCurrent(previous);
    EXPECT_EQ(positionFile(), "300\r\n420\r\n1200\r\n1200\r\n");
    EXPECT_FALSE(QFileInfo::exists(QDir(elsewhere.path()).filePath("qr_tlwh.txt")));
}

TEST(BarInteger, RoundsToTheNearestAndAHalfToTheEvenInteger) {
    // clang-format off
    const std::pair<double, int> cases[] = {
        {0.4, 0}, {0.5, 0}, {1.5, 2}, {2.5, 2}, {2760.5, 2760}, {2761.5, 2762}, {-0.5, 0}, {-1.5, -2},
        {6567.49, 6567}, {1e12, 32767}, {-1e12, -32768},
    };
    // clang-format on
    for (const auto& [number, integer] : cases) EXPECT_EQ(qr::barInteger(number), integer) << number;
}

}  // namespace
