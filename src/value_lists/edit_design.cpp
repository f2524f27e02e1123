// The editor's design: two page switches above two page frames that lie on the same spot, each
// with its lists in a grid of two columns; the picture templates below the client area.
#include <QPainter>
#include <QPixmap>

#include "value_lists/edit_tables.h"

namespace velmox::value_lists {

using E = Edit;

// clang-format off
const ValueList kValueLists[21] = {
    {1, 1, 0, 1, &E::List1, &E::Label1, &E::Image1, &E::Image1_Click, &E::Image1_MouseDown, &E::Image1_MouseMove, &E::List1_MouseMove},
    {2, 1, 0, 2, &E::List2, &E::Label2, &E::Image4, &E::Image4_Click, &E::Image4_MouseDown, &E::Image4_MouseMove, &E::List2_MouseMove},
    {3, 1, 0, 3, &E::List3, &E::Label3, &E::Image5, &E::Image5_Click, &E::Image5_MouseDown, &E::Image5_MouseMove, &E::List3_MouseMove},
    {4, 1, 0, 4, &E::List4, &E::Label4, &E::Image6, &E::Image6_Click, &E::Image6_MouseDown, &E::Image6_MouseMove, &E::List4_MouseMove},
    {5, 1, 1, 4, &E::List5, &E::Label5, &E::Image7, &E::Image7_Click, &E::Image7_MouseDown, &E::Image7_MouseMove, &E::List5_MouseMove},
    {6, 1, 0, 5, &E::List6, &E::Label6, &E::Image8, &E::Image8_Click, &E::Image8_MouseDown, &E::Image8_MouseMove, &E::List6_MouseMove},
    {7, 1, 1, 1, &E::List7, &E::Label7, &E::Image9, &E::Image9_Click, &E::Image9_MouseDown, &E::Image9_MouseMove, &E::List7_MouseMove},
    {8, 1, 1, 2, &E::List8, &E::Label8, &E::Image10, &E::Image10_Click, &E::Image10_MouseDown, &E::Image10_MouseMove, &E::List8_MouseMove},
    {9, 1, 1, 3, &E::List9, &E::Label9, &E::Image11, &E::Image11_Click, &E::Image11_MouseDown, &E::Image11_MouseMove, &E::List9_MouseMove},
    {10, 1, 1, 5, &E::List10, &E::Label10, &E::Image12, &E::Image12_Click, &E::Image12_MouseDown, &E::Image12_MouseMove, &E::List10_MouseMove},
    {11, 2, 0, 1, &E::List11, &E::Label11, &E::Image13, &E::Image13_Click, &E::Image13_MouseDown, &E::Image13_MouseMove, &E::List11_MouseMove},
    {12, 2, 0, 2, &E::List12, &E::Label12, &E::Image14, &E::Image14_Click, &E::Image14_MouseDown, &E::Image14_MouseMove, &E::List12_MouseMove},
    {13, 2, 0, 3, &E::List13, &E::Label13, &E::Image15, &E::Image15_Click, &E::Image15_MouseDown, &E::Image15_MouseMove, &E::List13_MouseMove},
    {14, 2, 0, 4, &E::List14, &E::Label14, &E::Image16, &E::Image16_Click, &E::Image16_MouseDown, &E::Image16_MouseMove, &E::List14_MouseMove},
    {15, 2, 0, 5, &E::List15, &E::Label15, &E::Image17, &E::Image17_Click, &E::Image17_MouseDown, &E::Image17_MouseMove, &E::List15_MouseMove},
    {16, 2, 1, 1, &E::List16, &E::Label16, &E::Image18, &E::Image18_Click, &E::Image18_MouseDown, &E::Image18_MouseMove, &E::List16_MouseMove},
    {17, 2, 1, 2, &E::List17, &E::Label17, &E::Image19, &E::Image19_Click, &E::Image19_MouseDown, &E::Image19_MouseMove, &E::List17_MouseMove},
    {18, 2, 1, 4, &E::List18, &E::Label18, &E::Image20, &E::Image20_Click, &E::Image20_MouseDown, &E::Image20_MouseMove, &E::List18_MouseMove},
    {19, 2, 1, 3, &E::List19, &E::Label19, &E::Image21, &E::Image21_Click, &E::Image21_MouseDown, &E::Image21_MouseMove, &E::List19_MouseMove},
    {20, 2, 1, 6, &E::List20, &E::Label20, &E::Image22, &E::Image22_Click, &E::Image22_MouseDown, &E::Image22_MouseMove, &E::List20_MouseMove},
    {21, 2, 1, 5, &E::List21, &E::Label21, &E::Image23, &E::Image23_Click, &E::Image23_MouseDown, &E::Image23_MouseMove, &E::List21_MouseMove},
};

const CaptionStep kCaptionSteps[23] = {
    {39, &E::Check1, nullptr, u"Первая сторона (левая часть)"},
    {40, &E::Check2, nullptr, u"Вторая сторона (правая часть)"},
    {41, nullptr, &E::Label1, u"Наименование учреждения поступления строка 1"},
    {42, nullptr, &E::Label2, u"Наименование учреждения поступления строка 2"},
    {43, nullptr, &E::Label3, u"Наименование учреждения окончание строка 1"},
    {44, nullptr, &E::Label4, u"Наименование учреждения окончание строка 2"},
    {45, nullptr, &E::Label6, u"Специальность строка 1"},
    {46, nullptr, &E::Label7, u"Специальность строка 2"},
    {47, nullptr, &E::Label8, u"Квалификация строка 1"},
    {48, nullptr, &E::Label9, u"Квалификация строка 2"},
    {49, nullptr, &E::Label5, u"Квалификация строка 3"},
    {50, nullptr, &E::Label10, u"Населенный пункт"},
    {51, nullptr, &E::Label11, u"Наименование учреждения поступление строка 1"},
    {52, nullptr, &E::Label12, u"Наименование учреждения поступление строка 2"},
    {53, nullptr, &E::Label13, u"Наименование учреждения поступление строка 3"},
    {54, nullptr, &E::Label14, u"Наименование учреждения окончание строка 1"},
    {55, nullptr, &E::Label15, u"Наименование учреждения окончания строка 2"},
    {56, nullptr, &E::Label16, u"Наименование специальности учреждения строка 1"},
    {57, nullptr, &E::Label17, u"Наименование специальности учреждения строка 2"},
    {47, nullptr, &E::Label19, u"Квалификация строка 1"},
    {48, nullptr, &E::Label18, u"Квалификация строка 2"},
    {49, nullptr, &E::Label21, u"Квалификация строка 3"},
    {50, nullptr, &E::Label20, u"Населенный пункт"},
};
// clang-format on

}  // namespace velmox::value_lists

