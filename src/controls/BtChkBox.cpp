#include "controls/BtChkBox.h"

#include <algorithm>

#include "controls/GlyphLibrary.h"
#include "platform/component/properties.h"
#include "platform/ui/forms.h"

namespace ktrb {

using namespace plat;

namespace {
const char* const kResource[] = {"UNCHECKED", "CHECKED", "GRAYED"};
}

TBitCheckBox::TBitCheckBox(TComponent* owner) : TCustomControl(owner) {
    ControlStyle.Include(TControlStyleItem::csClickEvents);
    ControlStyle.Include(TControlStyleItem::csSetCaption);
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    SetParentColor(true);
    RegisterCheckBoxBitmaps();
    for (int k = 0; k < 3; ++k) {
        glyphs_[k].LoadFromResourceName(kResource[k]);
        numGlyphs_[k] = 1;
    }
}

void TBitCheckBox::SetAlignment(TLeftRight v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}

void TBitCheckBox::SetState(TCheckBoxState v) {
    if (v == state_) return;
    state_ = v;
    Invalidate();
}

void TBitCheckBox::SetChecked(bool v) {
    SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TBitCheckBox::SetCtl3D(bool v) {
    ctl3D_ = v;
    ParentCtl3D = false;
    Invalidate();
}

void TBitCheckBox::setGlyph(Kind k, TBitmap* b) {
    if (b && !b->Empty())
        glyphs_[k].Assign(*b);
    else
        glyphs_[k].LoadFromResourceName(kResource[k]);
    TBitmap& g = glyphs_[k];
    if (g.Height() > 0 && g.Width() % g.Height() == 0) setNumGlyphs(k, g.Width() / g.Height());
    Invalidate();
}

void TBitCheckBox::setNumGlyphs(Kind k, int n) {
    numGlyphs_[k] = std::clamp(n, 1, 2);
    Invalidate();
}

void TBitCheckBox::Toggle() {
    SetState(NextCheckState(state_, AllowGrayed));
}

void TBitCheckBox::Click() {
    Toggle();
    TCustomControl::Click();
    if (IsLiveControl(this) && Showing() && CanFocus()) SetFocus();
}

void TBitCheckBox::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    if (key == ' ') Click();
}

void TBitCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        char32_t ch = (char32_t)m.WParam, accel = AccelCharOf(Caption());
        if (ch >= 'a' && ch <= 'z') ch -= 32;
        if (accel && accel == ch && Enabled() && CanFocus()) {
            SetFocus();
            TCustomForm* f = GetParentForm(this);
            if (Focused() || (f && f->ActiveControl() == this)) Toggle();
            m.Result = 1;
            return;
        }
    }
    TCustomControl::WndProc(m);
}

void TBitCheckBox::DoEnter() {
    TCustomControl::DoEnter();
    Invalidate();
}

void TBitCheckBox::DoExit() {
    TCustomControl::DoExit();
    Invalidate();
}

void TBitCheckBox::FontChanged() {
    TCustomControl::FontChanged();
    Invalidate();
}

void TBitCheckBox::ColorChanged() {
    TCustomControl::ColorChanged();
    Invalidate();
}

void TBitCheckBox::EnabledChanged() {
    TCustomControl::EnabledChanged();
    Invalidate();
}

