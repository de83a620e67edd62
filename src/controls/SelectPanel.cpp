#include "controls/SelectPanel.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "controls/QVForm.h"
#include "controls/WindowDesign.h"
#include "platform/component/properties.h"
#include "platform/core/dates.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/ui/forms.h"

namespace ktrb {

using namespace plat;

namespace {

const char* const kDefaultChildHints[] = {
    "用户自定输入方式",  "区间选择-起始信息",     "区间选择-起始信息开窗",
    "区间选择-截止信息", "区间选择-截止信息开窗", "多选-己选择的信息",
    "多选-信息开窗",     "多选-删除一笔信息",     "多选-删除己选信息"};

std::string lineOf(const std::vector<std::string>& words, size_t i) {
    return i < words.size() ? words[i] : std::string();
}

int toIntOrZero(const std::string& s) {
    int v = 0;
    return TryStrToInt(Trim(s), v) ? v : 0;
}

// A number written plainly: no exponent, "." always, no trailing zeros.
std::string canonicalDecimal(const std::string& text, double& value) {
    value = 0;
    if (!TryStrToFloat(Trim(text), value) || !std::isfinite(value)) value = 0;
    std::string s = FormatFixed(value, 15);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s += '0';
    }
    return s;
}

// The panel's buttons get disabled images from the base form.
const GlyphButtonsRegistrar<TSelectPanel> kSelectPanelButtons(50, [](TSelectPanel& p) {
    return std::vector<TComponent*>{p.ListButton, p.DeleteButton, p.ClearButton};
});

using P = TSelectPanel;
using design::Field;
using design::kOwn;

// The edits take only a height; the labels and edits find their places
// when the panel lays itself out.
const design::Control kChildren[] = {
    {"HintCheckBox", Field<&P::HintCheckBox>},
    {"RangePanel", Field<&P::RangePanel>, "", {}, " "},
    {"BeginLabel", Field<&P::BeginLabel>, "RangePanel"},
    {"BeginEdit", Field<&P::BeginEdit>, "RangePanel", {kOwn, kOwn, kOwn, 24}},
    {"BeginButton", Field<&P::BeginButton>, "RangePanel", {0, 0, 24, 24}},
    {"EndLabel", Field<&P::EndLabel>, "RangePanel"},
    {"EndEdit", Field<&P::EndEdit>, "RangePanel", {kOwn, kOwn, kOwn, 24}},
    {"EndButton", Field<&P::EndButton>, "RangePanel", {0, 0, 24, 24}},
    {"ListPanel", Field<&P::ListPanel>, "", {}, " "},
    {"ListView", Field<&P::ListView>, "ListPanel"},
    {"ListButton", Field<&P::ListButton>, "ListPanel", {0, 0, 23, 23}},
    {"DeleteButton", Field<&P::DeleteButton>, "ListPanel", {0, 0, 23, 23}},
    {"ClearButton", Field<&P::ClearButton>, "ListPanel", {0, 0, 23, 23}},
};

}  // namespace

// ---- TKelMaskEdit, TKelListView --------------------------------------------------------------

void TKelMaskEdit::Change() {
    if (!SuppressChange) TMaskEdit::Change();
}

void TKelListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && CanFocus()) SetFocus();
    if (button != TMouseButton::mbLeft || Focused()) TListView::MouseDown(button, shift, x, y);
}

// ---- TSelectPanel ----------------------------------------------------------------------------