namespace velmox {

using namespace value_lists;

namespace {
constexpr ui::OleColor kDesignBackground = 0x00FBE3C8;
const QString kTimes = QStringLiteral("Times New Roman");

using ui::Twips;
// The grid of the lists inside their page frame.
constexpr Twips kColumnLeft[2] = {Twips(0), Twips(6840)};
constexpr Twips kRowTop[7] = {Twips(0),    Twips(240),  Twips(1320), Twips(2400),
                              Twips(3480), Twips(4560), Twips(5640)};
constexpr Twips kListWidth(5295), kListHeight(810);
// A caption stands on the list; the button beside it, a strip of the frame between them.
constexpr Twips kCaptionRise(240), kCaptionHeight(255), kShortCaptionWidth(3975);
constexpr Twips kButtonOffsetX(5400), kButtonOffsetY(120);
constexpr Twips kButtonSize(525);

// The pictures the buttons and templates carry until a skin gives them its own: a red cross on a
// light key, lit with an orange rim.
QPixmap builtInPicture(bool lit) {
    QPixmap pixmap(35, 35);
    pixmap.fill(QColor(0xC8, 0xE3, 0xFB));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(lit ? QColor(0xF0, 0x9A, 0x1A) : QColor(0x7F, 0xA8, 0xD6), lit ? 2.0 : 1.0));
    p.setBrush(lit ? QColor(0xFF, 0xF0, 0xC4) : QColor(0xFF, 0xFF, 0xFF));
    p.drawRoundedRect(QRectF(1.5, 1.5, 32, 32), 6, 6);
    p.setPen(QPen(QColor(0xD6, 0x3A, 0x2F), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 11), QPointF(24, 24));
    p.drawLine(QPointF(24, 11), QPointF(11, 24));
    return pixmap;
}
}  // namespace

void Edit::showBuiltInPictures() {
    const QPixmap normal = builtInPicture(false);
    for (const ValueList& v : kValueLists) (this->*v.button).setPicture(normal);
    Image2.setPicture(normal);
    Image3.setPicture(builtInPicture(true));
}

