#pragma once
// The main window: the 47 field labels on the window surface (the printed page), the notice label
// and the layout editor's scroll bars behind them, and the entry panel Frame1 above everything,
// with the entry controls, the font row, the toolbar and the hidden working controls that hold the
// window's state.
#include <memory>
#include <optional>
#include <vector>

#include "common/text_file.h"
#include "platform/controls.h"
#include "platform/single_instance.h"

namespace savedlists {
class ListFile;
}

namespace velmox {

struct PrintField;

class Vazed : public ui::Form {
public:
    Vazed();
    ~Vazed() override;

    // The program's start: the load (through the first access to the window), then the language.
    // False when the program has ended instead (a second copy, or no layout workbook).
    static bool Form_Initialize();
    // Starts reading the saved skin's pictures while the window is built.
    static void PrefetchSkinPictures();

    // The entry-state save: last values, the caller's work, then the 21 merges.
    void SaveEntryState(const std::function<void()>& between = {});
    // Every entry control's text into its field label, as restored values need.
    void MirrorEntries();
    void PlaceFieldLabels();
    void FillFontLists();
    // The 47 values "2.txt" keeps, as the boxes hold them now.
    QStringList currentLastValues() const;
    void ApplyFontRow();
    void ApplyFontName();
    void ApplyFontStyle();
    void ApplyFontSize();
    void LoadLayoutWorkbook();
    void ExportLayoutWorkbook();
    void LoadSavedValueLists();
    void MergeSavedValueList(int n);
    void WriteLastValues();
    void ReadLastValues();
    // Whether the start-up found a usable layout workbook; without one the close writes nothing.
    bool layoutLoaded() const { return layoutLoaded_; }

    // On the window surface, bottom first.
    ui::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10, Label11,
        Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19, Label20, Label21, Label22,
        Label23, Label24, Label25, Label26, Label27, Label28, Label29, Label30, Label31, Label32, Label33,
        Label34, Label35, Label36, Label37, Label38, Label39, Label40, Label41, Label42, Label43, Label44,
        Label76, Label78, Label79;
    ui::Label Label46;
    ui::HScrollBar HScroll1;
    ui::VScrollBar VScroll1;
    ui::Frame Frame1;

    // The entry panel: font row, student picker, toolbar.
    ui::ComboBox Combo22, Combo23, Combo24;
    ui::ComboBox Combo1;
    ui::PictureBox Image1, Image201, Image4, Image15, Image18, Image24, Image21, Image10, Image7;
    // Entry controls.
    ui::TextBox Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12, Text13,
        Text14, Text15, Text16, Text17, Text18, Text19, Text20, Text21, Text22, Text44, Text45;
    ui::ComboBox Combo2, Combo3, Combo4, Combo5, Combo6, Combo7, Combo8, Combo9, Combo10, Combo11, Combo12,
        Combo13, Combo14, Combo15, Combo16, Combo17, Combo18, Combo19, Combo20, Combo21, Combo25;
    // Caption labels.
    ui::Label Label45, Label47, Label48, Label49, Label50, Label51, Label52, Label53, Label54, Label55,
        Label56, Label57, Label58, Label59, Label60, Label62, Label63, Label64, Label65, Label66, Label67,
        Label68, Label69, Label70, Label71, Label72, Label73, Label74, Label75, Label77;
    // Grey lines and brackets.
    std::vector<std::unique_ptr<ui::Line>> Lines;
    // Hidden working controls.
    ui::TextBox Text43, Text47, Text48, Text1, Text100, Text46;
    ui::ListBox List21;
    ui::Frame Frame2;
    ui::ListBox List1, List2, List3, List4, List5, List6, List7, List8, List9, List10, List11, List12, List13,
        List14, List15, List16, List17, List18, List19, List20;
    ui::TextBox Text23, Text24, Text25, Text26, Text27, Text28, Text29, Text30, Text31, Text32, Text33,
        Text34, Text35, Text36, Text37, Text38, Text39, Text40, Text41, Text42;
    ui::PictureBox Image2, Image3, Image203, Image202, Image5, Image6, Image16, Image17, Image19, Image20,
        Image25, Image26, Image22, Image23, Image11, Image12, Image8, Image9;

    // Entry controls: each mirrors its text into its field label.
    void bindMirrors();

    // Font row.
    void bindFontRow();
    void Combo22_Change();
    void Combo22_Click();
    void Combo23_Click();
    void Combo24_Click();
    void FontRow_KeyPress(std::int16_t& keyAscii);

    // Language box and outline flag.
    void bindLanguage();
    void Text43_Change();
    void Text48_Change();