TSelectPanel::TSelectPanel(TComponent* owner) : TGroupBox(owner) {
    (void)kSelectPanelButtons;
    SetBounds(Left(), Top(), 353, 45);
    hintWord_ = "区间选择";
    beginWords_ = {"起", "起"};
    finalWords_ = {"止", "止"};
    childHints_.assign(std::begin(kDefaultChildHints), std::end(kDefaultChildHints));

    design::Build(this, kChildren);
    HintCheckBox->SetCaption(hintWord_);
    HintCheckBox->SetChecked(true);
    for (TPanel* p : {RangePanel, ListPanel}) {
        p->SetBevelOuter(TBevelCut::bvNone);
        p->SetBevelInner(TBevelCut::bvNone);
    }
    for (TLabel* l : {BeginLabel, EndLabel}) l->SetAutoSize(true);
    for (TKelMaskEdit* e : {BeginEdit, EndEdit}) e->SetText("");
    BeginButton->SetAutoAlign(true);
    EndButton->SetAutoAlign(true);
    ListButton->SetAutoAlign(false);
    ListView->SetViewStyle(TViewStyle::vsReport);
    ListView->SetShowColumnHeaders(false);
    ListView->SetMultiSelect(true);
    ListView->SetRowSelect(true);
    ListView->SetReadOnly(true);
    ListView->ColumnClick = false;
    ListView->HideSelection = false;
    ListView->SetCursor(crHandPoint);
    ListView->SetParentFont(true);
    ListView->SetSortType(TSortType::stNone);
    ListView->OnCompare = TLVCompareEvent(
        [this](TObject*, TListItem* a, TListItem* b, int, int& r) { r = listCompare(a, b); }, this);
    for (auto [button, glyph, numGlyphs] :
         {std::tuple{DeleteButton, 47, 1}, std::tuple{ClearButton, 4, 2}}) {
        button->SetFlat(true);
        button->SetGlyphIndex(glyph);
        button->SetNumGlyphs(numGlyphs);
    }

    for (TControl* c :
         std::initializer_list<TControl*>{HintCheckBox, BeginEdit, BeginButton, EndEdit, EndButton,
                                          ListView, ListButton, DeleteButton, ClearButton})
        c->SetParentShowHint(true);
    applyChildHints();
    routeEvents();
    showStylePanels(style_);
    laidOut_ = true;
    relayout();
}

TSelectPanel::~TSelectPanel() = default;

void TSelectPanel::routeEvents() {
    // Who a child's event names: the edits and the list themselves, the panel
    // for everything else; points in the panel's coordinates.
    auto senderOf = [this](TControl* c) -> TObject* {
        return c == ListView || c == BeginEdit || c == EndEdit ? static_cast<TObject*>(c) : this;
    };
    auto toPanel = [this](TControl* c, int& x, int& y) {
        TPoint p = ScreenToClient(c->ClientToScreen({x, y}));
        x = p.X;
        y = p.Y;
    };
    for (TControl* c : std::initializer_list<TControl*>{
             HintCheckBox, RangePanel, BeginLabel, BeginEdit, BeginButton, EndLabel, EndEdit,
             EndButton, ListPanel, ListView, ListButton, DeleteButton, ClearButton}) {
        c->OnDblClick =
            TNotifyEvent([this, c, senderOf](TObject*) { OnDblClick(senderOf(c)); }, this);
        c->OnMouseDown = TMouseEvent(
            [=, this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
                toPanel(c, x, y);
                OnMouseDown(senderOf(c), b, s, x, y);
            },
            this);
        c->OnMouseUp = TMouseEvent(
            [=, this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
                toPanel(c, x, y);
                OnMouseUp(senderOf(c), b, s, x, y);
            },
            this);
        c->OnMouseMove = TMouseMoveEvent(
            [=, this](TObject*, TShiftState s, int x, int y) {
                toPanel(c, x, y);
                OnMouseMove(senderOf(c), s, x, y);
            },
            this);
    }
    // Clicks: the child's own action, then the panel's event.
    auto click = [this, senderOf](TControl* c, std::function<void()> action) {
        c->OnClick = TNotifyEvent(
            [this, c, senderOf, action](TObject*) {
                if (action) action();
                OnClick(senderOf(c));
            },
            this);
    };
    click(HintCheckBox, [this] { HintCheckBoxClick(); });
    click(BeginButton, [this] { OpenWinButtonClick(BeginButton); });
    click(EndButton, [this] { OpenWinButtonClick(EndButton); });
    click(ListButton, [this] { OpenWinButtonClick(ListButton); });
    click(DeleteButton, [this] { DeleteClick(); });
    click(ClearButton, [this] { ClearClick(); });
    for (TControl* c : std::initializer_list<TControl*>{RangePanel, BeginLabel, BeginEdit, EndLabel,
                                                        EndEdit, ListPanel, ListView})
        click(c, nullptr);
    for (TWinControl* c :
         std::initializer_list<TWinControl*>{HintCheckBox, BeginEdit, EndEdit, ListView}) {
        c->OnKeyDown = TKeyEvent(
            [this](TObject* s, uint16_t& k, TShiftState sh) { OnKeyDown(s, k, sh); }, this);
        c->OnKeyUp =
            TKeyEvent([this](TObject* s, uint16_t& k, TShiftState sh) { OnKeyUp(s, k, sh); }, this);
        c->OnKeyPress = TKeyPressEvent([this](TObject* s, char32_t& k) { OnKeyPress(s, k); }, this);
    }
    ListView->OnSelectItem = Event<TObject*, TListItem*, bool>(
        [this](TObject* s, TListItem* item, bool selected) {
            OnItemSelect(s, item, item ? item->Index() : -1, selected);
        },
        this);
    ListView->OnChange = Event<TObject*, TListItem*, TItemChange>(
        [this](TObject* s, TListItem* item, TItemChange ch) { OnItemChange(s, item, ch); }, this);
}

