// The design fonts are drawn in installed fonts that hold the Kazakh letters, in every style, so no
// letter of a caption comes from a fallback font of other metrics.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QRawFont>

#include "platform/font.h"
#include "support/qt_print.h"

namespace {

TEST(DesignFonts, EachIsDrawnInItsTwinThatHoldsTheKazakhLettersInEveryStyle) {
    struct Case {
        const char* design;
        const char* installed;
    };
    // The twins the installed packages give (fonts-liberation2, fonts-dejavu-extra).
    const Case cases[] = {
        {"Times New Roman", "Liberation Serif"},
        {"Arial", "Liberation Sans"},
        {"Tahoma", "DejaVu Sans Condensed"},
        {"MS Sans Serif", "DejaVu Sans Condensed"},
    };
    const QString letters = QString::fromUtf16(ui::kKazakhLetters);
    for (const Case& c : cases) {
        for (const bool bold : {false, true}) {
            for (const bool italic : {false, true}) {
                const ui::FontSpec spec{.name = c.design, .size = 9.75f, .bold = bold, .italic = italic};
                SCOPED_TRACE(testing::Message()
                             << c.design << (bold ? " bold" : "") << (italic ? " italic" : ""));
                for (const QFont& font : {ui::toTwipsFont(spec), ui::toScreenFont(spec)}) {
                    EXPECT_EQ(QFontInfo(font).family(), QString::fromLatin1(c.installed));
                    EXPECT_EQ(QFontInfo(font).bold(), bold);
                    EXPECT_EQ(QFontInfo(font).italic(), italic);
                    const QRawFont raw = QRawFont::fromFont(font);
                    QString missing;
                    for (const QChar letter : letters)
                        if (!raw.supportsCharacter(letter)) missing += letter;
                    EXPECT_EQ(missing, QString())
                        << "from the font file of " << raw.familyName().toStdString();
                }
            }
        }
    }
}

TEST(DesignFonts, AnyOtherNameIsDrawnAsNamed) {
    EXPECT_EQ(ui::installedFamily({.name = "DejaVu Serif"}), "DejaVu Serif");
    EXPECT_EQ(QFontInfo(ui::toScreenFont({.name = "DejaVu Serif"})).family(), "DejaVu Serif");
    EXPECT_EQ(ui::installedFamily({.name = "times new roman"}), "Liberation Serif");
}

}  // namespace