    // Skin and toolbar buttons.
    void bindToolbar();
    void Text47_Change();
    void Frame1_MouseMove(const ui::MouseArgs& a);
    void Image1_MouseDown(const ui::MouseArgs& a);
    void Image1_MouseMove(const ui::MouseArgs& a);
    void Image201_MouseDown(const ui::MouseArgs& a);
    void Image201_MouseMove(const ui::MouseArgs& a);
    void Image4_MouseDown(const ui::MouseArgs& a);
    void Image4_MouseMove(const ui::MouseArgs& a);
    void Image15_MouseDown(const ui::MouseArgs& a);
    void Image15_MouseMove(const ui::MouseArgs& a);
    void Image18_MouseDown(const ui::MouseArgs& a);
    void Image18_MouseMove(const ui::MouseArgs& a);
    void Image24_MouseDown(const ui::MouseArgs& a);
    void Image24_MouseMove(const ui::MouseArgs& a);
    void Image21_MouseDown(const ui::MouseArgs& a);
    void Image21_MouseMove(const ui::MouseArgs& a);
    void Image10_MouseDown(const ui::MouseArgs& a);
    void Image10_MouseMove(const ui::MouseArgs& a);
    void Image7_MouseDown(const ui::MouseArgs& a);
    void Image7_MouseMove(const ui::MouseArgs& a);
    void Image7_Click();

    // Student picker, print and student base buttons.
    void bindStudentBase();
    void Image1_Click();
    void Combo1_Click();
    void Image201_Click();
    void Image4_Click();

    // "Редактировать": the entry-state save, then the saved value list editor in place of this window.
    void bindEditAction();
    void Image24_Click();

    // Layout view: "Блок" and "Открыть".
    void bindLayoutView();
    void Image15_Click();
    void Image18_Click();

    // Field layout editor: a click on a field label selects its field, the two bars move it, and
    // the font caption drags the window.
    void bindLayoutEditor();
    void SelectField(const PrintField& field);
    void HScroll1_Change();
    void HScroll1_Scroll();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Label73_MouseDown(const ui::MouseArgs& a);
    void Label73_MouseMove(const ui::MouseArgs& a);
    void Label73_MouseUp(const ui::MouseArgs& a);

    // Settings and help buttons.
    void bindSettings();
    void Image10_Click();
    void Image21_Click();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void buildControls();
    void bindHandlers();
    // MergeSavedValueList in two halves around its write, so that a save can write the lists together.
    // WriteLastValues up to its write.
    std::optional<textfile::EncodedFile> prepareLastValues();
    struct ListMerge;
    std::optional<ListMerge> prepareMerge(int n);
    void finishMerge(const ListMerge& merge);

    std::unique_ptr<ui::InstanceLock> instanceLock_;
    bool layoutLoaded_ = false;
    // The drag by the font caption: the window's place as the drag last set it, the press point
    // inside Label73, and whether a drag is under way.
    struct WindowDrag {
        ui::Twips left, top, pressX, pressY;
        bool dragging = false;
    } drag_;
    // The start found "2.txt" but could not read it: this run must not write its empty values over it.
    bool lastValuesUnread_ = false;
    // The start found "2.txt" held by another program: the values it left in the boxes, which the next
    // save replaces by the file's where the operator has not changed them since.
    std::optional<QStringList> lastValuesBusy_;
    // One for each saved value list, by its number less one.
    std::unique_ptr<savedlists::ListFile[]> listFiles_;
};

// A text box or a combo box: the two kinds of entry control, read and written by text.
struct EntryRef {
    ui::TextBox Vazed::*text = nullptr;
    ui::ComboBox Vazed::*combo = nullptr;
    const QString& get(const Vazed& v) const { return text ? (v.*text).text() : (v.*combo).text(); }
    void set(Vazed& v, const QString& t) const {
        if (text)
            (v.*text).setText(t);
        else
            (v.*combo).setText(t);
    }
    const ui::Control& control(const Vazed& v) const {
        return text ? static_cast<const ui::Control&>(v.*text) : v.*combo;
    }
    bool operator==(const EntryRef&) const = default;
};
constexpr EntryRef text(ui::TextBox Vazed::*t) {
    return {t, nullptr};
}
constexpr EntryRef combo(ui::ComboBox Vazed::*c) {
    return {nullptr, c};
}

enum class FieldFont { Default, Italic975, Upright975, Upright9 };

// One print field: its row of the field position table, its key, its label, the entry control that
// feeds it, and the label's design.
struct PrintField {
    int row;
    const char* key;
    ui::Label Vazed::*label;
    EntryRef entry;
    ui::TwipsRect design;
    FieldFont font;
    ui::Alignment alignment;
    bool autoSize;
};
extern const PrintField kPrintFields[47];
QString fieldLabelName(const PrintField& f);

// One saved value list: its number, entry combo box, hidden value list and temp box.
struct SavedList {
    int n;
    ui::ComboBox Vazed::*combo;
    ui::ListBox Vazed::*list;
    ui::TextBox Vazed::*temp;
};
extern const SavedList kSavedLists[21];
// The 47 lines of the last-values file, in order.
extern const EntryRef kLastValueLines[47];

}  // namespace velmox