// ---- style and layout ----------------------------------------------------------------------

bool TSelectPanel::IsRangeShown() const {
    return style_ == TSelectStyle::sp_Range ||
           (style_ == TSelectStyle::sp_UserChoice && HintCheckBox->Checked());
}

void TSelectPanel::SetStyle(TSelectStyle v) {
    bool accept = true;
    OnStyleChanging(this, style_, v, accept);
    if (!accept) return;
    showStylePanels(v);
    const TSelectStyle old = style_;
    if (old != v && (old == TSelectStyle::sp_Range || v == TSelectStyle::sp_Range) && !useVertical_)
        swapOtherSize();
    layoutFor(v);
    OnStyleChange(this, old, v);
    // Handlers of both events still read the old style.
    style_ = v;
    // The labels show the line of the layout now in use.
    if (beginWords_.size() >= 2) SetBeginWords(std::vector<std::string>(beginWords_));
    if (finalWords_.size() >= 2) SetFinalWords(std::vector<std::string>(finalWords_));
}

void TSelectPanel::showStylePanels(TSelectStyle s) {
    HintCheckBox->SetVisible(s == TSelectStyle::sp_UserChoice);
    bool range =
        s == TSelectStyle::sp_Range || (HintCheckBox->Visible() && HintCheckBox->Checked());
    RangePanel->SetVisible(range);
    ListPanel->SetVisible(!range);
}

void TSelectPanel::swapOtherSize() {
    int w = Width(), h = Height();
    SetBounds(Left(), Top(), OtherWidth, OtherHeight);
    OtherWidth = w;
    OtherHeight = h;
}

void TSelectPanel::relayout() {
    if (!laidOut_) return;
    sizeHintCheckBox();
    layoutFor(style_);
}

void TSelectPanel::layoutFor(TSelectStyle s) {
    switch (s) {
        case TSelectStyle::sp_Range:
            HintCheckBox->Hide();
            placeRangePanel();
            useVertical_ ? layoutRangeVertical() : layoutRangeHorizontal();
            break;
        case TSelectStyle::sp_Discrete:
            HintCheckBox->Hide();
            placeListPanel();
            layoutList();
            break;
        case TSelectStyle::sp_UserChoice:
            HintCheckBox->Show();
            placeUserChoicePanels();
            layoutRangeVertical();
            layoutList();
            break;
    }
}

void TSelectPanel::sizeHintCheckBox() {
    TSize t = MeasureText(HintCheckBox->Font()->Data(), HintCheckBox->Caption());
    HintCheckBox->SetWidth(t.cx + 24);
    HintCheckBox->SetHeight(t.cy + 2);
}

void TSelectPanel::placePanels(TPanel* front, TPanel* back, int top) {
    const int b = front->BevelWidth();
    front->BringToFront();
    back->SendToBack();
    front->SetBounds(2, top, Width() - 2 - b - 2, Height() - top - b - 2);
    back->SetBounds(front->Left(), front->Top(), front->Width(), front->Height());
}

