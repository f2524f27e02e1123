// Builds the QR window from its design table: the picture first, so the buttons and bars lie
// above it wherever it is moved, then the buttons, the picture holders, the boxes and the bars.
#include "qr/builtin_pictures.h"
#include "qr/position_file.h"
#include "qr/qr.h"

namespace qr {

namespace {
constexpr ui::OleColor kDesignBackground = 0x00FBE3C8;

struct PictureDesign {
    ui::PictureBox QR::*control;
    const char* name;
    ui::TwipsRect place;
    BuiltinPicture picture;
    bool visible;
};
// clang-format off
constexpr PictureDesign kPictures[] = {
    {&QR::Image5, "Image5", {120, 120, 525, 525}, BuiltinPicture::Load, true},
    {&QR::Image2, "Image2", {10920, 120, 525, 525}, BuiltinPicture::Print, true},
    {&QR::Image6, "Image6", {480, 6960, 525, 525}, BuiltinPicture::Load, false},
    {&QR::Image7, "Image7", {1080, 6960, 525, 525}, BuiltinPicture::LoadLit, false},
    {&QR::Image3, "Image3", {480, 6360, 525, 525}, BuiltinPicture::Print, false},
    {&QR::Image4, "Image4", {1080, 6360, 525, 525}, BuiltinPicture::PrintLit, false},
};
// clang-format on

struct BoxDesign {
    ui::TextBox QR::*control;
    const char* name;
    ui::TwipsRect place;
    const char16_t* text;
};
// clang-format off
const BoxDesign kHiddenBoxes[] = {
    {&QR::Text2, "Text2", {3480, 960, 615, 285}, kPositionLines[0].design},
    {&QR::Text3, "Text3", {4080, 960, 615, 285}, kPositionLines[1].design},
    {&QR::Text4, "Text4", {3480, 1200, 615, 285}, kPositionLines[2].design},
    {&QR::Text5, "Text5", {4080, 1200, 615, 285}, kPositionLines[3].design},
    {&QR::Text6, "Text6", {9960, 5760, 1335, 1815}, u"Text6"},
    {&QR::Text7, "Text7", {3480, 1440, 1215, 285}, u"Text7"},
    {&QR::Text8, "Text8", {3480, 1680, 3615, 285}, u"Text8"},
};
// clang-format on

constexpr int kSmallStep = 20;
constexpr int kLargeStep = 500;
}  // namespace

QR::QR() : ui::Form(QStringLiteral("QR")) {
    buildControls();
    bindHandlers();
}

void QR::buildControls() {
    setCaption(QStringLiteral("QR"));
    setBackColor(kDesignBackground);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setClientSize(ui::Twips(11895), ui::Twips(8565));
    // A fixed place on the screen, not centred.
    moveClientArea(ui::Twips(7680), ui::Twips(4200));

    Image1.create(*this, QStringLiteral("Image1"), {2400, 2760, 1575, 1575});
    Image1.setStretch(true);
    for (const PictureDesign& d : kPictures) {
        ui::PictureBox& p = this->*d.control;
        p.create(*this, QString::fromLatin1(d.name), d.place);
        p.setPicture(builtinPicture(d.picture));
        p.setVisible(d.visible);
    }

    Text1.create(*this, QStringLiteral("Text1"), {120, 7800, 11295, 285});
    // Nothing reads what is typed here: the box only shows the path the dialog gave.
    Text1.setLocked(true);
    for (const BoxDesign& d : kHiddenBoxes) {
        ui::TextBox& t = this->*d.control;
        t.create(*this, QString::fromLatin1(d.name), d.place);
        t.setDesignText(QString::fromUtf16(d.text));
        t.setVisible(false);
    }
    Text6.setMultiLine(true);

    struct BarDesign {
        ui::ScrollBar& bar;
        const char* name;
        ui::TwipsRect place;
        BarRange range;
    };
    // clang-format off
    const BarDesign bars[] = {
        {ScrollBar1, "ScrollBar1", {11640, 120, 255, 8175}, kTopRange},
        {ScrollBar2, "ScrollBar2", {0, 8280, 11655, 255}, kLeftRange},
        {ScrollBar3, "ScrollBar3", {3960, 120, 4095, 255}, kSizeRange},
    };
    // clang-format on
    for (const BarDesign& d : bars) {
        ui::ScrollBar& b = d.bar;
        b.create(*this, QString::fromLatin1(d.name), d.place);
        b.setRange(d.range.min, d.range.max);
        b.setSmallChange(kSmallStep);
        b.setLargeChange(kLargeStep);
    }

    // The hidden boxes take no focus.
    setTabOrder({&Text1, &ScrollBar1, &ScrollBar2, &ScrollBar3});
}

void QR::bindHandlers() {
    ScrollBar1.onChange = [this] { ScrollBar1_Change(); };
    ScrollBar1.onScroll = [this] { ScrollBar1_Scroll(); };
    ScrollBar2.onChange = [this] { ScrollBar2_Change(); };
    ScrollBar2.onScroll = [this] { ScrollBar2_Scroll(); };
    ScrollBar3.onChange = [this] { ScrollBar3_Change(); };
    ScrollBar3.onScroll = [this] { ScrollBar3_Scroll(); };
    Image5.onClick = [this] { Image5_Click(); };
    Image2.onClick = [this] { Image2_Click(); };
    Image5.onMouseMove = [this](const ui::MouseArgs&) { Image5_MouseMove(); };
    Image2.onMouseMove = [this](const ui::MouseArgs&) { Image2_MouseMove(); };
    Image5.onMouseDown = [this](const ui::MouseArgs&) { Image5_MouseDown(); };
    Image2.onMouseDown = [this](const ui::MouseArgs&) { Image2_MouseDown(); };
    onFormMouseMove = [this](const ui::MouseArgs&) { Form_MouseMove(); };
    Text7.onChange = [this] { Text7_Change(); };
    Text8.onChange = [this] { Text8_Change(); };
}

}  // namespace qr