void TBitCheckBox::Paint() {
    TCanvas& c = *Canvas();
    int cw = ClientWidth(), ch = ClientHeight();
    c.Brush = TBrush{Color(), TBrushStyle::bsSolid};
    c.FillRect(ClientRect());
    c.Brush.Style = TBrushStyle::bsClear;

    Kind k = state_ == TCheckBoxState::cbChecked  ? kChecked
             : state_ == TCheckBoxState::cbGrayed ? kGrayed
                                                  : kUnchecked;
    const TBitmap& bmp = glyphs_[k];
    int n = numGlyphs_[k];
    int glyphW = bmp.Width() / n;
    bool right = alignment_ == TLeftRight::taRightJustify;

    std::string caption = Caption();
    int th = c.TextHeight(caption.empty() ? std::string("0") : caption);
    TRect r;
    r.Left = right ? glyphW + 4 : 1;
    r.Right = r.Left + c.TextWidth(caption);
    if (caption.find('&') != std::string::npos) r.Right -= c.TextWidth("&");
    r.Top = (ch - th) / 2 - 2;
    r.Bottom = r.Top + th + 3;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, cw);
    r.Bottom = std::min(r.Bottom, ch);

    const unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    TColor fontColor = c.Font.Color();
    if (Enabled()) {
        TRect t = r;
        c.DrawText(caption, t, flags);
    } else {
        if (ctl3D_) {
            c.Font.SetColor(clBtnHighlight);
            TRect t = r;
            t.Left += 1, t.Top += 1, t.Right += 1, t.Bottom += 1;
            c.DrawText(caption, t, flags);
        }
        c.Font.SetColor(clGrayText);
        TRect t = r;
        c.DrawText(caption, t, flags);
    }
    c.Font.SetColor(fontColor);
    c.Brush = TBrush{Color(), TBrushStyle::bsSolid};

    if (Focused()) {
        TRect f = r;
        if (f.Left > 0) --f.Left;
        if (f.Top > 0) --f.Top;
        ++f.Right;
        if (f.Bottom < Height()) ++f.Bottom;
        c.DrawFocusRect(f);
    }

    if (glyphW <= 0) return;
    int x = right ? 0 : cw - glyphW;
    int y = (ch - bmp.Height()) / 2;
    int sx = !Enabled() && n == 2 ? glyphW : 0;
    c.BrushCopy(Bounds(x, y, glyphW, bmp.Height()), bmp, Bounds(sx, 0, glyphW, bmp.Height()),
                bmp.TransparentColor());
}

namespace {
template <class T>
void PublishGlyph(Publisher<T>& p, const char* name, TBitmap* (T::*get)(),
                  void (T::*set)(TBitmap*)) {
    p.Prop(name, get, set, "TBitmap");
}
}  // namespace

PLAT_PUBLISH(TBitCheckBox) {
    p.Prop("Alignment", &TBitCheckBox::Alignment, &TBitCheckBox::SetAlignment);
    p.Prop("AllowGrayed", &TBitCheckBox::AllowGrayed);
    p.Prop("Caption", &TBitCheckBox::Caption, &TBitCheckBox::SetCaption, "TCaption");
    p.Prop("Checked", &TBitCheckBox::Checked, &TBitCheckBox::SetChecked);
    PublishGlyph(p, "CheckedGlyph", &TBitCheckBox::CheckedGlyph, &TBitCheckBox::SetCheckedGlyph);
    p.Prop("CheckedNumGlyphs", &TBitCheckBox::CheckedNumGlyphs, &TBitCheckBox::SetCheckedNumGlyphs);
    p.Prop("Ctl3D", &TBitCheckBox::Ctl3D, &TBitCheckBox::SetCtl3D);
    PublishGlyph(p, "GrayedGlyph", &TBitCheckBox::GrayedGlyph, &TBitCheckBox::SetGrayedGlyph);
    p.Prop("GrayedNumGlyphs", &TBitCheckBox::GrayedNumGlyphs, &TBitCheckBox::SetGrayedNumGlyphs);
    p.Prop("ParentCtl3D", &TBitCheckBox::ParentCtl3D);
    p.Prop("State", &TBitCheckBox::State, &TBitCheckBox::SetState);
    PublishGlyph(p, "UncheckedGlyph", &TBitCheckBox::UncheckedGlyph,
                 &TBitCheckBox::SetUncheckedGlyph);
    p.Prop("UncheckedNumGlyphs", &TBitCheckBox::UncheckedNumGlyphs,
           &TBitCheckBox::SetUncheckedNumGlyphs);
}

}  // namespace ktrb