void TSelectPanel::placeRangePanel() {
    HintCheckBox->SendToBack();
    placePanels(RangePanel, ListPanel, FontTextHeight(Font()->Data()) + 3);
}

void TSelectPanel::placeListPanel() {
    HintCheckBox->SendToBack();
    placePanels(ListPanel, RangePanel, FontTextHeight(Font()->Data()) + 3);
}

void TSelectPanel::placeUserChoicePanels() {
    HintCheckBox->BringToFront();
    HintCheckBox->SetBounds(16, FontTextHeight(Font()->Data()) + 1, HintCheckBox->Width(),
                            HintCheckBox->Height());
    TPanel* chosen = userChoice_ ? RangePanel : ListPanel;
    TPanel* other = userChoice_ ? ListPanel : RangePanel;
    chosen->BringToFront();
    other->SendToBack();
    int top = FontTextHeight(HintCheckBox->Font()->Data()) + HintCheckBox->Top() + 2;
    chosen->SetBounds(2, top, Width() - 2 - 2, Height() - top - 2);
    other->SetBounds(2, top, Width() - 2 - 2, Height() - top - 2);
}

void TSelectPanel::layoutRangeHorizontal() {
    TPanel* p = RangePanel;
    BeginLabel->SetCaption(lineOf(beginWords_, 0));
    EndLabel->SetCaption(lineOf(finalWords_, 0));
    const int top = (p->Height() - BeginEdit->Height()) / 2;
    BeginLabel->SetBounds(2, top, BeginLabel->Width(), BeginLabel->Height());
    const int rest = p->Width() - BeginLabel->Left() - BeginLabel->Width() - 2;
    int width;
    if (canOpenWin_)
        width =
            (rest - BeginButton->Width() - 2 - EndLabel->Width() - 2 - EndButton->Width() - 2) / 2 -
            1;
    else
        width = (rest - EndLabel->Width() - 2) / 2 - 1;
    width = std::max(width, 0);
    BeginEdit->SetBounds(BeginLabel->Left() + BeginLabel->Width() + 1, top, width,
                         BeginEdit->Height());
    const int beginRight = BeginEdit->Left() + BeginEdit->Width();
    BeginButton->SetBounds(beginRight + 2, top, BeginButton->Width(), BeginButton->Height());
    int endLabelLeft =
        canOpenWin_ ? BeginButton->Left() + BeginButton->Width() + 2 : beginRight + 4;
    EndLabel->SetBounds(endLabelLeft, top, EndLabel->Width(), EndLabel->Height());
    EndEdit->SetBounds(EndLabel->Left() + EndLabel->Width() + 2, top, width, EndEdit->Height());
    EndButton->SetBounds(EndEdit->Left() + EndEdit->Width() + 2, top, EndButton->Width(),
                         EndButton->Height());
}

void TSelectPanel::layoutRangeVertical() {
    TPanel* p = RangePanel;
    BeginLabel->SetCaption(lineOf(beginWords_, 1));
    EndLabel->SetCaption(lineOf(finalWords_, 1));
    const int a = (p->Height() - BeginEdit->Height() - EndEdit->Height()) / 3;
    BeginLabel->SetBounds(2, a, BeginLabel->Width(), BeginLabel->Height());
    const int left = BeginLabel->Left() + BeginLabel->Width() + 2;
    int width = canOpenWin_ ? p->Width() - BeginLabel->Left() - BeginLabel->Width() -
                                  BeginButton->Width() - 4
                            : p->Width() - BeginLabel->Left() - BeginLabel->Width() - 2;
    width = std::max(width, 0);
    BeginEdit->SetBounds(left, a, width, BeginEdit->Height());
    BeginButton->SetBounds(left + width + 1, a, BeginButton->Width(), BeginButton->Height());
    const int endTop = a + BeginLabel->Top() + BeginEdit->Height();
    EndLabel->SetBounds(2, endTop, EndLabel->Width(), EndLabel->Height());
    EndEdit->SetBounds(left, endTop, width, EndEdit->Height());
    EndButton->SetBounds(BeginButton->Left(), endTop, EndButton->Width(), EndButton->Height());
}

