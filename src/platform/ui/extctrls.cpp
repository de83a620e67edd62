#include "platform/ui/extctrls.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

// ---- Panel -------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    ControlStyle.Include(TControlStyleItem::csAcceptsControls);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelInner(TBevelCut v) {
    bevelInner_ = v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelOuter(TBevelCut v) {
    bevelOuter_ = v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelWidth(int v) {
    bevelWidth_ = std::max(1, v);
    Realign();
    Invalidate();
}
void TCustomPanel::SetBorderWidth(int v) {
    borderWidth_ = std::max(0, v);
    Realign();
    Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& r) const {
    InflateRect(r, -borderWidth_, -borderWidth_);
    int bevel = 0;
    if (bevelOuter_ != TBevelCut::bvNone) bevel += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone) bevel += bevelWidth_;
    InflateRect(r, -bevel, -bevel);
}

void TCustomPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto colors = [](TBevelCut b, TColor& top, TColor& bottom) {
        top = b == TBevelCut::bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = b == TBevelCut::bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (bevelOuter_ != TBevelCut::bvNone) {
        colors(bevelOuter_, top, bottom);
        Frame3D(*c, r, top, bottom, bevelWidth_);
    }
    Frame3D(*c, r, Color(), Color(), borderWidth_);
    if (bevelInner_ != TBevelCut::bvNone) {
        colors(bevelInner_, top, bottom);
        Frame3D(*c, r, top, bottom, bevelWidth_);
    }
    c->Brush.Color = Color();
    c->FillRect(r);
    c->Brush.Style = TBrushStyle::bsClear;
    int fh = c->TextHeight("W");
    r.Top = (r.Bottom + r.Top - fh) / 2;
    r.Bottom = r.Top + fh;
    static const unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    c->DrawText(Caption(), r, DT_EXPANDTABS | DT_VCENTER | kAlign[(int)alignment_]);
}

// ---- Bevel -------------------------------------------------------------------

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint() {
    TCanvas* c = Canvas();
    c->Pen.Width = 1;
    TColor c1 = style_ == TBevelStyle::bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = style_ == TBevelStyle::bsLowered ? clBtnHighlight : clBtnShadow;
    int w = Width(), h = Height();
    auto rect = [&](TRect r) {
        c->Pen.Color = c1;
        c->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        c->Pen.Color = c2;
        c->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    };
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen.Color = col;
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (shape_) {
        case TBevelShape::bsBox:
            rect({0, 0, w - 1, h - 1});
            break;
        case TBevelShape::bsFrame: {
            TColor t = c1;
            c1 = c2;
            rect({1, 1, w - 1, h - 1});
            c2 = t;
            c1 = t;
            rect({0, 0, w - 2, h - 2});
            break;
        }
        case TBevelShape::bsTopLine:
            line(c1, 0, 0, w, 0);
            line(c2, 0, 1, w, 1);
            break;
        case TBevelShape::bsBottomLine:
            line(c1, 0, h - 2, w, h - 2);
            line(c2, 0, h - 1, w, h - 1);
            break;
        case TBevelShape::bsLeftLine:
            line(c1, 0, 0, 0, h);
            line(c2, 1, 0, 1, h);
            break;
        case TBevelShape::bsRightLine:
            line(c1, w - 2, 0, w - 2, h);
            line(c2, w - 1, 0, w - 1, h);
            break;
        case TBevelShape::bsSpacer:
            break;
    }
}

// ---- Image -------------------------------------------------------------------

TPicture::TPicture() {
    bitmap_.OnChange = [this] {
        if (OnChange) OnChange();
    };
}

