#include "controls/FCheckListBox.h"

#include <algorithm>
#include <unordered_set>

#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/ui/keys.h"

namespace ktrb {

using plat::TColor;
using plat::TRect;

namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlack = 0;
// Codes of the symbol font.
constexpr char32_t kBox = 0xA8, kCross = 0xFE, kUp = 0xE9, kDown = 0xEA;

struct Glyph {
    char32_t code;
    TColor color;
};

// The glyph of a check style and state; code 0 for none.
Glyph glyphOf(int style, bool checked) {
    const Glyph cross{kCross, kRed}, box{kBox, kBlack}, up{kUp, kRed}, down{kDown, kBlack};
    switch (style) {
        case 1:
            return checked ? cross : box;
        case 2:
            return checked ? box : cross;
        case 3:
            return checked ? up : down;
        case 4:
            return checked ? down : up;
        default:
            return {0, kBlack};
    }
}

}  // namespace

TFCheckListBox::TFCheckListBox(plat::TComponent* owner) : plat::TCustomListBox(owner) {
    SetStyle(plat::TListBoxStyle::lbOwnerDrawFixed);
    Font()->SetName("宋体");
    Font()->SetSize(11);
    SetItemHeight(24);
}

TFCheckListBox::~TFCheckListBox() = default;

TCheck* TFCheckListBox::checkOf(int index) {
    if (index < 0 || index >= Items()->Count()) return nullptr;
    auto* check = static_cast<TCheck*>(Items()->Objects(index));
    if (check) return check;
    // Drop the checks of deleted rows before the pool outgrows the list.
    if (checks_.size() > 2 * static_cast<size_t>(Items()->Count()) + 16) {
        std::unordered_set<void*> live;
        for (int i = 0; i < Items()->Count(); ++i) live.insert(Items()->Objects(i));
        std::erase_if(checks_, [&](const auto& c) { return !live.count(c.get()); });
    }
    checks_.push_back(std::make_unique<TCheck>());
    Items()->SetObjects(index, checks_.back().get());
    return checks_.back().get();
}

bool TFCheckListBox::GetChecked(int index) {
    TCheck* check = checkOf(index);
    return check && check->Checked;
}

void TFCheckListBox::SetChecked(int index, bool value) {
    TCheck* check = checkOf(index);
    if (!check) return;
    check->Checked = value;
    Invalidate();
    DoCheck(index);
}

void TFCheckListBox::DoCheck(int index) {
    if (OnCheck) OnCheck(this, index);
}

void TFCheckListBox::SetBarColor(TColor v) {
    if (v == barColor_) return;
    barColor_ = v;
    Invalidate();
}

void TFCheckListBox::SetBoxSize(int v) {
    if (v == boxSize_) return;
    boxSize_ = v < ItemHeight() ? v : ItemHeight();
    Invalidate();
}

void TFCheckListBox::SetCheckStyle(int v) {
    if (v == checkStyle_) return;
    checkStyle_ = v;
    Invalidate();
}

TRect TFCheckListBox::CheckBoxRect(const TRect& item) const {
    int top = item.Top + (ItemHeight() - boxSize_) / 2;
    return TRect(4, top, boxSize_ + 4, top + boxSize_);
}

void TFCheckListBox::DrawItemTo(plat::TCanvas& canvas, int index, const TRect& r,
                                plat::TOwnerDrawState state) {
    const bool selected = state.Contains(plat::TOwnerDrawStateItem::odSelected);
    canvas.Font.Assign(*Font());
    canvas.Brush.Color = selected ? barColor_ : Color();
    if (selected) canvas.Font.SetColor(plat::clHighlightText);
    canvas.FillRect(r);
    const std::string text = index >= 0 && index < Items()->Count() ? (*Items())[index] : "";
    const int y = r.Top + (ItemHeight() + Font()->Height()) / 2;
    if (checkStyle_ <= 0) {
        canvas.TextOut(r.Left + 8, y, text);
    } else {
        drawCheckGlyph(canvas, index, r, selected);
        if (selected) canvas.Font.SetColor(plat::clHighlightText);
        canvas.TextOut(r.Left + boxSize_ + 8, y, text);
    }
    canvas.Brush.Color = Color();
    if (state.Contains(plat::TOwnerDrawStateItem::odFocused)) canvas.DrawFocusRect(r);
}

void TFCheckListBox::drawCheckGlyph(plat::TCanvas& canvas, int index, const TRect& r,
                                    bool selected) {
    Glyph g = glyphOf(checkStyle_, GetChecked(index));
    if (g.code) {
        canvas.Font.SetCharset(plat::DEFAULT_CHARSET);
        canvas.Font.SetName("WingDings");
        canvas.Font.SetHeight(-boxSize_);
        canvas.Font.SetColor(g.color == kBlack && selected ? plat::clHighlightText : g.color);
        TRect box = CheckBoxRect(r);
        canvas.Brush.Style = plat::TBrushStyle::bsClear;
        canvas.TextOut(box.Left, box.Top, plat::U32ToUtf8(std::u32string(1, g.code)));
        canvas.Brush.Style = plat::TBrushStyle::bsSolid;
    }
    canvas.Font.Assign(*Font());
}

void TFCheckListBox::MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) {
    plat::TCustomListBox::MouseDown(button, shift, x, y);
    if (button != plat::TMouseButton::mbLeft) return;
    int index = ItemAtPos({x, y}, true);
    if (index < 0) return;
    if (CheckBoxRect(ItemRect(index)).Contains({x, y})) ToggleChecked(index);
}

void TFCheckListBox::KeyDown(uint16_t& key, plat::TShiftState shift) {
    plat::TCustomListBox::KeyDown(key, shift);
    if (key == plat::VK_SPACE && ItemIndex() >= 0) ToggleChecked(ItemIndex());
}

PLAT_PUBLISH(TFCheckListBox) {
    p.Prop("BarColor", &TFCheckListBox::BarColor, &TFCheckListBox::SetBarColor);
    p.Prop("BoxSize", &TFCheckListBox::BoxSize, &TFCheckListBox::SetBoxSize);
    p.Prop("CheckStyle", &TFCheckListBox::CheckStyle, &TFCheckListBox::SetCheckStyle);
    p.Prop("OnCheck", &TFCheckListBox::OnCheck, nullptr, "TCheckEvent");
}

}  // namespace ktrb