void TSelectPanel::layoutList() {
    TPanel* l = ListPanel;
    const int width = std::max(0, l->Width() - ListView->Left() - ListButton->Width() - 3);
    ListView->SetBounds(ListView->Left(), 0, width, l->Height());
    ListButton->SetBounds(width + 2, ListView->Top(), ListButton->Width(), ListButton->Height());
    DeleteButton->SetBounds(ListButton->Left(), ListButton->Top() + ListButton->Height(),
                            DeleteButton->Width(), DeleteButton->Height());
    ClearButton->SetBounds(ListButton->Left(), DeleteButton->Top() + DeleteButton->Height(),
                           ClearButton->Width(), ClearButton->Height());
}

void TSelectPanel::Resize() {
    TGroupBox::Resize();
    relayout();
}

void TSelectPanel::FontChanged() {
    TGroupBox::FontChanged();
    relayout();
}

// ---- properties ----------------------------------------------------------------------------

void TSelectPanel::SetHintWord(const std::string& v) {
    HintCheckBox->SetCaption(v);
    sizeHintCheckBox();
    hintWord_ = v;
}

void TSelectPanel::wordsChanged(TLabel* label, const std::vector<std::string>& words) {
    if (words.empty()) return;
    if (words.size() == 1)
        label->SetCaption(words[0]);
    else
        label->SetCaption(style_ == TSelectStyle::sp_UserChoice ? words[1] : words[0]);
    relayout();
}

void TSelectPanel::SetBeginWords(const std::vector<std::string>& v) {
    beginWords_.assign(v.begin(), v.begin() + std::min<size_t>(v.size(), 2));
    wordsChanged(BeginLabel, beginWords_);
}

void TSelectPanel::SetFinalWords(const std::vector<std::string>& v) {
    finalWords_.assign(v.begin(), v.begin() + std::min<size_t>(v.size(), 2));
    wordsChanged(EndLabel, finalWords_);
}

void TSelectPanel::SetUserChoice(bool v) {
    if (style_ != TSelectStyle::sp_UserChoice) return;
    HintCheckBox->SetChecked(v);
    HintCheckBoxClick();
}

void TSelectPanel::SetUseVertical(bool v) {
    if (v == useVertical_ || style_ != TSelectStyle::sp_Range) return;
    useVertical_ = v;
    swapOtherSize();
    relayout();
}

void TSelectPanel::SetCanOpenWin(bool v) {
    if (v == canOpenWin_) return;
    canOpenWin_ = v;
    for (TF2Button* b : {ListButton, BeginButton, EndButton}) b->SetVisible(v);
    relayout();
}

void TSelectPanel::SetGlyphIndex(int v) {
    if (v == glyphIndex_) return;
    BeginButton->SetGlyphIndex(v);
    if (!BeginButton->Glyph()->Empty()) {
        EndButton->SetGlyphIndex(BeginButton->GlyphIndex());
        ListButton->SetGlyphIndex(BeginButton->GlyphIndex());
        glyphIndex_ = v;
        return;
    }
    for (TF2Button* b : {BeginButton, EndButton, ListButton}) b->SetGlyphIndex(0);
}

void TSelectPanel::SetEditMask(const std::string& v) {
    editMask_ = v;
    BeginEdit->SuppressChange = true;
    std::string saved = BeginEdit->Text();
    BeginEdit->SetText("");
    BeginEdit->SetEditMask(v);
    EndEdit->SetEditMask(v);
    emptyMaskText_ = BeginEdit->EditText();
    BeginEdit->SetText(saved);
    BeginEdit->SuppressChange = false;
}

void TSelectPanel::SetChildHints(const std::vector<std::string>& v) {
    if (!v.empty()) childHints_ = v;
    applyChildHints();
}

void TSelectPanel::applyChildHints() {
    TControl* order[] = {HintCheckBox, BeginEdit,  BeginButton,  EndEdit,    EndButton,
                         ListView,     ListButton, DeleteButton, ClearButton};
    for (size_t k = 0; k < std::size(order) && k < childHints_.size(); ++k)
        order[k]->SetHint(childHints_[k]);
}

