#include "platform/ui/tabset.h"

#include <algorithm>

#include "platform/component/properties.h"

namespace plat {

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(false);
    SetBounds(0, 0, 185, 21);
    ControlStyle.Include(TControlStyleItem::csClickEvents);
}

void TTabSet::SetTabs(const std::vector<std::string>& tabs) {
    tabs_ = tabs;
    int n = (int)tabs_.size();
    if (tabIndex_ >= n) tabIndex_ = n - 1;
    if (firstIndex_ >= n) firstIndex_ = std::max(0, n - 1);
    Invalidate();
}

void TTabSet::SetTabIndex(int i) {
    if (i < -1 || i >= (int)tabs_.size() || i == tabIndex_) return;
    bool allow = true;
    OnChange(this, i, allow);
    if (!allow) return;
    tabIndex_ = i;
    // The selected tab is brought into view.
    if (i >= 0 && i < firstIndex_) firstIndex_ = i;
    while (i >= 0 && firstIndex_ < i && ItemRect(i).IsEmpty()) ++firstIndex_;
    Invalidate();
}

void TTabSet::SetFirstIndex(int i) {
    if (i < 0 || i >= std::max(1, (int)tabs_.size())) return;
    firstIndex_ = i;
    Invalidate();
}

void TTabSet::SetStyle(TTabSetStyle s) {
    style_ = s;
    Invalidate();
}
void TTabSet::SetTabHeight(int h) {
    tabHeight_ = std::max(1, h);
    Invalidate();
}
void TTabSet::SetStartMargin(int v) {
    startMargin_ = std::max(0, v);
    Invalidate();
}
void TTabSet::SetSelectedColor(TColor c) {
    selectedColor_ = c;
    Invalidate();
}
void TTabSet::SetUnselectedColor(TColor c) {
    unselectedColor_ = c;
    Invalidate();
}
void TTabSet::SetBackgroundColor(TColor c) {
    backgroundColor_ = c;
    Invalidate();
}

int TTabSet::tabWidth(int i) {
    int w = MeasureText(Font()->Data(), tabs_[i]).cx + 12;
    if (style_ == TTabSetStyle::tsOwnerDraw) OnMeasureTab(this, i, w);
    return std::max(w, 4);
}

TRect TTabSet::ItemRect(int index) {
    if (index < firstIndex_ || index >= (int)tabs_.size()) return {};
    int x = startMargin_;
    for (int i = firstIndex_; i < index; ++i) x += tabWidth(i);
    int w = tabWidth(index);
    if (x + w > ClientWidth()) return {};
    return {x, 0, x + w, std::min(ClientHeight(), tabHeight_)};
}

int TTabSet::ItemAtPos(TPoint p) {
    for (int i = firstIndex_; i < (int)tabs_.size(); ++i) {
        TRect r = ItemRect(i);
        if (r.IsEmpty()) break;
        if (r.Contains(p)) return i;
    }
    return -1;
}

void TTabSet::Paint() {
    TCanvas* c = Canvas();
    c->Brush = TBrush{backgroundColor_, TBrushStyle::bsSolid};
    c->FillRect(ClientRect());
    c->Pen = TPen{clBtnShadow, 1};
    c->MoveTo(0, 0);
    c->LineTo(ClientWidth(), 0);
    for (int i = firstIndex_; i < (int)tabs_.size(); ++i) {
        TRect r = ItemRect(i);
        if (r.IsEmpty()) break;
        bool sel = i == tabIndex_;
        c->Brush = TBrush{sel ? selectedColor_ : unselectedColor_, TBrushStyle::bsSolid};
        c->Pen = TPen{clBlack, 1};
        // A tab hangs from the top edge: a trapezoid, the selected one over the line.
        c->Polygon({{r.Left, r.Top},
                    {r.Left + 4, r.Bottom - 1},
                    {r.Right - 4, r.Bottom - 1},
                    {r.Right, r.Top}});
        if (sel) {
            c->Pen = TPen{selectedColor_, 1};
            c->MoveTo(r.Left + 1, r.Top);
            c->LineTo(r.Right, r.Top);
        }
        c->Font.Assign(*Font());
        if (style_ == TTabSetStyle::tsOwnerDraw && OnDrawTab) {
            OnDrawTab(this, c, r, i, sel);
            continue;
        }
        TRect t = r;
        c->Brush.Style = TBrushStyle::bsClear;
        c->DrawText(tabs_[i], t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void TTabSet::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == TMouseButton::mbLeft) {
        int i = ItemAtPos({x, y});
        if (i >= 0) SetTabIndex(i);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

PLAT_PUBLISH(TTabSet) {
    p.Strings("Tabs", &TTabSet::Tabs, &TTabSet::SetTabs);
    p.Prop("TabIndex", &TTabSet::TabIndex, &TTabSet::SetTabIndex);
    p.Prop("FirstIndex", &TTabSet::FirstIndex, &TTabSet::SetFirstIndex);
    p.Prop("Style", &TTabSet::Style, &TTabSet::SetStyle);
    p.Prop("TabHeight", &TTabSet::TabHeight, &TTabSet::SetTabHeight);
    p.Prop("StartMargin", &TTabSet::StartMargin, &TTabSet::SetStartMargin);
    p.Color("SelectedColor", &TTabSet::SelectedColor, &TTabSet::SetSelectedColor);
    p.Color("UnselectedColor", &TTabSet::UnselectedColor, &TTabSet::SetUnselectedColor);
    p.Color("BackgroundColor", &TTabSet::BackgroundColor, &TTabSet::SetBackgroundColor);
    p.Prop("OnChange", &TTabSet::OnChange, nullptr, "TTabChangeEvent");
    p.Prop("OnDrawTab", &TTabSet::OnDrawTab, nullptr, "TDrawTabEvent");
    p.Prop("OnMeasureTab", &TTabSet::OnMeasureTab, nullptr, "TMeasureTabEvent");
}

}  // namespace plat
