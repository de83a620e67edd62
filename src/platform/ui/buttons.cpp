#include "platform/ui/buttons.h"

#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
// The ink of an image: dark pixels that are not the transparent colour.
bool Ink(const TBitmap& b, int x, int y, TColor transparent) {
    TColor c = b.GetPixel(x, y);
    if (c == transparent) return false;
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
}

TBitmap SubImage(const TBitmap& glyph, int index, int w) {
    TBitmap out(w, glyph.Height());
    TCanvas* c = out.Canvas();
    c->CopyRect(Bounds(0, 0, w, glyph.Height()), glyph, Bounds(index * w, 0, w, glyph.Height()));
    return out;
}
}  // namespace

TBitmap GlyphForState(const TBitmap& glyph, int numGlyphs, TButtonState state) {
    TBitmap out;
    if (glyph.Empty()) return out;
    numGlyphs = std::clamp(numGlyphs, 1, 4);
    int w = glyph.Width() / numGlyphs;
    TColor transparent = glyph.TransparentColor();
    int index = (int)state;
    if (state == TButtonState::bsDown && numGlyphs < 3) index = 0;
    if (state == TButtonState::bsExclusive && numGlyphs < 4) index = numGlyphs >= 3 ? 2 : 0;
    if (state == TButtonState::bsDisabled && numGlyphs < 2) {
        // No disabled image: the normal one greyed, ink in shadow with a
        // highlight edge below right.
        TBitmap src = SubImage(glyph, 0, w);
        out.SetSize(w, glyph.Height());
        out.Canvas()->Brush.Color = transparent;
        out.Canvas()->FillRect(Bounds(0, 0, w, glyph.Height()));
        for (int y = 0; y < glyph.Height(); ++y)
            for (int x = 0; x < w; ++x)
                if (Ink(src, x, y, transparent) && x + 1 < w && y + 1 < glyph.Height())
                    out.SetPixel(x + 1, y + 1, ColorToRGB(clBtnHighlight));
        for (int y = 0; y < glyph.Height(); ++y)
            for (int x = 0; x < w; ++x)
                if (Ink(src, x, y, transparent)) out.SetPixel(x, y, ColorToRGB(clBtnShadow));
    } else {
        out = SubImage(glyph, index, w);
    }
    out.Transparent = true;
    out.SetTransparentColor(transparent);
    return out;
}