void TSelectPanel::SetCheckDuplicate(TCheckDuplicate v) {
    if (v != TCheckDuplicate::cd_None) SetSortListBox(true);
    checkDuplicate_ = v;
    if (!IsRangeShown()) RemoveDuplicates();
}

void TSelectPanel::SetSortListBox(bool v) {
    sortListBox_ = v;
    ListView->SetSortType(v ? TSortType::stBoth : TSortType::stNone);
}

std::vector<std::string> TSelectPanel::ColumnCaptions() const {
    std::vector<std::string> out;
    for (int i = 0; i < ListView->Columns()->Count(); ++i)
        out.push_back(ListView->Columns()->Items(i)->Caption());
    return out;
}

void TSelectPanel::SetColumnCaptions(const std::vector<std::string>& v) {
    ListView->Columns()->Clear();
    for (const std::string& caption : v) {
        TListColumn* c = ListView->Columns()->Add();
        c->SetCaption(caption);
        c->SetWidth(-1);
    }
}

void TSelectPanel::SetFocus() {
    TGroupBox::SetFocus();
    if (!IsRangeShown() && ListView->CanFocus()) ListView->SetFocus();
}

void TSelectPanel::SetEnabled(bool v) {
    TGroupBox::SetEnabled(v);
    enabled_ = v;
    std::function<void(TWinControl*)> enableChildren = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            c->SetEnabled(v);
            if (auto* w = dynamic_cast<TWinControl*>(c); w && w->ControlCount() > 0)
                enableChildren(w);
        }
    };
    enableChildren(this);
}

// ---- buttons -------------------------------------------------------------------------------

void TSelectPanel::OpenWinButtonClick(TF2Button* button) {
    TWinControl* target = button == ListButton    ? static_cast<TWinControl*>(ListView)
                          : button == BeginButton ? static_cast<TWinControl*>(BeginEdit)
                                                  : static_cast<TWinControl*>(EndEdit);
    if (target->CanFocus()) target->SetFocus();
    if (TCustomForm* f = OwningForm(this)) SendMessage(f->Handle(), WM_F2KEY, 0, LParamOf(target));
    OnOpenWinClick(this, target);
}

void TSelectPanel::DeleteClick() {
    bool accept = true;
    OnDeleteClick(DeleteButton, accept);
    if (!accept) return;
    TListItems* items = ListView->Items();
    items->BeginUpdate();
    for (int i = items->Count() - 1; i >= 0; --i)
        if (items->Item(i)->Selected()) items->Delete(i);
    items->EndUpdate();
}

void TSelectPanel::ClearClick() {
    ListView->Items()->Clear();
    if (ListView->CanFocus()) ListView->SetFocus();
    OnClearClick(ClearButton);
}

void TSelectPanel::HintCheckBoxClick() {
    if (style_ != TSelectStyle::sp_UserChoice) return;
    userChoice_ = HintCheckBox->Checked();
    placeUserChoicePanels();
    showStylePanels(style_);
    OnTypeClick(this);
}

// ---- list order ----------------------------------------------------------------------------

void TSelectPanel::ListColumnClick(int column) {
    if (column == SortColumn) {
        SortAscending = !SortAscending;
    } else {
        SortColumn = column;
        SortAscending = true;
    }
    ListView->CustomSort([this](TListItem* a, TListItem* b, intptr_t) { return listCompare(a, b); },
                         0);
}

int TSelectPanel::listCompare(TListItem* a, TListItem* b) const {
    auto textOf = [](TListItem* item, int column) {
        if (column == 0) return item->Caption();
        TControlStrings* sub = item->SubItems();
        return column - 1 < sub->Count() ? (*sub)[column - 1] : std::string();
    };
    int r = AnsiCompareText(textOf(a, SortColumn), textOf(b, SortColumn));
    // Ties: a sub-item column falls back to the caption, the caption to sub-item 0.
    if (r == 0) {
        int next = SortColumn == 0 ? 1 : 0;
        r = AnsiCompareText(textOf(a, next), textOf(b, next));
    }
    return SortAscending ? r : -r;
}