Edit::Edit() : ui::Form(QStringLiteral("Edit")) {
    buildControls();
    bindHandlers();
}

void Edit::buildControls() {
    setCaption(QStringLiteral("Редактирование сохранненых данных"));
    setBackColor(kDesignBackground);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(13065), ui::Twips(7335));

    const ui::FontSpec switchFont{kTimes, 12, true, false};
    struct Switch {
        ui::CheckBox Edit::*box;
        const char* name;
        ui::TwipsRect place;
    };
    const Switch switches[] = {
        {&Edit::Check1, "Check1", {120, 120, 5295, 255}},
        {&Edit::Check2, "Check2", {6960, 120, 6015, 255}},
    };
    for (const Switch& s : switches) {
        ui::CheckBox& c = this->*s.box;
        c.create(*this, QString::fromLatin1(s.name), s.place);
        c.setFont(switchFont);
        c.setBackColor(kDesignBackground);
        c.setForeColor(ui::syscolor::kWindowText);
    }
    // Frame2 lies above Frame1 until the load moves the pages apart.
    Frame1.create(*this, QStringLiteral("Frame1"), {120, 480, 12855, 5535});
    Frame2.create(*this, QStringLiteral("Frame2"), {120, 480, 12855, 7095});
    Frame1.setBackColor(kDesignBackground);
    Frame2.setBackColor(kDesignBackground);

    const ui::FontSpec captionFont{kTimes, 9.75f, true, false};
    for (const ValueList& v : kValueLists) {
        ui::Frame& page = v.page == 1 ? Frame1 : Frame2;
        const Twips left = kColumnLeft[v.column], top = kRowTop[v.row];
        ui::Label& caption = this->*v.caption;
        caption.create(
            page, QStringLiteral("Label%1").arg(v.n),
            {left, top - kCaptionRise, v.n == 21 ? kShortCaptionWidth : kListWidth, kCaptionHeight});
        caption.setFont(captionFont);
        caption.setBackStyle(0);
        caption.setForeColor(ui::syscolor::kWindowText);
        (this->*v.list).create(page, QStringLiteral("List%1").arg(v.n), {left, top, kListWidth, kListHeight});
        const int button = v.n == 1 ? 1 : v.n + 2;
        (this->*v.button)
            .create(page, QStringLiteral("Image%1").arg(button),
                    {left + kButtonOffsetX, top + kButtonOffsetY, kButtonSize, kButtonSize});
    }
    for (const CaptionStep& s : kCaptionSteps) {
        if (s.check) (this->*s.check).setCaption(QString::fromUtf16(s.design));
        if (s.label) (this->*s.label).setCaption(QString::fromUtf16(s.design));
    }

    // The templates lie below the client area: never seen, though visible.
    Image2.create(*this, QStringLiteral("Image2"), {Twips(3360), Twips(7920), kButtonSize, kButtonSize});
    Image3.create(*this, QStringLiteral("Image3"), {Twips(2880), Twips(7920), kButtonSize, kButtonSize});
    showBuiltInPictures();

    Text1.create(Frame2, QStringLiteral("Text1"), {840, 5880, 2415, 285});
    Text2.create(Frame2, QStringLiteral("Text2"), {3720, 5880, 1455, 285});
    Text1.setDesignText(QStringLiteral("Text1"));
    Text2.setDesignText(QStringLiteral("Text2"));
    Text1.setVisible(false);
    Text2.setVisible(false);
}

void Edit::bindHandlers() {
    Check1.onClick = [this] { Check1_Click(); };
    Check2.onClick = [this] { Check2_Click(); };
    Text1.onChange = [this] { Text1_Change(); };
    Text2.onChange = [this] { Text2_Change(); };
    Frame1.onMouseMove = [this](const ui::MouseArgs& a) { Frame1_MouseMove(a); };
    Frame2.onMouseMove = [this](const ui::MouseArgs& a) { Frame2_MouseMove(a); };
    for (const ValueList& v : kValueLists) {
        ui::PictureBox& button = this->*v.button;
        button.onClick = [this, click = v.click] { (this->*click)(); };
        button.onMouseDown = [this, down = v.buttonDown](const ui::MouseArgs& a) { (this->*down)(a); };
        button.onMouseMove = [this, move = v.buttonMove](const ui::MouseArgs& a) { (this->*move)(a); };
        (this->*v.list).onMouseMove = [this, move = v.listMove](const ui::MouseArgs& a) { (this->*move)(a); };
    }
}

}  // namespace velmox
