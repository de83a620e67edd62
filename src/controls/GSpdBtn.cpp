#include "controls/GSpdBtn.h"

#include <string>

#include "controls/GlyphLibrary.h"
#include "platform/component/properties.h"
#include "platform/ui/dialogs.h"

namespace ktrb {

using namespace plat;

void LoadButtonGlyph(TSpeedButton& button, int& glyphIndex, int value) {
    if (value == glyphIndex) return;
    glyphIndex = value;
    button.SetCaption(std::to_string(value));
    try {
        IGlyphLibrary& library = GlyphLibrary();
        if (value == 0 || value > library.GetMaxBmpID()) {
            button.SetGlyph(TBitmap());
        } else if (library.LoadBmp(*button.Glyph(), value)) {
            button.SetCaption("");
            TBitmap* g = button.Glyph();
            button.SetNumGlyphs(g->Height() > 0 ? g->Width() / g->Height() : 1);
        }
    } catch (const std::exception&) {
        MessageDlg("读取 BMP 发生错误", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    }
    button.Invalidate();
}

void TGSpeedButton::SetGlyphIndex(int value) {
    LoadButtonGlyph(*this, glyphIndex_, value);
}

void TQVSpdBtn::SetGlyphIndex(int value) {
    LoadButtonGlyph(*this, glyphIndex_, value);
}

PLAT_PUBLISH(TGSpeedButton) {
    p.Prop("GlyphIndex", &TGSpeedButton::GlyphIndex, &TGSpeedButton::SetGlyphIndex);
    p.Prop("HintIndex", &TGSpeedButton::HintIndex);
}

PLAT_PUBLISH(TQVSpdBtn) {
    p.Prop("GlyphIndex", &TQVSpdBtn::GlyphIndex, &TQVSpdBtn::SetGlyphIndex);
    p.Prop("HintIndex", &TQVSpdBtn::HintIndex);
}

}  // namespace ktrb