void DrawButtonContent(TCanvas& c, const TRect& r, const TBitmap* glyph, const std::string& caption,
                       TButtonLayout layout, int margin, int spacing, bool enabled, int offset) {
    TSize gs = glyph && !glyph->Empty() ? TSize{glyph->Width(), glyph->Height()} : TSize{0, 0};
    TRect tr;
    if (!caption.empty()) c.DrawText(caption, tr, DT_CALCRECT | DT_SINGLELINE);
    TSize ts{tr.Width(), tr.Height()};
    bool horz = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
    int space = gs.cx && ts.cx ? spacing : 0;
    int total = horz ? gs.cx + space + ts.cx : gs.cy + space + ts.cy;
    int extent = horz ? r.Width() : r.Height();
    int m = margin < 0 ? (extent - total) / 2 : margin;
    TPoint gp, tp;
    switch (layout) {
        case TButtonLayout::blGlyphLeft:
            gp = {r.Left + m, r.Top + (r.Height() - gs.cy) / 2};
            tp = {gp.X + gs.cx + space, r.Top + (r.Height() - ts.cy) / 2};
            break;
        case TButtonLayout::blGlyphRight:
            tp = {r.Left + m, r.Top + (r.Height() - ts.cy) / 2};
            gp = {tp.X + ts.cx + space, r.Top + (r.Height() - gs.cy) / 2};
            break;
        case TButtonLayout::blGlyphTop:
            gp = {r.Left + (r.Width() - gs.cx) / 2, r.Top + m};
            tp = {r.Left + (r.Width() - ts.cx) / 2, gp.Y + gs.cy + space};
            break;
        case TButtonLayout::blGlyphBottom:
            tp = {r.Left + (r.Width() - ts.cx) / 2, r.Top + m};
            gp = {r.Left + (r.Width() - gs.cx) / 2, tp.Y + ts.cy + space};
            break;
    }
    if (gs.cx) c.Draw(gp.X + offset, gp.Y + offset, *glyph);
    if (!caption.empty()) {
        c.Brush.Style = TBrushStyle::bsClear;
        TRect t = Bounds(tp.X + offset, tp.Y + offset, ts.cx, ts.cy);
        if (!enabled) {
            TRect h = t;
            OffsetRect(h, 1, 1);
            c.Font.SetColor(clBtnHighlight);
            c.DrawText(caption, h, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            c.Font.SetColor(clBtnShadow);
        }
        c.DrawText(caption, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// ---- Bitmap button ----------------------------------------------------------------

namespace {
QPixmap PixmapOf(const TBitmap& b) {
    QImage img = b.Image().convertToFormat(QImage::Format_ARGB32);
    if (b.Transparent) {
        TColor t = ColorToRGB(b.TransparentColor());
        QRgb key = qRgb(GetRValue(t), GetGValue(t), GetBValue(t));
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF)) line[x] = 0;
        }
    }
    return QPixmap::fromImage(img);
}

struct KindInfo {
    const char* caption;
    TModalResult result;
    int mark;  // 0 none, 1 tick, 2 cross, 3 question mark
};
constexpr KindInfo kKinds[] = {
    {"", mrNone, 0},          {"OK", mrOk, 1},       {"Cancel", mrCancel, 2},
    {"&Help", mrNone, 3},     {"&Yes", mrYes, 1},    {"&No", mrNo, 2},
    {"&Close", mrNone, 0},    {"Abort", mrAbort, 2}, {"&Retry", mrRetry, 0},
    {"&Ignore", mrIgnore, 0}, {"&All", mrAll, 1},
};

// The kinds' glyphs, drawn here on an olive (transparent) ground.
void DrawKindGlyph(TBitmap& b, int mark) {
    b.SetSize(18, 18);
    TCanvas* c = b.Canvas();
    c->Brush.Color = clOlive;
    c->FillRect(Bounds(0, 0, 18, 18));
    c->Pen.Width = 2;
    if (mark == 1) {
        c->Pen.Color = clGreen;
        c->Polyline({{3, 9}, {7, 13}, {15, 4}});
    } else if (mark == 2) {
        c->Pen.Color = clRed;
        c->Polyline({{4, 4}, {14, 14}});
        c->Polyline({{14, 4}, {4, 14}});
    } else if (mark == 3) {
        c->Font.SetHeight(-14);
        c->Font.SetStyle({fsBold});
        c->Font.SetColor(clNavy);
        c->Brush.Style = TBrushStyle::bsClear;
        TRect r = Bounds(0, 0, 18, 18);
        c->DrawText("?", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    b.Transparent = true;
}
}  // namespace

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
    glyph_.OnChange = [this] { updateIcon(); };
}

void TBitBtn::SetNumGlyphs(int v) {
    numGlyphs_ = std::clamp(v, 1, 4);
    updateIcon();
}

void TBitBtn::SetKind(TBitBtnKind v) {
    kind_ = v;
    if (v == TBitBtnKind::bkCustom) return;
    const KindInfo& k = kKinds[(int)v];
    SetCaption(k.caption);
    ModalResult = k.result;
    if (v == TBitBtnKind::bkOK || v == TBitBtnKind::bkYes) SetDefault(true);
    if (v == TBitBtnKind::bkCancel || v == TBitBtnKind::bkNo) Cancel = true;
    if (k.mark) {
        TBitmap b;
        DrawKindGlyph(b, k.mark);
        glyph_.Assign(b);
        numGlyphs_ = 1;
    }
    updateIcon();
}

void TBitBtn::Click() {
    if (kind_ == TBitBtnKind::bkClose) {
        // The platform closes the form instead of raising OnClick.
        if (TCustomForm* f = GetParentForm(this)) {
            f->Close();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::EnabledChanged() {
    TButton::EnabledChanged();
    updateIcon();
}

void TBitBtn::updateIcon() {
    auto* b = static_cast<QPushButton*>(Widget());
    if (!b) return;
    if (glyph_.Empty()) {
        b->setIcon(QIcon());
        return;
    }
    QIcon icon;
    icon.addPixmap(PixmapOf(GlyphForState(glyph_, numGlyphs_, TButtonState::bsUp)), QIcon::Normal);
    icon.addPixmap(PixmapOf(GlyphForState(glyph_, numGlyphs_, TButtonState::bsDisabled)),
                   QIcon::Disabled);
    b->setIcon(icon);
    b->setIconSize(QSize(glyph_.Width() / numGlyphs_, glyph_.Height()));
}

// ---- Speed button -----------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    clickOnMouseUp_ = false;
    SetParentColor(true);
    SetBounds(0, 0, 23, 22);
    glyph_.OnChange = [this] { Invalidate(); };
    Widget()->setAttribute(Qt::WA_Hover, true);
}

void TSpeedButton::SetNumGlyphs(int v) {
    numGlyphs_ = std::clamp(v, 1, 4);
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
    groupIndex_ = v;
    updateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
    allowAllUp_ = v;
    if (!Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* s = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
            s && s->groupIndex_ == groupIndex_)
            s->allowAllUp_ = v;
}

void TSpeedButton::SetDown(bool v) {
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    if (down_ && !allowAllUp_) return;
    down_ = v;
    state_ = v ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
    if (v) updateExclusive();
}

void TSpeedButton::updateExclusive() {
    if (groupIndex_ == 0 || !Parent() || !down_) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* s = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (s && s != this && s->groupIndex_ == groupIndex_ && s->down_) {
            s->down_ = false;
            s->state_ = TButtonState::bsUp;
            s->Invalidate();
        }
    }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft && Enabled()) {
        if (!down_) {
            state_ = TButtonState::bsDown;
            Invalidate();
        }
        dragging_ = true;
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (dragging_ && button == TMouseButton::mbLeft) {
        dragging_ = false;
        bool doClick = x >= 0 && x < Width() && y >= 0 && y <= Height();
        if (groupIndex_ == 0) {
            state_ = TButtonState::bsUp;
        } else if (doClick) {
            SetDown(!down_);
        } else if (down_) {
            state_ = TButtonState::bsExclusive;
        }
        Invalidate();
        if (doClick) Click();
    }
    if (IsLiveControl(this)) TGraphicControl::MouseUp(button, shift, x, y);
}

bool TSpeedButton::HandleQtEvent(QEvent* e, const QtBaseEvent& base) {
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
        mouseIn_ = e->type() == QEvent::Enter;
        if (flat_) Invalidate();
    }
    return TGraphicControl::HandleQtEvent(e, base);
}

void TSpeedButton::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        char32_t ch = (char32_t)m.WParam;
        if (AccelCharOf(Caption()) == ch && Enabled() && Visible() && Parent() &&
            Parent()->Showing()) {
            Click();
            m.Result = 1;
        }
        return;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::Paint() {
    TCanvas* c = Canvas();
    TButtonState st = !Enabled()             ? TButtonState::bsDisabled
                      : down_ && groupIndex_ ? TButtonState::bsExclusive
                                             : state_;
    TRect r = ClientRect();
    if (!flat_ || !Transparent) {
        c->Brush.Color = Color();
        c->FillRect(r);
    }
    bool pressed = st == TButtonState::bsDown || st == TButtonState::bsExclusive;
    if (!flat_) {
        TRect f = r;
        if (pressed) {
            Frame3D(*c, f, clBtnShadow, clBtnHighlight, 1);
        } else {
            Frame3D(*c, f, clBtnHighlight, cl3DDkShadow, 1);
            Frame3D(*c, f, Color(), clBtnShadow, 1);
        }
    } else if (pressed || (mouseIn_ && Enabled())) {
        TRect f = r;
        Frame3D(*c, f, pressed ? clBtnShadow : clBtnHighlight,
                pressed ? clBtnHighlight : clBtnShadow, 1);
    }
    TBitmap g = GlyphForState(glyph_, numGlyphs_, st);
    c->Font.Assign(*Font());
    DrawButtonContent(*c, r, g.Empty() ? nullptr : &g, Caption(), Layout, Margin, Spacing,
                      Enabled(), pressed ? 1 : 0);
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TBitBtn) {
    p.Prop(
        "Glyph", [](TBitBtn& b) { return b.Glyph(); },
        [](TBitBtn& b, TBitmap* g) { b.SetGlyph(g ? *g : TBitmap()); });
    p.Prop("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, "TNumGlyphs");
    p.Prop("Kind", &TBitBtn::Kind, &TBitBtn::SetKind);
    p.Prop("Layout", &TBitBtn::Layout);
    p.Prop("Margin", &TBitBtn::Margin);
    p.Prop("Spacing", &TBitBtn::Spacing);
}

PLAT_PUBLISH(TSpeedButton) {
    p.Prop("Caption", &TSpeedButton::Caption, &TSpeedButton::SetCaption, "TCaption");
    p.Prop(
        "Glyph", [](TSpeedButton& b) { return b.Glyph(); },
        [](TSpeedButton& b, TBitmap* g) { b.SetGlyph(g ? *g : TBitmap()); });
    p.Prop("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, "TNumGlyphs");
    p.Prop("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat);
    p.Prop("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex);
    p.Prop("Down", &TSpeedButton::Down, &TSpeedButton::SetDown);
    p.Prop("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp);
    p.Prop("Layout", &TSpeedButton::Layout);
    p.Prop("Margin", &TSpeedButton::Margin);
    p.Prop("Spacing", &TSpeedButton::Spacing);
    p.Prop("Transparent", &TSpeedButton::Transparent);
}

}  // namespace plat
