#include "controls/ExtPage.h"

#include "platform/component/properties.h"

namespace ktrb {

using namespace plat;

TExtPageControl::TExtPageControl(TComponent* owner) : TPageControl(owner) {
    SetOwnerDraw(true);
}

int TExtPageControl::PageIndexOfTab(int tabIndex) const {
    int index = tabIndex, visible = 0;
    for (int i = 0; i < PageCount() && visible < tabIndex + 1; ++i) {
        if (Pages(i)->TabVisible())
            ++visible;
        else
            ++index;
    }
    return index;
}

void TExtPageControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
    if (OnDrawTab) {
        OnDrawTab(this, tabIndex, rect, active);
        return;
    }
    TCanvas& c = *Canvas();
    TRect r = rect;
    TFontStyles style = c.Font.Style();
    if (active) {
        r.Left += 2, r.Top += 2, r.Right -= 2, r.Bottom -= 2;
        c.Font.SetColor(clCaptionText);
        style.Include(TFontStyle::fsBold);
        c.Brush = TBrush{clActiveCaption, TBrushStyle::bsSolid};
    } else {
        c.Font.SetColor(clInactiveCaptionText);
        style.Exclude(TFontStyle::fsBold);
        c.Brush = TBrush{clInactiveCaption, TBrushStyle::bsSolid};
    }
    c.Font.SetStyle(style);
    c.FillRect(r);
    if (!active) r.Top += 2;
    int page = PageIndexOfTab(tabIndex);
    if (page < 0 || page >= PageCount()) return;
    c.DrawText(Pages(page)->Caption(), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

PLAT_PUBLISH(TExtPageControl) {
    p.Prop("OnDrawTab", &TExtPageControl::OnDrawTab, nullptr, "TDrawTabEvent");
}

}  // namespace ktrb