void TPicture::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        bitmap_.Assign(p->bitmap_);
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        bitmap_.Assign(*b);
        return;
    }
    TPersistent::Assign(source);
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    picture_.OnChange = [this] { pictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

void TImage::pictureChanged() {
    if (autoSize_ && !picture_.Empty())
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

TCanvas* TImage::ImageCanvas() {
    if (picture_.Empty()) picture_.Bitmap()->SetSize(Width(), Height());
    return picture_.Bitmap()->Canvas();
}

void TImage::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TImage::SetAutoSize(bool v) {
    autoSize_ = v;
    pictureChanged();
}

void TImage::Paint() {
    if (picture_.Empty()) return;
    TBitmap b(*picture_.Bitmap());
    b.Transparent = transparent_;
    TCanvas* c = Canvas();
    if (stretch_) {
        c->StretchDraw(ClientRect(), b);
    } else if (center_) {
        c->Draw((Width() - b.Width()) / 2, (Height() - b.Height()) / 2, b);
    } else {
        c->Draw(0, 0, b);
    }
}

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
}

// ---- Splitter ------------------------------------------------------------------

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
    SetAlign(TAlign::alLeft);
    SetBounds(0, 0, 3, 100);
    SetCursor(crHSplit);
    SetParentColor(true);
}

void TSplitter::Paint() {
    TCanvas* c = Canvas();
    c->Brush.Color = Color();
    c->FillRect(ClientRect());
    if (Beveled) {
        TRect r = ClientRect();
        Frame3D(*c, r, clBtnHighlight, clBtnShadow, 1);
    }
}

TControl* TSplitter::ResizeControl() const {
    TWinControl* p = Parent();
    if (!p) return nullptr;
    TPoint pt{Left(), Top()};
    switch (Align()) {
        case TAlign::alLeft:
            pt.X -= 1;
            break;
        case TAlign::alRight:
            pt.X += Width();
            break;
        case TAlign::alTop:
            pt.Y -= 1;
            break;
        case TAlign::alBottom:
            pt.Y += Height();
            break;
        default:
            return nullptr;
    }
    bool leading = Align() == TAlign::alLeft || Align() == TAlign::alTop;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (c == this || !c->Visible() || !c->Enabled()) continue;
        TRect r = c->BoundsRect();
        if (r.Width() == 0) (leading ? r.Left : r.Right) += leading ? -1 : 1;
        if (r.Height() == 0) (leading ? r.Top : r.Bottom) += leading ? -1 : 1;
        if (r.Contains(pt)) return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft) return;
    control_ = ResizeControl();
    if (!control_) return;
    bool horz = Align() == TAlign::alLeft || Align() == TAlign::alRight;
    TWinControl* p = Parent();
    maxSize_ = (horz ? p->ClientWidth() : p->ClientHeight()) - MinSize;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (!c->Visible()) continue;
        if (horz && (c->Align() == TAlign::alLeft || c->Align() == TAlign::alRight))
            maxSize_ -= c->Width();
        if (!horz && (c->Align() == TAlign::alTop || c->Align() == TAlign::alBottom))
            maxSize_ -= c->Height();
    }
    oldSize_ = horz ? control_->Width() : control_->Height();
    maxSize_ += oldSize_;
    size_ = oldSize_;
    down_ = ClientToScreen({x, y});
    dragging_ = true;
}

int TSplitter::newSize(int x, int y) const {
    TPoint s = ClientToScreen({x, y});
    int split = 0;
    switch (Align()) {
        case TAlign::alLeft:
            split = s.X - down_.X;
            break;
        case TAlign::alRight:
            split = down_.X - s.X;
            break;
        case TAlign::alTop:
            split = s.Y - down_.Y;
            break;
        case TAlign::alBottom:
            split = down_.Y - s.Y;
            break;
        default:
            break;
    }
    int n = oldSize_ + split;
    if (n < MinSize) n = AutoSnap && n < MinSize / 2 ? 0 : MinSize;
    if (n > maxSize_) n = maxSize_;
    return n;
}

