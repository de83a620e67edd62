// A check box that paints itself from three bitmaps, one per state, so that
// it looks the same under every theme.
#pragma once
#include "platform/ui/stdctrls.h"

namespace ktrb {

class TBitCheckBox : public plat::TCustomControl {
    PLAT_CLASS(TBitCheckBox, plat::TCustomControl)
  public:
    explicit TBitCheckBox(plat::TComponent* owner);

    plat::TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(plat::TLeftRight v);
    plat::TCheckBoxState State() const { return state_; }
    void SetState(plat::TCheckBoxState v);
    // Grayed reads False.
    bool Checked() const { return state_ == plat::TCheckBoxState::cbChecked; }
    void SetChecked(bool v);
    bool AllowGrayed = false;
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool v);
    bool ParentCtl3D = true;

    // A copy of the given picture; null puts the built-in one back. A strip
    // of square images sets the matching NumGlyphs.
    plat::TBitmap* CheckedGlyph() { return &glyphs_[kChecked]; }
    void SetCheckedGlyph(plat::TBitmap* b) { setGlyph(kChecked, b); }
    plat::TBitmap* GrayedGlyph() { return &glyphs_[kGrayed]; }
    void SetGrayedGlyph(plat::TBitmap* b) { setGlyph(kGrayed, b); }
    plat::TBitmap* UncheckedGlyph() { return &glyphs_[kUnchecked]; }
    void SetUncheckedGlyph(plat::TBitmap* b) { setGlyph(kUnchecked, b); }
    // 1 or 2; with 2 the right half is the disabled image.
    int CheckedNumGlyphs() const { return numGlyphs_[kChecked]; }
    void SetCheckedNumGlyphs(int n) { setNumGlyphs(kChecked, n); }
    int GrayedNumGlyphs() const { return numGlyphs_[kGrayed]; }
    void SetGrayedNumGlyphs(int n) { setNumGlyphs(kGrayed, n); }
    int UncheckedNumGlyphs() const { return numGlyphs_[kUnchecked]; }
    void SetUncheckedNumGlyphs(int n) { setNumGlyphs(kUnchecked, n); }

    // The next state of a click.
    virtual void Toggle();
    // Toggle, OnClick, then the focus.
    void Click() override;
    void WndProc(plat::TMessage& m) override;

  protected:
    void Paint() override;
    void KeyPress(char32_t& key) override;
    void DoEnter() override;
    void DoExit() override;
    void TextChanged() override { Invalidate(); }
    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;

  private:
    enum Kind { kUnchecked, kChecked, kGrayed };
    void setGlyph(Kind k, plat::TBitmap* b);
    void setNumGlyphs(Kind k, int n);
    plat::TBitmap glyphs_[3];
    int numGlyphs_[3] = {1, 1, 1};
    plat::TLeftRight alignment_ = plat::TLeftRight::taRightJustify;
    plat::TCheckBoxState state_ = plat::TCheckBoxState::cbUnchecked;
    bool ctl3D_ = true;
};

}  // namespace ktrb
