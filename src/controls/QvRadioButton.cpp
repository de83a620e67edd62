#include "controls/QvRadioButton.h"

#include <algorithm>

#include "platform/core/text.h"

namespace ktrb {

using namespace plat;

int CaptionOffset(int size) {
    struct Step {
        int upTo, offset;
    };
    static const Step kSteps[] = {{8, 17},  {15, 19}, {17, 20}, {23, 21}, {29, 23},
                                  {35, 25}, {41, 27}, {43, 29}, {60, 31}, {80, 39}};
    if (size < 1) return 44;
    for (const Step& s : kSteps)
        if (size <= s.upTo) return s.offset;
    return 44;
}

namespace {
// The shift of a caption left of its box, by font size: {dx, dy}.
std::pair<int, int> LeftCaptionShift(int size) {
    if (size == 12) return {14, -2};
    if (size <= 15) return {0, 0};
    if (size <= 17) return {-10, -1};
    if (size <= 23) return {0, -2};
    if (size <= 29) return {-4, -4};
    if (size <= 35) return {-6, -6};
    if (size <= 41) return {-8, -8};
    if (size <= 43) return {-10, -10};
    if (size <= 60) return {-12, -12};
    if (size <= 80) return {-20, -20};
    return {-25, -25};
}

void PrepareCaptionCanvas(TControl& control, TCanvas& c) {
    c.Brush = TBrush{control.Color(), TBrushStyle::bsSolid};
    c.Pen = TPen{control.Color()};
    c.Font.Assign(*control.Font());
}

TRect Clipped(TRect r, const TRect& client) {
    r.Left = std::max(r.Left, client.Left);
    r.Top = std::max(r.Top, client.Top);
    r.Right = std::min(r.Right, client.Right);
    r.Bottom = std::min(r.Bottom, client.Bottom);
    return r;
}
}  // namespace

TQvRadioButton::TQvRadioButton(TComponent* owner) : TRadioButton(owner) {
    ControlStyle.Include(TControlStyleItem::csSetCaption);
    ControlStyle.Include(TControlStyleItem::csDoubleClicks);
    PaintsOver = true;
    SetTabStop(false);
}

void TQvRadioButton::EnabledChanged() {
    TRadioButton::EnabledChanged();
    Invalidate();
}

void TQvRadioButton::PaintCaption(TCanvas& c) {
    PrepareCaptionCanvas(*this, c);
    TRect client = ClientRect(), r = client;
    int a = CaptionOffset(Font()->Size());
    // With the circle on the right the caption keeps clear of it.
    if (Alignment() == TLeftRight::taLeftJustify) {
        r.Right -= a;
        c.FillRect(Rect(client.Left - 4, client.Top - 4, r.Right + 4, client.Bottom + 4));
    } else {
        r.Left += a;
        c.FillRect(Rect(r.Left - 4, client.Top - 4, client.Right + 4, client.Bottom + 4));
    }
    c.DrawText(Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

TQVCheckBox::TQVCheckBox(TComponent* owner) : TCheckBox(owner) {
    PaintsOver = true;
}

void TQVCheckBox::EnabledChanged() {
    TCheckBox::EnabledChanged();
    Invalidate();
}

void TQVCheckBox::PaintCaption(TCanvas& c) {
    PrepareCaptionCanvas(*this, c);
    TRect client = ClientRect(), r = client;
    int size = Font()->Size();
    std::string caption = Caption();
    if (Alignment() == TLeftRight::taRightJustify) {
        r.Left += CaptionOffset(size);
        if (size == 9) r.Top = 2;
        c.FillRect(Rect(r.Left - 4, r.Top - 4, client.Right + 4, client.Bottom + 4));
        r = Clipped(r, client);
        c.DrawText(caption, r, DT_LEFT | DT_TOP);
        return;
    }
    int w = Width() - 6 * TextWidth(caption);
    // Small fonts take the rule of size 9, which keeps the caption inside the
    // control (a shift up and left by 49 pixels would put it outside).
    auto [dx, dy] = LeftCaptionShift(std::max(size, 9));
    r.Right = r.Right - w + dx;
    r.Top = r.Top + (Height() - 17) / 2 + 2 + dy;
    r = Clipped(r, client);
    c.FillRect(Rect(client.Left - 4, r.Top - 4, r.Right + 4, client.Bottom + 4));
    c.DrawText(caption, r, DT_RIGHT | DT_TOP);
}

}  // namespace ktrb