void TSplitter::apply(int size) {
    if (!control_ || !IsLiveControl(control_)) return;
    switch (Align()) {
        case TAlign::alLeft:
            control_->SetWidth(size);
            break;
        case TAlign::alTop:
            control_->SetHeight(size);
            break;
        case TAlign::alRight:
            control_->SetBounds(control_->Left() + control_->Width() - size, control_->Top(), size,
                                control_->Height());
            break;
        case TAlign::alBottom:
            control_->SetBounds(control_->Left(), control_->Top() + control_->Height() - size,
                                control_->Width(), size);
            break;
        default:
            break;
    }
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
    TGraphicControl::MouseMove(shift, x, y);
    if (!dragging_) return;
    int n = newSize(x, y);
    bool accept = true;
    OnCanResize(this, n, accept);
    if (!accept) return;
    size_ = n;
    if (ResizeStyle == TResizeStyle::rsUpdate) apply(size_);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (dragging_ && button == TMouseButton::mbLeft) {
        dragging_ = false;
        int n = newSize(x, y);
        bool accept = true;
        OnCanResize(this, n, accept);
        if (accept) size_ = n;
        apply(size_);
        control_ = nullptr;
        OnMoved(this);
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

// ---- Radio group ------------------------------------------------------------------

// The radio buttons a radio group makes for its items.
class TGroupButton : public TRadioButton {
    PLAT_CLASS(TGroupButton, TRadioButton)
  public:
    TGroupButton(TCustomRadioGroup* group) : TRadioButton(nullptr), group_(group) {
        SetParent(group);
        OnClick = TNotifyEvent([this](TObject*) { group_->buttonClicked(this); }, this);
    }

  private:
    TCustomRadioGroup* group_;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner) : TCustomGroupBox(owner) {
    SetBounds(0, 0, 185, 105);
}

TCustomRadioGroup::~TCustomRadioGroup() {
    BeginDestroy();
    for (auto* b : buttons_) delete b;
    buttons_.clear();
}

void TCustomRadioGroup::StringsReset() {
    updating_ = true;
    while ((int)buttons_.size() > items_.Count()) {
        delete buttons_.back();
        buttons_.pop_back();
    }
    while ((int)buttons_.size() < items_.Count()) buttons_.push_back(new TGroupButton(this));
    for (int i = 0; i < items_.Count(); ++i) {
        buttons_[i]->SetCaption(items_[i]);
        buttons_[i]->SetEnabled(Enabled());
    }
    if (itemIndex_ >= items_.Count()) itemIndex_ = items_.Count() - 1;
    for (int i = 0; i < (int)buttons_.size(); ++i) buttons_[i]->SetChecked(i == itemIndex_);
    updating_ = false;
    arrange();
}

void TCustomRadioGroup::SetItemIndex(int v) {
    if (v < -1) v = -1;
    if (v >= (int)buttons_.size()) v = (int)buttons_.size() - 1;
    if (v == itemIndex_) return;
    if (itemIndex_ >= 0) buttons_[itemIndex_]->SetChecked(false);
    itemIndex_ = v;
    if (v >= 0) buttons_[v]->SetChecked(true);
}

void TCustomRadioGroup::buttonClicked(TRadioButton* b) {
    if (updating_) return;
    auto it = std::find(buttons_.begin(), buttons_.end(), b);
    if (it == buttons_.end() || !b->Checked()) return;
    itemIndex_ = (int)(it - buttons_.begin());
    Click();
}

void TCustomRadioGroup::SetColumns(int v) {
    columns_ = std::clamp(v, 1, 16);
    arrange();
}

void TCustomRadioGroup::arrange() {
    if (buttons_.empty()) return;
    int th = FontTextHeight(Font()->Data());
    int n = (int)buttons_.size();
    int perCol = (n + columns_ - 1) / columns_;
    int bw = (Width() - 10) / columns_;
    int i = Height() - th - 5;
    int bh = i / perCol;
    int topMargin = th + 1 + (i % perCol) / 2;
    for (int k = 0; k < n; ++k) {
        buttons_[k]->SetBounds((k / perCol) * bw + 8, (k % perCol) * bh + topMargin, bw, bh);
        buttons_[k]->SetVisible(true);
    }
}

void TCustomRadioGroup::Resize() {
    TCustomGroupBox::Resize();
    arrange();
}

void TCustomRadioGroup::FontChanged() {
    TCustomGroupBox::FontChanged();
    arrange();
}

void TCustomRadioGroup::EnabledChanged() {
    TCustomGroupBox::EnabledChanged();
    for (auto* b : buttons_) b->SetEnabled(Enabled());
}

// ---- Timer ---------------------------------------------------------------------------

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    EnsureApplication();
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { SafeCall([this] { Timer(); }); });
    update();
}