void TSelectPanel::RemoveDuplicates() {
    if (checkDuplicate_ == TCheckDuplicate::cd_None) return;
    TListItems* items = ListView->Items();
    auto key = [this](TListItem* item) {
        return checkDuplicate_ == TCheckDuplicate::cd_CaseInsensitive
                   ? AnsiUpperCase(item->Caption())
                   : item->Caption();
    };
    items->BeginUpdate();
    for (int i = items->Count() - 1; i >= 1; --i)
        if (key(items->Item(i)) == key(items->Item(i - 1))) items->Delete(i);
    items->EndUpdate();
}

// ---- leaving the panel ---------------------------------------------------------------------

double TSelectPanel::ParseDateText(const std::string& text) const {
    std::string s = Trim(text);
    if (s.empty() || s == Trim(emptyMaskText_) || DateSign.empty()) return 0;
    size_t n = 0;
    for (size_t p = s.find(DateSign); p != std::string::npos; p = s.find(DateSign, p + 1)) ++n;
    if (n == 1) {
        switch (DateType) {
            case TDateType::dt_YYYYMMDD:
            case TDateType::dt_YYMMDD:
            case TDateType::dt_YYYMMDD:
                s += DateSign + "01";
                break;
            case TDateType::dt_MMDDYYYY:
                s = s.substr(0, 2) + DateSign + "01" + s.substr(std::min<size_t>(2, s.size()), 5);
                break;
            case TDateType::dt_DDMMYYYY:
                s = "01" + DateSign + s;
                break;
            case TDateType::dt_NoneCare:
                break;
        }
    } else if (n != 2) {
        return 0;
    }
    std::vector<int> parts;
    for (int k = 0; k < 3; ++k) {
        size_t p = s.find(DateSign);
        std::string part = p == std::string::npos ? s : s.substr(0, p);
        s = p == std::string::npos ? std::string() : s.substr(p + DateSign.size());
        int v = 0;
        if (!TryStrToInt(Trim(part), v)) return 0;
        parts.push_back(v);
    }
    int y = 0, m = 0, d = 0;
    switch (DateType) {
        case TDateType::dt_YYYYMMDD:
            y = parts[0], m = parts[1], d = parts[2];
            break;
        case TDateType::dt_MMDDYYYY:
            y = parts[2], m = parts[0], d = parts[1];
            break;
        case TDateType::dt_DDMMYYYY:
            y = parts[2], m = parts[1], d = parts[0];
            break;
        case TDateType::dt_YYMMDD:
        case TDateType::dt_YYYMMDD:
            y = parts[0] + 1911, m = parts[1], d = parts[2];
            break;
        case TDateType::dt_NoneCare:
            return 0;
    }
    TDateTime date = 0;
    return TryEncodeDate(y, m, d, date) ? date : 0;
}

void TSelectPanel::orderRange() {
    std::string a = BeginEdit->Text(), b = EndEdit->Text();
    if (!BeginEdit->EditMask().starts_with("!")) {
        a = Trim(a);
        b = Trim(b);
        BeginEdit->SetText(a);
        EndEdit->SetText(b);
    }
    if (a.empty() || b.empty()) return;
    auto placeholders = [&] {
        if (a == emptyMaskText_ || b == emptyMaskText_) return true;
        return UseDiscard && (Trim(a) == Discard || Trim(b) == Discard);
    };
    bool swap = false;
    switch (ValueType) {
        case TValueType::vt_Number:
            swap = toIntOrZero(b) < toIntOrZero(a);
            break;
        case TValueType::vt_Float: {
            double x = 0, y = 0;
            a = canonicalDecimal(a, x);
            b = canonicalDecimal(b, y);
            BeginEdit->SetText(a);
            EndEdit->SetText(b);
            swap = y < x;
            break;
        }
        case TValueType::vt_String:
        case TValueType::vt_Time:
            swap = !placeholders() && a > b;
            break;
        case TValueType::vt_Date:
            if (!AutoChangeDateSite || placeholders()) break;
            swap = DateType == TDateType::dt_NoneCare ? a > b : ParseDateText(a) > ParseDateText(b);
            break;
        case TValueType::vt_OtherMask:
            break;
    }
    if (!swap) return;
    BeginEdit->SetText(b);
    EndEdit->SetText(a);
}

