// Builds the main window's controls from its tables, in stacking order: on the surface the notice
// band first and the field labels above it, so a field over the band still shows and takes its
// clicks; then the scroll bars, then the entry panel above them all.
#include "main_window/vazed.h"
#include "main_window/vazed_tables.h"

namespace velmox {

namespace {
constexpr ui::OleColor kPanelColour = 0x00FBE3C8;
constexpr ui::OleColor kLineColour = 0x00808080;

const QString kTimes = QStringLiteral("Times New Roman");
const QString kTahoma = QStringLiteral("Tahoma");

ui::FontSpec fieldFont(FieldFont f) {
    switch (f) {
        case FieldFont::Italic975:
            return {kTimes, 9.75f, false, true};
        case FieldFont::Upright975:
            return {kTimes, 9.75f, false, false};
        case FieldFont::Upright9:
            return {kTimes, 9.0f, false, false};
        case FieldFont::Default:
            break;
    }
    return ui::FontSpec{};
}

// The groups of two or three boxes that share one caption, joined to it by a bracket.
struct Bracket {
    float x;  // the bracket's vertical line, 240 twips left of the column's boxes
    std::initializer_list<EntryRef> boxes;
};
}  // namespace

QString fieldLabelName(const PrintField& f) {
    const int number = f.row <= 44 ? f.row : f.row == 47 ? 76 : f.row == 48 ? 78 : 79;
    return QStringLiteral("Label%1").arg(number);
}

// clang-format off
const SavedList kSavedLists[21] = {
    {1,  &Vazed::Combo2,  &Vazed::List1,  &Vazed::Text23},
    {2,  &Vazed::Combo3,  &Vazed::List2,  &Vazed::Text24},
    {3,  &Vazed::Combo4,  &Vazed::List3,  &Vazed::Text25},
    {4,  &Vazed::Combo5,  &Vazed::List4,  &Vazed::Text26},
    {5,  &Vazed::Combo6,  &Vazed::List5,  &Vazed::Text27},
    {6,  &Vazed::Combo7,  &Vazed::List6,  &Vazed::Text28},
    {7,  &Vazed::Combo8,  &Vazed::List7,  &Vazed::Text29},
    {8,  &Vazed::Combo9,  &Vazed::List8,  &Vazed::Text30},
    {9,  &Vazed::Combo10, &Vazed::List9,  &Vazed::Text31},
    {10, &Vazed::Combo11, &Vazed::List10, &Vazed::Text32},
    {11, &Vazed::Combo12, &Vazed::List11, &Vazed::Text33},
    {12, &Vazed::Combo13, &Vazed::List12, &Vazed::Text34},
    {13, &Vazed::Combo14, &Vazed::List13, &Vazed::Text35},
    {14, &Vazed::Combo15, &Vazed::List14, &Vazed::Text36},
    {15, &Vazed::Combo16, &Vazed::List15, &Vazed::Text37},
    {16, &Vazed::Combo17, &Vazed::List16, &Vazed::Text38},
    {17, &Vazed::Combo18, &Vazed::List17, &Vazed::Text39},
    {18, &Vazed::Combo19, &Vazed::List18, &Vazed::Text40},
    {19, &Vazed::Combo20, &Vazed::List19, &Vazed::Text41},
    {20, &Vazed::Combo21, &Vazed::List20, &Vazed::Text42},
    {21, &Vazed::Combo25, &Vazed::List21, &Vazed::Text46},
};
// clang-format on

void Vazed::buildControls() {
    setCaption(QStringLiteral("Velmox (Программа для печати данных на бланк диплома)"));
    setBackColor(0x00FFFFFF);
    setBorderStyle(ui::BorderStyle::FixedSingle);
    setStartUpPosition(ui::StartUpPosition::CenterScreen);
    setClientSize(ui::Twips(11880), ui::Twips(8820));

    Label46.create(*this, QStringLiteral("Label46"), {0, 1320, 11655, 735});
    Label46.setBackStyle(1);
    Label46.setBackColor(0x00000000);
    Label46.setForeColor(0x008080FF);
    Label46.setFont({kTahoma, 9.75f, true, false});
    Label46.setAlignment(ui::Alignment::Center);
    // The notice is never switched with the language, so it says the same in both.
    Label46.setCaption(QStringLiteral(
        "Щёлкните поле, чтобы выбрать его, и передвигайте его полосами прокрутки справа и снизу.\n"
        "Өрісті таңдау үшін оны басыңыз да, оң жақтағы және төмендегі жолақтармен жылжытыңыз."));

    for (const PrintField& f : kPrintFields) {
        ui::Label& l = this->*f.label;
        l.create(*this, fieldLabelName(f), f.design);
        l.setFont(fieldFont(f.font));
        l.setAlignment(f.alignment);
        l.setAutoSize(f.autoSize);
        l.setBackStyle(0);
        l.setBackColor(ui::syscolor::kWindowBackground);
        l.setForeColor(ui::syscolor::kWindowText);
    }

    HScroll1.create(*this, QStringLiteral("HScroll1"), {0, 8520, 11655, 255});
    HScroll1.setRange(0, 10800);
    HScroll1.setSmallChange(20);
    HScroll1.setLargeChange(500);
    VScroll1.create(*this, QStringLiteral("VScroll1"), {11640, 1320, 255, 7215});
    VScroll1.setRange(1320, 8075);
    VScroll1.setSmallChange(20);
    VScroll1.setLargeChange(500);
    VScroll1.setValue(1320);

    Frame1.create(*this, QStringLiteral("Frame1"), {0, 0, 11895, 8835});
    Frame1.setBackColor(kPanelColour);
    Frame1.setBorderStyle(0);

    // Font row.
    Combo22.create(Frame1, QStringLiteral("Combo22"), {840, 120, 4695, 315});
    Combo23.create(Frame1, QStringLiteral("Combo23"), {6720, 120, 2295, 315});
    Combo24.create(Frame1, QStringLiteral("Combo24"), {10800, 120, 975, 315});
    Combo23.setFont({kTimes, 8.25f, true, false});
    Combo24.setFont({kTimes, 8.25f, true, false});
    Combo22.setDesignText(QStringLiteral("Combo22"));
    Combo23.setDesignText(QStringLiteral("Combo23"));
    Combo24.setDesignText(QStringLiteral("Combo24"));

    // Student picker.
    Combo1.create(Frame1, QStringLiteral("Combo1"), {1920, 720, 3855, 315});

    // Toolbar: nine buttons of 525 x 525 at Top 600.
    struct ButtonPlace {
        ui::PictureBox Vazed::*button;
        const char* name;
        float left;
    };
    // clang-format off
    constexpr ButtonPlace kButtons[] = {
        {&Vazed::Image1,   "Image1",   6000},
        {&Vazed::Image201, "Image201", 6840},
        {&Vazed::Image4,   "Image4",   7440},
        {&Vazed::Image15,  "Image15",  8040},
        {&Vazed::Image18,  "Image18",  8640},
        {&Vazed::Image24,  "Image24",  9240},
        {&Vazed::Image21,  "Image21",  9840},
        {&Vazed::Image10,  "Image10",  10440},
        {&Vazed::Image7,   "Image7",   11200},
    };
    // clang-format on
    for (const ButtonPlace& b : kButtons)
        (this->*b.button).create(Frame1, QString::fromLatin1(b.name), {b.left, 600, 525, 525});

    // Entry controls in tab order; each starts with its own name as its text.
    for (const EntryControlDesign& e : kEntryControls) {
        if (e.control.text) {
            ui::TextBox& t = this->*e.control.text;
            t.create(Frame1, QString::fromLatin1(e.name), e.design);
            t.setDesignText(QString::fromLatin1(e.name));
        } else {
            ui::ComboBox& c = this->*e.control.combo;
            c.create(Frame1, QString::fromLatin1(e.name), e.design);
            c.setDesignText(QString::fromLatin1(e.name));
        }
    }

    for (const CaptionLabelDesign& c : kCaptionLabels) {
        ui::Label& l = this->*c.label;
        l.create(Frame1, QString::fromLatin1(c.name), c.design);
        l.setFont({kTahoma, 6.75f, true, false});
        l.setAlignment(c.alignment);
        l.setBackStyle(0);
        l.setCaption(QString::fromUtf16(c.caption));
    }
    Label67.setForeColor(0x00000000);

    // Grey lines: below the font row, below the toolbar, at the bottom, between the columns and
    // in the toolbar band; then a bracket from each group caption to its boxes.
    auto addLine = [this](ui::Twips x1, ui::Twips y1, ui::Twips x2, ui::Twips y2) {
        auto l = std::make_unique<ui::Line>();
        l->create(Frame1, QStringLiteral("Line%1").arg(Lines.size() + 1), {});
        l->setPoints(x1, y1, x2, y2);
        l->setBorderColor(kLineColour);
        Lines.push_back(std::move(l));
    };
    // clang-format off
    constexpr float kPanelLines[6][4] = {
        {0,     530,  11895, 530},
        {0,     1200, 11895, 1200},
        {0,     8760, 11895, 8760},
        {6000,  1200, 6000,  8760},
        {6720,  530,  6720,  1200},
        {11040, 530,  11040, 1200},
    };
    // clang-format on
    for (const auto& l : kPanelLines)
        addLine(ui::Twips(l[0]), ui::Twips(l[1]), ui::Twips(l[2]), ui::Twips(l[3]));
    // clang-format off
    const Bracket brackets[] = {
        {2160, {text(&Vazed::Text2), text(&Vazed::Text3)}},
        {2160, {combo(&Vazed::Combo2), combo(&Vazed::Combo3)}},
        {2160, {combo(&Vazed::Combo4), combo(&Vazed::Combo5)}},
        {2160, {combo(&Vazed::Combo7), combo(&Vazed::Combo8)}},
        {2160, {combo(&Vazed::Combo9), combo(&Vazed::Combo10), combo(&Vazed::Combo6)}},
        {8160, {text(&Vazed::Text15), text(&Vazed::Text16)}},
        {8160, {combo(&Vazed::Combo12), combo(&Vazed::Combo13), combo(&Vazed::Combo14)}},
        {8160, {combo(&Vazed::Combo15), combo(&Vazed::Combo16)}},
        {8160, {combo(&Vazed::Combo17), combo(&Vazed::Combo18)}},
        {8160, {combo(&Vazed::Combo20), combo(&Vazed::Combo19), combo(&Vazed::Combo25)}},
    };
    // clang-format on
    for (const Bracket& b : brackets) {
        auto box = [this](const EntryRef& e) -> const ui::Control& { return e.control(*this); };
        // A bracket meets each box at its middle, 120 twips below its top.
        const ui::Twips x(b.x), toMiddle(120), stub(240);
        const ui::Twips first = box(*b.boxes.begin()).top() + toMiddle;
        const ui::Twips last = box(*(b.boxes.end() - 1)).top() + toMiddle;
        addLine(x, first, x, last);
        for (const EntryRef& e : b.boxes) {
            const ui::Twips y = box(e).top() + toMiddle;
            addLine(x, y, box(e).left(), y);
        }
        const ui::Twips mid = (first + last) / 2;
        addLine(x - stub, mid, x, mid);
    }

    // Tab takes the entry controls in their table's order, then the font row and the student picker;
    // the layout editor's scroll bars last, in the layout view, where they are uncovered.
    std::vector<const ui::Control*> tabOrder;
    for (const EntryControlDesign& e : kEntryControls) tabOrder.push_back(&e.control.control(*this));
    tabOrder.insert(tabOrder.end(), {&Combo22, &Combo23, &Combo24, &Combo1, &HScroll1, &VScroll1});
    setTabOrder(tabOrder);

    // Working controls that live on the panel itself.
    struct Working {
        ui::TextBox Vazed::*box;
        const char* name;
        ui::TwipsRect place;
        bool visible;
    };
    // clang-format off
    const Working kWorking[] = {
        {&Vazed::Text43,  "Text43",  {11040, 8400, 735, 285},  false},
        {&Vazed::Text47,  "Text47",  {8520, 9360, 1335, 285},  true},
        {&Vazed::Text48,  "Text48",  {6240, 8400, 735, 285},   false},
        {&Vazed::Text1,   "Text1",   {6480, 8520, 1335, 285},  true},
        {&Vazed::Text100, "Text100", {10440, 8520, 1335, 285}, true},
        {&Vazed::Text46,  "Text46",  {6480, 8400, 1335, 285},  false},
    };
    // clang-format on
    for (const Working& w : kWorking) {
        ui::TextBox& t = this->*w.box;
        t.create(Frame1, QString::fromLatin1(w.name), w.place);
        t.setVisible(w.visible);
    }
    List21.create(Frame1, QStringLiteral("List21"), {8160, 8400, 1215, 255});
    List21.setVisible(false);

    // The hidden store, below the panel's visible height.
    Frame2.create(Frame1, QStringLiteral("Frame2"), {120, 9240, 10455, 4335});
    for (const SavedList& s : kSavedLists) {
        if (s.n == 21) continue;
        const float x = 120 + float((s.n - 1) % 10) * 1000;
        const float y = s.n <= 10 ? 120 : 1200;
        (this->*s.list).create(Frame2, QStringLiteral("List%1").arg(s.n), {x, y, 975, 495});
        (this->*s.temp).create(Frame2, QStringLiteral("Text%1").arg(s.n + 22), {x, y + 600, 975, 285});
    }
    Text23.setMultiLine(true);
    struct Holder {
        ui::PictureBox Vazed::*picture;
        const char* name;
    };
    // clang-format off
    const Holder holders[] = {
        {&Vazed::Image2,   "Image2"},
        {&Vazed::Image3,   "Image3"},
        {&Vazed::Image203, "Image203"},
        {&Vazed::Image202, "Image202"},
        {&Vazed::Image5,   "Image5"},
        {&Vazed::Image6,   "Image6"},
        {&Vazed::Image16,  "Image16"},
        {&Vazed::Image17,  "Image17"},
        {&Vazed::Image19,  "Image19"},
        {&Vazed::Image20,  "Image20"},
        {&Vazed::Image25,  "Image25"},
        {&Vazed::Image26,  "Image26"},
        {&Vazed::Image22,  "Image22"},
        {&Vazed::Image23,  "Image23"},
        {&Vazed::Image11,  "Image11"},
        {&Vazed::Image12,  "Image12"},
        {&Vazed::Image8,   "Image8"},
        {&Vazed::Image9,   "Image9"},
    };
    // clang-format on
    float x = 120;
    for (const Holder& h : holders) {
        (this->*h.picture).create(Frame2, QString::fromLatin1(h.name), {x, 2400, 525, 525});
        x += 560;
    }

    // Design texts: every text box and combo box carries its own name, but Text100 and Combo1.
    for (const Working& w : kWorking)
        if (w.box != &Vazed::Text100) (this->*w.box).setDesignText(QString::fromLatin1(w.name));
    for (const SavedList& s : kSavedLists)
        (this->*s.temp).setDesignText(QStringLiteral("Text%1").arg(s.n == 21 ? 46 : s.n + 22));
}

}  // namespace velmox