TTimer::~TTimer() {
    BeginDestroy();
    timer_->stop();
}

bool TTimer::Running() const {
    return enabled_ && interval_ > 0 && OnTimer.Assigned();
}

void TTimer::SetEnabled(bool v) {
    enabled_ = v;
    update();
}

void TTimer::SetInterval(int v) {
    interval_ = v;
    update();
}

void TTimer::update() {
    timer_->stop();
    if (enabled_ && interval_ > 0) timer_->start(interval_);
}

void TTimer::Timer() {
    if (enabled_ && interval_ > 0) OnTimer(this);
}

// ---- Scroll box ------------------------------------------------------------------------

int TControlScrollBar::Position() const {
    return bar_ ? bar_->value() : 0;
}
void TControlScrollBar::SetPosition(int v) {
    if (bar_) bar_->setValue(v);
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
    auto* area = new HostWidget<QScrollArea>(this);
    area_ = area;
    content_ = new QWidget();
    content_->setAutoFillBackground(false);
    area->setWidget(content_);
    area->setWidgetResizable(false);
    area->setFocusPolicy(Qt::NoFocus);
    HorzScrollBar.bar_ = area->horizontalScrollBar();
    VertScrollBar.bar_ = area->verticalScrollBar();
    HorzScrollBar.bar_->setTracking(false);
    VertScrollBar.bar_->setTracking(false);
    SetWidget(area);
    SetClientWidget(content_);
    ControlStyle.Include(TControlStyleItem::csAcceptsControls);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::UpdateScrollRange() {
    if (!content_) return;
    int w = 0, h = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        w = std::max(w, c->Left() + c->Width());
        h = std::max(h, c->Top() + c->Height());
    }
    HorzScrollBar.Range = w;
    VertScrollBar.Range = h;
    QSize vp = area_->viewport()->size();
    content_->resize(std::max(w, vp.width()), std::max(h, vp.height()));
    HorzScrollBar.bar_->setTracking(HorzScrollBar.Tracking);
    VertScrollBar.bar_->setTracking(VertScrollBar.Tracking);
}

void TScrollBox::Resize() {
    TScrollingWinControl::Resize();
    UpdateScrollRange();
}

void TScrollBox::ScrollInView(TControl* c) {
    if (c && c->Widget()) area_->ensureWidgetVisible(c->Widget());
}

// ---- Gauge ------------------------------------------------------------------------------

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 100, 100);
}

void TGauge::SetMinValue(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    progress_ = std::clamp(progress_, min_, max_);
    Invalidate();
}

void TGauge::SetMaxValue(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    progress_ = std::clamp(progress_, min_, max_);
    Invalidate();
}

void TGauge::SetProgress(int v) {
    progress_ = std::clamp(v, min_, max_);
    Invalidate();
}

int TGauge::PercentDone() const {
    long long range = (long long)max_ - min_;
    if (range == 0) return 0;
    return (int)(((long long)(progress_ - min_) * 100) / range);
}

