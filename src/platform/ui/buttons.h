// Bitmap buttons and speed buttons. Glyphs are strips of equal images: 1
// normal, 2 disabled, 3 pressed, 4 down (held); the colour of the lower-left
// pixel is transparent.
#pragma once
#include "platform/ui/stdctrls.h"

namespace plat {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
PLAT_ENUM_INFO(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
PLAT_ENUM_INFO(TButtonState, bsUp, bsDisabled, bsDown, bsExclusive)
enum class TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
PLAT_ENUM_INFO(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort,
               bkRetry, bkIgnore, bkAll)

// The image of a glyph strip for a button state: the state's own image when
// the strip has it, else the normal one (greyed for a disabled button).
TBitmap GlyphForState(const TBitmap& glyph, int numGlyphs, TButtonState state);

class TBitBtn : public TButton {
    PLAT_CLASS(TBitBtn, TButton)
  public:
    explicit TBitBtn(TComponent* owner);
    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& b) { glyph_.Assign(b); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);
    TBitBtnKind Kind() const { return kind_; }
    // A kind other than bkCustom sets caption, modal result and glyph.
    void SetKind(TBitBtnKind v);
    TButtonLayout Layout = TButtonLayout::blGlyphLeft;
    int Margin = -1;
    int Spacing = 4;
    // bkClose closes the form.
    void Click() override;

  protected:
    void EnabledChanged() override;

  private:
    void updateIcon();
    TBitmap glyph_;
    int numGlyphs_ = 1;
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
};

class TSpeedButton : public TGraphicControl {
    PLAT_CLASS(TSpeedButton, TGraphicControl)
  public:
    explicit TSpeedButton(TComponent* owner);
    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& b) { glyph_.Assign(b); }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v) {
        flat_ = v;
        Invalidate();
    }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    bool Down() const { return down_; }
    // Down only with a group; pressing one button of a group lets the others up.
    void SetDown(bool v);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    TButtonLayout Layout = TButtonLayout::blGlyphLeft;
    int Margin = -1;
    int Spacing = 4;
    bool Transparent = true;
    TButtonState State() const { return state_; }
    void WndProc(TMessage& m) override;

  protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool HandleQtEvent(QEvent* e, const QtBaseEvent& base) override;

  private:
    void updateExclusive();
    TBitmap glyph_;
    int numGlyphs_ = 1;
    bool flat_ = false;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    bool dragging_ = false;
    bool mouseIn_ = false;
    TButtonState state_ = TButtonState::bsUp;
};

// Draws a glyph and caption laid out in r as the buttons do.
void DrawButtonContent(TCanvas& c, const TRect& r, const TBitmap* glyph, const std::string& caption,
                       TButtonLayout layout, int margin, int spacing, bool enabled, int offset);

}  // namespace plat
