#include "platform/font.h"

#include <fontconfig/fontconfig.h>

#include <QFontInfo>
#include <QHash>
#include <QRawFont>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/units.h"

namespace ui {

namespace {
struct Twin {
    const char16_t* design;
    const char16_t* installed;
};
// Each twin holds the Kazakh letters. The Liberation families have the widths of their design
// fonts letter by letter, so text measures the same on screen and paper as on the blanks the
// positions were made for; Tahoma has no free twin, and DejaVu Sans Condensed comes within about
// a percent of its widths (DejaVu Sans is a sixth wider and cuts the captions drawn for it). MS Sans
// Serif is the screen font Tahoma was drawn after.
// clang-format off
constexpr Twin kTwins[] = {
    {u"Times New Roman", u"Liberation Serif"},
    {u"Arial",           u"Liberation Sans"},
    {u"Tahoma",          u"DejaVu Sans Condensed"},
    {u"MS Sans Serif",   u"DejaVu Sans Condensed"},
};
// clang-format on

bool holdsKazakhLetters(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return false;
    for (const char16_t c : std::u16string_view(kKazakhLetters))
        if (!raw.supportsCharacter(QChar(c))) return false;
    return true;
}

QFont styled(const QString& family, const FontSpec& f) {
    QFont q(family);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setKerning(false);
    return q;
}

// Where a design font is installed but lacks the letters (an old release), its twin shows it.
QString chooseFamily(const FontSpec& f, const Twin& twin) {
    const QString design = QString::fromUtf16(twin.design);
    const QFont asDesigned = styled(design, f);
    const bool installed = QFontInfo(asDesigned).family().compare(design, Qt::CaseInsensitive) == 0;
    return installed && holdsKazakhLetters(asDesigned) ? design : QString::fromUtf16(twin.installed);
}

QFont baseFont(const FontSpec& f) {
    return styled(installedFamily(f), f);
}
}  // namespace

QString installedFamily(const FontSpec& f) {
    for (const Twin& twin : kTwins) {
        if (f.name.compare(QString::fromUtf16(twin.design), Qt::CaseInsensitive) != 0) continue;
        // Fonts live on the GUI thread only; the choice is made once per name and style.
        static QHash<QString, QString> chosen;
        const QString key =
            f.name.toLower() + QLatin1Char(f.bold ? 'b' : '-') + QLatin1Char(f.italic ? 'i' : '-');
        auto it = chosen.constFind(key);
        if (it == chosen.constEnd()) it = chosen.insert(key, chooseFamily(f, twin));
        return *it;
    }
    return f.name;
}

QFont toTwipsFont(const FontSpec& f) {
    QFont q = baseFont(f);
    q.setPixelSize(std::max(1, int(std::lround(f.size * kTwipsPerPoint))));
    q.setHintingPreference(QFont::PreferNoHinting);
    return q;
}

QFont toScreenFont(const FontSpec& f) {
    QFont q = baseFont(f);
    q.setPixelSize(std::max(1, int(std::lround(f.size * kTwipsPerPoint / kTwipsPerPixel))));
    return q;
}

namespace {
bool holdsKazakhLetters(const FcCharSet* charset) {
    for (const char16_t c : std::u16string_view(kKazakhLetters))
        if (!FcCharSetHasChar(charset, c)) return false;
    return true;
}

std::string escapedForXml(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The files to leave out: each lacks a Kazakh letter that another file of its family and style
// holds. Such a pair is an old release beside a new one (Liberation 1 and 2), of which the font
// database would otherwise serve some styles from the old one.
std::vector<std::string> outdoneFontFiles() {
    FcPattern* any = FcPatternCreate();
    FcObjectSet* wanted = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_CHARSET, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, any, wanted);
    FcObjectSetDestroy(wanted);
    FcPatternDestroy(any);
    if (!fonts) return {};
    using Face = std::pair<std::string, std::string>;  // family and style
    std::map<Face, bool> complete;
    std::vector<std::pair<Face, std::string>> lacking;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8 *family = nullptr, *style = nullptr, *file = nullptr;
        FcCharSet* charset = nullptr;
        const FcPattern* font = fonts->fonts[i];
        if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch ||
            FcPatternGetString(font, FC_STYLE, 0, &style) != FcResultMatch ||
            FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch)
            continue;
        const Face face{reinterpret_cast<const char*>(family), reinterpret_cast<const char*>(style)};
        if (holdsKazakhLetters(charset))
            complete[face] = true;
        else
            lacking.emplace_back(face, reinterpret_cast<const char*>(file));
    }
    FcFontSetDestroy(fonts);
    std::vector<std::string> out;
    for (const auto& [face, file] : lacking)
        if (complete.count(face)) out.push_back(file);
    return out;
}

void prepareFonts() {
    if (!FcInit()) return;
    const std::vector<std::string> outdone = outdoneFontFiles();
    if (outdone.empty()) return;
    std::string rules = "<fontconfig><selectfont><rejectfont>";
    for (const std::string& file : outdone)
        rules +=
            "<pattern><patelt name=\"file\"><string>" + escapedForXml(file) + "</string></patelt></pattern>";
    rules += "</rejectfont></selectfont></fontconfig>";
    FcConfig* config = FcInitLoadConfig();
    if (!config) return;
    if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.c_str()), FcFalse) &&
        FcConfigBuildFonts(config)) {
        // A rescan would load the configuration afresh, without the rules.
        FcConfigSetRescanInterval(config, 0);
        FcConfigSetCurrent(config);
    }
    FcConfigDestroy(config);
}
}  // namespace

FontPreparation::FontPreparation() : preparing_(prepareFonts) {}

FontPreparation::~FontPreparation() {
    wait();
}

void FontPreparation::wait() {
    if (preparing_.joinable()) preparing_.join();
}

}  // namespace ui