void TGauge::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush.Color = BackColor;
    c->FillRect(r);
    int pct = PercentDone();
    TRect done = r;
    switch (Kind) {
        case TGaugeKind::gkHorizontalBar:
            done.Right = r.Left + r.Width() * pct / 100;
            break;
        case TGaugeKind::gkVerticalBar:
            done.Top = r.Bottom - r.Height() * pct / 100;
            break;
        default:
            done = {};
    }
    if (!done.IsEmpty()) {
        c->Brush.Color = ForeColor;
        c->FillRect(done);
    }
    c->Pen.Color = clBlack;
    c->Brush.Style = TBrushStyle::bsClear;
    c->Rectangle(r);
    if (ShowText) {
        // The text reads in the back colour over the bar and in the bar's colour beside it.
        std::string text = std::to_string(pct) + "%";
        c->Font.Assign(*Font());
        TSize ts = c->TextExtent(text);
        int x = r.Left + (r.Width() - ts.cx) / 2, y = r.Top + (r.Height() - ts.cy) / 2;
        c->Brush.Style = TBrushStyle::bsClear;
        TRect rest = r;
        if (!done.IsEmpty()) {
            c->Font.SetColor(BackColor);
            c->TextRect(done, x, y, text);
            if (Kind == TGaugeKind::gkHorizontalBar)
                rest.Left = done.Right;
            else
                rest.Bottom = done.Top;
        }
        c->Font.SetColor(ForeColor);
        if (!rest.IsEmpty()) c->TextRect(rest, x, y, text);
    }
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TCustomPanel) {
    p.Prop("Caption", &TCustomPanel::Caption, &TCustomPanel::SetCaption, "TCaption");
    p.Prop("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment);
    p.Prop("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, "TPanelBevel");
    p.Prop("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, "TPanelBevel");
    p.Prop("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, "TBevelWidth");
    p.Prop("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth,
           "TBorderWidth");
    p.Prop("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle);
}

PLAT_PUBLISH(TBevel) {
    p.Prop("Shape", &TBevel::Shape, &TBevel::SetShape);
    p.Prop("Style", &TBevel::Style, &TBevel::SetStyle);
}

PLAT_PUBLISH(TPicture) {
    p.Prop("Bitmap", [](TPicture& pic) { return pic.Bitmap(); });
}

PLAT_PUBLISH(TImage) {
    p.Prop(
        "Picture", [](TImage& i) { return i.Picture(); },
        [](TImage& i, TPicture* pic) { i.Picture()->Assign(pic); });
    p.Prop("Stretch", &TImage::Stretch, &TImage::SetStretch);
    p.Prop("Center", &TImage::Center, &TImage::SetCenter);
    p.Prop("Transparent", &TImage::Transparent, &TImage::SetTransparent);
    p.Prop("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize);
}

PLAT_PUBLISH(TPaintBox) {
    p.Prop("OnPaint", &TPaintBox::OnPaint);
}

PLAT_PUBLISH(TSplitter) {
    p.Prop("Beveled", &TSplitter::Beveled);
    p.Prop("MinSize", &TSplitter::MinSize, nullptr, "NaturalNumber");
    p.Prop("AutoSnap", &TSplitter::AutoSnap);
    p.Prop("ResizeStyle", &TSplitter::ResizeStyle);
    p.Prop("OnMoved", &TSplitter::OnMoved);
    p.Prop("OnCanResize", &TSplitter::OnCanResize, nullptr, "TCanResizeEvent");
}

PLAT_PUBLISH(TCustomRadioGroup) {
    p.Strings(
        "Items", [](TCustomRadioGroup& g) { return g.Items()->Lines(); },
        [](TCustomRadioGroup& g, const std::vector<std::string>& l) { g.Items()->SetLines(l); });
    p.Prop("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex);
    p.Prop("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns);
}

PLAT_PUBLISH(TTimer) {
    p.Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    p.Prop("Interval", &TTimer::Interval, &TTimer::SetInterval, "Cardinal");
    p.Prop("OnTimer", &TTimer::OnTimer);
}

PLAT_PUBLISH(TScrollBox) {
    p.Prop("AutoScroll", &TScrollBox::AutoScroll);
    p.Prop("BorderStyle", &TScrollBox::BorderStyle);
}

PLAT_PUBLISH(TGauge) {
    p.Prop("MinValue", &TGauge::MinValue, &TGauge::SetMinValue);
    p.Prop("MaxValue", &TGauge::MaxValue, &TGauge::SetMaxValue);
    p.Prop("Progress", &TGauge::Progress, &TGauge::SetProgress);
    p.Prop("Kind", &TGauge::Kind);
    p.Color("ForeColor", &TGauge::ForeColor);
    p.Color("BackColor", &TGauge::BackColor);
    p.Prop("ShowText", &TGauge::ShowText);
}

}  // namespace plat
