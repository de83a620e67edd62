// Speed buttons that show a glyph of the glyph library by number. A glyph
// that cannot be loaded leaves the number as the button's caption.
#pragma once
#include "platform/ui/buttons.h"

namespace ktrb {

class TGSpeedButton : public plat::TSpeedButton {
    PLAT_CLASS(TGSpeedButton, plat::TSpeedButton)
  public:
    explicit TGSpeedButton(plat::TComponent* owner) : plat::TSpeedButton(owner) {}
    int GlyphIndex() const { return glyphIndex_; }
    void SetGlyphIndex(int value);
    // Kept with the design; nothing reads it.
    int HintIndex = 0;

  private:
    int glyphIndex_ = 0;
};

// The same button under a second class name.
class TQVSpdBtn : public plat::TSpeedButton {
    PLAT_CLASS(TQVSpdBtn, plat::TSpeedButton)
  public:
    explicit TQVSpdBtn(plat::TComponent* owner) : plat::TSpeedButton(owner) {}
    int GlyphIndex() const { return glyphIndex_; }
    void SetGlyphIndex(int value);
    int HintIndex = 0;

  private:
    int glyphIndex_ = 0;
};

// Loads glyph `value` into a speed button (the number shows as its caption
// when there is none); a library failure is reported in an error box.
void LoadButtonGlyph(plat::TSpeedButton& button, int& glyphIndex, int value);

}  // namespace ktrb