void TSelectPanel::DoExit() {
    try {
        orderRange();
    } catch (...) {
        TGroupBox::DoExit();
        throw;
    }
    TGroupBox::DoExit();
}

// ---- published properties ------------------------------------------------------------------

PLAT_PUBLISH(TSelectPanel) {
    using P = TSelectPanel;
    p.Prop("Style", &P::Style, &P::SetStyle);
    p.Prop("HintWord", &P::HintWord, &P::SetHintWord);
    p.Strings(
        "BeginWords", [](P& s) { return s.BeginWords(); },
        [](P& s, const std::vector<std::string>& v) { s.SetBeginWords(v); });
    p.Strings(
        "FinalWords", [](P& s) { return s.FinalWords(); },
        [](P& s, const std::vector<std::string>& v) { s.SetFinalWords(v); });
    p.Prop("UserChoice", &P::UserChoice, &P::SetUserChoice);
    p.Prop("UseVertical", &P::UseVertical, &P::SetUseVertical);
    p.Prop("OtherWidth", &P::OtherWidth);
    p.Prop("OtherHeight", &P::OtherHeight);
    p.Prop("CanOpenWin", &P::CanOpenWin, &P::SetCanOpenWin);
    p.Prop("GlyphIndex", &P::GlyphIndex, &P::SetGlyphIndex);
    p.Prop("EditMask", &P::EditMask, &P::SetEditMask);
    p.Prop("ValueType", &P::ValueType);
    p.Prop("DateType", &P::DateType);
    p.Prop("DateSign", &P::DateSign);
    p.Prop("AutoChangeDateSite", &P::AutoChangeDateSite);
    p.Prop("Discard", &P::Discard);
    p.Prop("UseDiscard", &P::UseDiscard);
    p.Strings(
        "ChildHints", [](P& s) { return s.ChildHints(); },
        [](P& s, const std::vector<std::string>& v) { s.SetChildHints(v); });
    p.Prop("CheckDuplicate", &P::CheckDuplicate, &P::SetCheckDuplicate);
    p.Prop("SortListBox", &P::SortListBox, &P::SetSortListBox);
    p.Strings(
        "ColumnCaptions", [](P& s) { return s.ColumnCaptions(); },
        [](P& s, const std::vector<std::string>& v) { s.SetColumnCaptions(v); });
    p.Prop(
        "ShowColumnHeader", [](P& s) { return s.ListView->ShowColumnHeaders(); },
        [](P& s, bool v) { s.ListView->SetShowColumnHeaders(v); });
    p.Prop(
        "HideSelection", [](P& s) { return s.ListView->HideSelection; },
        [](P& s, bool v) { s.ListView->HideSelection = v; });
    p.Prop(
        "ColumnsAutoSize", [](P& s) { return s.ListView->ColumnsAutoSize; },
        [](P& s, bool v) { s.ListView->ColumnsAutoSize = v; });
    p.Prop("OnTypeClick", &P::OnTypeClick);
    p.Prop("OnClearClick", &P::OnClearClick);
    p.Prop("OnOpenWinClick", &P::OnOpenWinClick);
    p.Prop("OnDeleteClick", &P::OnDeleteClick);
    p.Prop("OnStyleChanging", &P::OnStyleChanging);
    p.Prop("OnStyleChange", &P::OnStyleChange);
    p.Prop("OnItemSelect", &P::OnItemSelect);
    p.Prop("OnItemChange", &P::OnItemChange);
    p.Prop("OnItemChanging", &P::OnItemChanging);
}

PLAT_PUBLISH(TKelMaskEdit) {
    p.Prop("SuppressChange", &TKelMaskEdit::SuppressChange);
}

PLAT_PUBLISH(TKelListView) {
    p.Prop("ColumnsAutoSize", &TKelListView::ColumnsAutoSize);
}

PLAT_PUBLISH(TKelCheckBox) {}

}  // namespace ktrb
