#include "platform/ui/comctrls.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTreeWidget>
#include <algorithm>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

// ---- Page control --------------------------------------------------------------------

// The tab row of a page control: the platform's rules decide what a click
// does, and owner-drawn tabs are painted through the control's DrawTab.
class PageTabBar : public QTabBar {
  public:
    PageTabBar(TPageControl* pc, QWidget* parent) : QTabBar(parent), pc_(pc) {
        setFocusPolicy(Qt::NoFocus);
        setDrawBase(false);
        setExpanding(false);
    }

  protected:
    bool event(QEvent* e) override {
        // A tab's "&" mnemonic: the platform's accelerator rules decide.
        if (e->type() == QEvent::Shortcut) {
            int key = static_cast<QShortcutEvent*>(e)->key()[0].key();
            if (TCustomForm* f = GetParentForm(pc_))
                SafeCall([&] { f->DialogChar((char32_t)key); });
            return true;
        }
        return QTabBar::event(e);
    }
    void paintEvent(QPaintEvent* e) override {
        if (!pc_->OwnerDraw()) {
            QTabBar::paintEvent(e);
            return;
        }
        QPainter p(this);
        TCanvas c(MakePainterDevice(&p));
        SafeCall([&] { pc_->PaintTabsTo(c); });
    }
    void mousePressEvent(QMouseEvent* e) override {
        int i = tabAt(e->position().toPoint());
        if (i >= 0 && e->button() == Qt::LeftButton) SafeCall([&] { pc_->TabClicked(i); });
    }
    // The wheel is not for choosing pages: it goes on to the window below.
    void wheelEvent(QWheelEvent* e) override { e->ignore(); }
    QSize tabSizeHint(int index) const override {
        QSize s = QTabBar::tabSizeHint(index);
        if (pc_->TabWidth() > 0) s.setWidth(pc_->TabWidth());
        if (pc_->TabHeight() > 0) s.setHeight(pc_->TabHeight());
        return s;
    }

  private:
    TPageControl* pc_;
};

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    auto* w = new HostWidget<QWidget>(this);
    w->setFocusPolicy(Qt::NoFocus);
    SetWidget(w);
    SetAlign(TAlign::alClient);
    SetVisible(false);
    SetColor(clBtnFace);
}

TTabSheet::~TTabSheet() {
    BeginDestroy();
    if (pageControl_) pageControl_->removePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) {
    if (pc == pageControl_) return;
    if (pageControl_) pageControl_->removePage(this);
    SetParent(pc);
    if (pc) pc->insertPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& p = pageControl_->pages_;
    return (int)(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int v) {
    if (!pageControl_) return;
    auto& p = pageControl_->pages_;
    p.erase(std::find(p.begin(), p.end(), this));
    v = std::clamp(v, 0, (int)p.size());
    p.insert(p.begin() + v, this);
    pageControl_->updateTabs();
}

void TTabSheet::SetTabVisible(bool v) {
    if (v == tabVisible_) return;
    int tab = TabIndex();
    tabVisible_ = v;
    if (!pageControl_) return;
    // The active page losing its tab gives way to the page whose tab takes
    // its place (the last tab when it was the last), as the platform does.
    if (!v && pageControl_->activePage_ == this) {
        TTabSheet* next = pageControl_->PageOfTab(tab);
        if (!next) next = pageControl_->FindNextPage(nullptr, false, true);
        pageControl_->SetActivePage(next);
    }
    pageControl_->updateTabs();
}

int TTabSheet::TabIndex() const {
    if (!pageControl_ || !tabVisible_) return -1;
    int n = 0;
    for (TTabSheet* p : pageControl_->pages_) {
        if (p == this) return n;
        if (p->tabVisible_) ++n;
    }
    return -1;
}

void TTabSheet::SetImageIndex(int v) {
    imageIndex_ = v;
    if (pageControl_) pageControl_->updateTabs();
}

void TTabSheet::TextChanged() {
    if (pageControl_) pageControl_->updateTabs();
}

void TTabSheet::VisibleChanged() {
    TWinControl::VisibleChanged();
    if (Visible())
        OnShow(this);
    else
        OnHide(this);
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    auto* w = new HostWidget<QWidget>(this);
    w->setFocusPolicy(Qt::StrongFocus);
    SetWidget(w);
    tabBar_ = new PageTabBar(this, w);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    BeginDestroy();
    while (!pages_.empty()) delete pages_.back();
}

TTabSheet* TPageControl::Pages(int i) const {
    if (i < 0 || i >= PageCount())
        throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return pages_[i];
}

void TPageControl::insertPage(TTabSheet* p) {
    pages_.push_back(p);
    p->pageControl_ = this;
    updateTabs();
    if (!activePage_) SetActivePage(p);
}

void TPageControl::removePage(TTabSheet* p) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), p), pages_.end());
    p->pageControl_ = nullptr;
    if (activePage_ == p) {
        activePage_ = nullptr;
        if (!Destroying()) SetActivePage(FindNextPage(nullptr, true, true));
    }
    if (!Destroying()) updateTabs();
}

void TPageControl::InsertChildWidget(TControl* child) {
    TWinControl::InsertChildWidget(child);
}

int TPageControl::ActivePageIndex() const {
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int v) {
    SetActivePage(v >= 0 && v < PageCount() ? pages_[v] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* p) {
    if (p && p->pageControl_ != this) return;
    if (p == activePage_) return;
    TTabSheet* old = activePage_;
    TCustomForm* form = GetParentForm(this);
    // The focus leaves the page that goes away.
    if (form && old && old->ContainsControl(form->ActiveControl()) && CanFocus()) SetFocus();
    activePage_ = p;
    if (p) {
        p->BringToFront();
        p->SetVisible(true);
    }
    if (old && IsLiveControl(old)) old->SetVisible(false);
    updateTabs();
}

int TPageControl::TabIndex() const {
    return activePage_ ? activePage_->TabIndex() : -1;
}

void TPageControl::SetTabIndex(int v) {
    if (TTabSheet* p = PageOfTab(v)) SetActivePage(p);
}

TTabSheet* TPageControl::PageOfTab(int tabIndex) const {
    if (tabIndex < 0) return nullptr;
    int n = 0;
    for (TTabSheet* p : pages_) {
        if (!p->tabVisible_) continue;
        if (n++ == tabIndex) return p;
    }
    return nullptr;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* cur, bool goForward, bool checkTabVisible) const {
    int n = PageCount();
    if (!n) return nullptr;
    int start = (int)(std::find(pages_.begin(), pages_.end(), cur) - pages_.begin());
    if (start == n) start = goForward ? n - 1 : 0;
    int i = start;
    do {
        if (goForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        if (!checkTabVisible || pages_[i]->tabVisible_) return pages_[i];
    } while (i != start);
    return nullptr;
}

bool TPageControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    OnChange(this);
}

void TPageControl::TabClicked(int tabIndex) {
    TTabSheet* p = PageOfTab(tabIndex);
    if (!p || p == activePage_ || !CanChange()) return;
    SetActivePage(p);
    Change();
}

void TPageControl::SelectNextPage(bool goForward) {
    TTabSheet* p = FindNextPage(activePage_, goForward, true);
    if (!p || p == activePage_ || !CanChange()) return;
    SetActivePage(p);
    Change();
}

void TPageControl::SetOwnerDraw(bool v) {
    ownerDraw_ = v;
    tabBar_->update();
}

void TPageControl::SetTabHeight(int v) {
    tabHeight_ = v;
    updateTabs();
}

void TPageControl::SetTabWidth(int v) {
    tabWidth_ = v;
    updateTabs();
}

void TPageControl::SetImages(TCustomImageList* v) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = v;
    if (v) v->FreeNotification(this);
    updateTabs();
}

void TPageControl::Notification(TComponent* c, TOperation op) {
    TWinControl::Notification(c, op);
    if (op == TOperation::opRemove && c == images_) images_ = nullptr;
}

void TPageControl::updateTabs() {
    if (updating_ || !tabBar_) return;
    updating_ = true;
    QSignalBlocker block(tabBar_);
    while (tabBar_->count()) tabBar_->removeTab(0);
    for (TTabSheet* p : pages_) {
        if (!p->tabVisible_) continue;
        int i = tabBar_->addTab(Q(p->Caption()));
        if (images_ && p->imageIndex_ >= 0 && p->imageIndex_ < images_->Count())
            tabBar_->setTabIcon(i, QIcon(QPixmap::fromImage(images_->ImageAt(p->imageIndex_))));
    }
    int t = TabIndex();
    if (t >= 0) tabBar_->setCurrentIndex(t);
    updating_ = false;
    layout();
    tabBar_->update();
}

void TPageControl::layout() {
    if (!tabBar_) return;
    int h = tabBar_->count() ? tabBar_->sizeHint().height() : 0;
    tabBar_->setGeometry(0, 0, Width(), h);
    Realign();
}

void TPageControl::Resize() {
    layout();
    TWinControl::Resize();
}

TRect TPageControl::DisplayRect() const {
    int h = tabBar_ && tabBar_->count() ? tabBar_->sizeHint().height() : 0;
    return Rect(4, h + 4, std::max(4, Width() - 4), std::max(h + 4, Height() - 4));
}

void TPageControl::AlignControls(TControl* changing, TRect& rect) {
    TRect d = DisplayRect();
    TWinControl::AlignControls(changing, d);
}

TRect TPageControl::TabRect(int tabIndex) const {
    if (!tabBar_ || tabIndex < 0 || tabIndex >= tabBar_->count()) return {};
    return FromQRect(tabBar_->tabRect(tabIndex));
}

void TPageControl::DrawTab(int tabIndex, const TRect& r, bool active) {
    if (OnDrawTab)
        OnDrawTab(this, tabIndex, r, active);
    else
        Canvas()->FillRect(r);
}

void TPageControl::PaintTabsTo(TCanvas& canvas) {
    auto old = Canvas()->Device();
    Canvas()->SetDevice(canvas.Device());
    struct Restore {
        TCanvas* c;
        std::shared_ptr<CanvasDevice> d;
        ~Restore() { c->SetDevice(d); }
    } restore{Canvas(), old};
    int active = TabIndex();
    int n = tabBar_ ? tabBar_->count() : 0;
    for (int i = 0; i < n; ++i) {
        Canvas()->Font.Assign(*Font());
        Canvas()->Brush = TBrush{Color(), TBrushStyle::bsSolid};
        Canvas()->Pen = TPen{};
        DrawTab(i, TabRect(i), i == active);
    }
}

bool TPageControl::WantsKey(uint16_t key, TShiftState shift) const {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

void TPageControl::KeyDown(uint16_t& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    if (key == VK_LEFT || key == VK_UP) {
        SelectNextPage(false);
        key = 0;
    } else if (key == VK_RIGHT || key == VK_DOWN) {
        SelectNextPage(true);
        key = 0;
    }
}

void TPageControl::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGKEY) {
        auto shift = TShiftState::FromBits((uint32_t)m.LParam);
        TCustomForm* f = GetParentForm(this);
        bool inside = f && ContainsControl(f->ActiveControl());
        if (m.WParam == VK_TAB && shift.Contains(ssCtrl) && inside) {
            SelectNextPage(!shift.Contains(ssShift));
            m.Result = 1;
            return;
        }
    }
    if (m.Msg == CM_DIALOGCHAR) {
        auto ch = (char32_t)m.WParam;
        for (TTabSheet* p : pages_) {
            if (!p->tabVisible_ || AccelCharOf(p->Caption()) != ch || !CanFocus()) continue;
            m.Result = 1;
            if (p != activePage_ && CanChange()) {
                SetActivePage(p);
                Change();
            }
            return;
        }
    }
    TWinControl::WndProc(m);
}

// ---- Tool bar -------------------------------------------------------------------------

namespace {
constexpr int kDropDownArrow = 15;
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    clickOnMouseUp_ = false;
    SetParentColor(true);
    SetBounds(0, 0, 23, 22);
    Widget()->setAttribute(Qt::WA_Hover, true);
}

TToolBar* TToolButton::ToolBar() const {
    return dynamic_cast<TToolBar*>(Parent());
}

int TToolButton::Index() const {
    TToolBar* tb = ToolBar();
    if (!tb) return -1;
    auto& b = tb->buttons_;
    auto it = std::find(b.begin(), b.end(), this);
    return it == b.end() ? -1 : (int)(it - b.begin());
}

void TToolButton::SetStyle(TToolButtonStyle v) {
    if (v == style_) return;
    style_ = v;
    if (v == TToolButtonStyle::tbsSeparator || v == TToolButtonStyle::tbsDivider)
        TGraphicControl::SetBounds(Left(), Top(), 8, Height());
    if (TToolBar* tb = ToolBar()) tb->ArrangeButtons();
    Invalidate();
}

void TToolButton::SetBounds(int left, int top, int width, int height) {
    int oldLeft = Left();
    TGraphicControl::SetBounds(left, top, width, height);
    TToolBar* tb = ToolBar();
    if (tb && !tb->arranging_ && left != oldLeft) tb->buttonMoved(this, left);
}

void TToolButton::SetDown(bool v) {
    if (v == down_) return;
    down_ = v;
    if (v && Grouped && style_ == TToolButtonStyle::tbsCheck) {
        if (TToolBar* tb = ToolBar()) {
            int i = Index();
            auto& b = tb->buttons_;
            auto grouped = [](TToolButton* x) {
                return x->Grouped && x->style_ == TToolButtonStyle::tbsCheck;
            };
            for (int j = i - 1; j >= 0 && grouped(b[j]); --j)
                b[j]->down_ = false, b[j]->Invalidate();
            for (int j = i + 1; j < (int)b.size() && grouped(b[j]); ++j)
                b[j]->down_ = false, b[j]->Invalidate();
        }
    }
    Invalidate();
}

void TToolButton::SetDropdownMenu(TPopupMenu* m) {
    if (dropdownMenu_) dropdownMenu_->RemoveFreeNotification(this);
    dropdownMenu_ = m;
    if (m) m->FreeNotification(this);
}

void TToolButton::SetMenuItem(TMenuItem* m) {
    if (menuItem_) menuItem_->RemoveFreeNotification(this);
    menuItem_ = m;
    if (!m) return;
    m->FreeNotification(this);
    SetCaption(m->Caption());
    SetHint(m->Hint);
    SetEnabled(m->Enabled());
    SetImageIndex(m->ImageIndex());
    if (m->Checked()) down_ = true;
}

void TToolButton::Notification(TComponent* c, TOperation op) {
    TGraphicControl::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == dropdownMenu_) dropdownMenu_ = nullptr;
    if (c == menuItem_) menuItem_ = nullptr;
}

void TToolButton::Click() {
    if (menuItem_)
        menuItem_->Click();
    else
        TGraphicControl::Click();
}

void TToolButton::DropDown() {
    if (!dropdownMenu_) return;
    TPoint p = ClientToScreen({0, Height()});
    dropdownMenu_->SetPopupComponent(this);
    dropdownMenu_->Popup(p.X, p.Y);
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft || !Enabled()) return;
    if (style_ == TToolButtonStyle::tbsSeparator || style_ == TToolButtonStyle::tbsDivider) return;
    if (style_ == TToolButtonStyle::tbsDropDown && x >= Width() - kDropDownArrow) {
        DropDown();
        return;
    }
    pressed_ = true;
    Invalidate();
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (pressed_ && button == TMouseButton::mbLeft) {
        pressed_ = false;
        Invalidate();
        if (ClientRect().Contains({x, y})) {
            if (style_ == TToolButtonStyle::tbsCheck && !(Grouped && down_ && !AllowAllUp))
                SetDown(!down_);
            Click();
        }
    }
    if (IsLiveControl(this)) TGraphicControl::MouseUp(button, shift, x, y);
}

bool TToolButton::HandleQtEvent(QEvent* e, const QtBaseEvent& base) {
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
        mouseIn_ = e->type() == QEvent::Enter;
        Invalidate();
    }
    return TGraphicControl::HandleQtEvent(e, base);
}

void TToolButton::Paint() {
    TCanvas* c = Canvas();
    TToolBar* tb = ToolBar();
    TRect r = ClientRect();
    c->Brush.Color = Color();
    c->FillRect(r);
    if (style_ == TToolButtonStyle::tbsSeparator) return;
    if (style_ == TToolButtonStyle::tbsDivider) {
        int x = r.Width() / 2 - 1;
        c->Pen.Color = clBtnShadow;
        c->MoveTo(x, 2);
        c->LineTo(x, r.Bottom - 2);
        c->Pen.Color = clBtnHighlight;
        c->MoveTo(x + 1, 2);
        c->LineTo(x + 1, r.Bottom - 2);
        return;
    }
    bool flat = tb && tb->Flat();
    bool sunken = down_ || pressed_;
    if (sunken) {
        TRect f = r;
        Frame3D(*c, f, clBtnShadow, clBtnHighlight, 1);
    } else if (!flat || (mouseIn_ && Enabled())) {
        TRect f = r;
        Frame3D(*c, f, clBtnHighlight, clBtnShadow, 1);
    }
    TRect content = r;
    if (style_ == TToolButtonStyle::tbsDropDown) {
        content.Right -= kDropDownArrow;
        int ax = content.Right + kDropDownArrow / 2, ay = r.Height() / 2;
        c->Pen.Color = Enabled() ? clBtnText : clGrayText;
        c->Brush.Color = c->Pen.Color;
        c->Polygon({{ax - 3, ay - 1}, {ax + 3, ay - 1}, {ax, ay + 2}});
        if (!flat || mouseIn_) {
            c->Pen.Color = clBtnShadow;
            c->MoveTo(content.Right, 2);
            c->LineTo(content.Right, r.Bottom - 2);
        }
    }
    int off = sunken ? 1 : 0;
    TCustomImageList* list = tb ? tb->Images() : nullptr;
    if (tb && !Enabled() && tb->DisabledImages())
        list = tb->DisabledImages();
    else if (tb && mouseIn_ && tb->HotImages())
        list = tb->HotImages();
    bool caption = tb && tb->ShowCaptions() && !Caption().empty();
    int th = caption ? c->TextHeight("0") : 0;
    if (list && imageIndex_ >= 0 && imageIndex_ < list->Count()) {
        int x = content.Left + (content.Width() - list->Width()) / 2 + off;
        int y = content.Top + (content.Height() - th - list->Height()) / 2 + off;
        bool greyed = !Enabled() && !(tb && tb->DisabledImages());
        list->Draw(*c, x, y, imageIndex_, !greyed);
    }
    if (caption) {
        c->Font.Assign(*Font());
        if (!Enabled()) c->Font.SetColor(clGrayText);
        c->Brush.Style = TBrushStyle::bsClear;
        TRect t = Bounds(content.Left + off, content.Bottom - th - 2 + off, content.Width(), th);
        c->DrawText(Caption(), t, DT_CENTER | DT_SINGLELINE);
    }
}

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner) {
    ControlStyle.Include(TControlStyleItem::csAcceptsControls);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetColor(clBtnFace);
    SetBounds(0, 0, 150, 29);
    SetAlign(TAlign::alTop);
}

void TToolBar::SetButtonWidth(int v) {
    buttonWidth_ = v;
    ArrangeButtons();
}
void TToolBar::SetButtonHeight(int v) {
    buttonHeight_ = v;
    ArrangeButtons();
}
void TToolBar::SetShowCaptions(bool v) {
    showCaptions_ = v;
    ArrangeButtons();
}
void TToolBar::SetWrapable(bool v) {
    wrapable_ = v;
    ArrangeButtons();
}
void TToolBar::SetIndent(int v) {
    indent_ = v;
    ArrangeButtons();
}

void TToolBar::SetImages(TCustomImageList* v) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = v;
    if (v) v->FreeNotification(this);
    for (auto* b : buttons_) b->Invalidate();
}

void TToolBar::SetDisabledImages(TCustomImageList* v) {
    if (disabledImages_) disabledImages_->RemoveFreeNotification(this);
    disabledImages_ = v;
    if (v) v->FreeNotification(this);
}

void TToolBar::SetHotImages(TCustomImageList* v) {
    if (hotImages_) hotImages_->RemoveFreeNotification(this);
    hotImages_ = v;
    if (v) v->FreeNotification(this);
}

void TToolBar::Notification(TComponent* c, TOperation op) {
    TCustomControl::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == images_) images_ = nullptr;
    if (c == disabledImages_) disabledImages_ = nullptr;
    if (c == hotImages_) hotImages_ = nullptr;
}

void TToolBar::ControlsChanged() {
    std::vector<TToolButton*> now;
    for (auto* b : buttons_)
        if (b->Parent() == this) now.push_back(b);
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TToolButton*>(Controls(i));
            b && std::find(now.begin(), now.end(), b) == now.end())
            now.push_back(b);
    buttons_ = now;
    ArrangeButtons();
}

void TToolBar::buttonMoved(TToolButton* b, int left) {
    buttons_.erase(std::find(buttons_.begin(), buttons_.end(), b));
    auto at = std::find_if(buttons_.begin(), buttons_.end(),
                           [&](TToolButton* x) { return x->Left() >= left; });
    buttons_.insert(at, b);
    ArrangeButtons();
}

void TToolBar::AlignControls(TControl* changing, TRect& rect) {
    ArrangeButtons();
}

void TToolBar::ArrangeButtons() {
    if (arranging_) return;
    arranging_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{arranging_};
    int x = indent_, y = 0;
    TCanvas measure;
    measure.Font.Assign(*Font());
    for (TToolButton* b : buttons_) {
        if (!b->Visible()) continue;
        bool sep = b->style_ == TToolButtonStyle::tbsSeparator ||
                   b->style_ == TToolButtonStyle::tbsDivider;
        int w = sep ? b->Width() : buttonWidth_;
        if (!sep && showCaptions_ && !b->Caption().empty())
            w = std::max(w, measure.TextWidth(StripPrefix(b->Caption())) + 8);
        if (b->style_ == TToolButtonStyle::tbsDropDown) w += kDropDownArrow;
        if (wrapable_ && x > indent_ && x + w > ClientWidth()) {
            x = indent_;
            y += buttonHeight_;
        }
        b->TGraphicControl::SetBounds(x, y, w, buttonHeight_);
        x += w;
        if (b->Wrap) {
            x = indent_;
            y += buttonHeight_;
        }
    }
}

void TToolBar::Paint() {
    Canvas()->Brush.Color = Color();
    Canvas()->FillRect(ClientRect());
}

// ---- Status bar -----------------------------------------------------------------------

TStatusPanel::TStatusPanel(TCollection* c) : TCollectionItem(c) {}

void TStatusPanel::SetText(const std::string& v) {
    text_ = v;
    Changed();
}
void TStatusPanel::SetWidth(int v) {
    width_ = v;
    Changed();
}
void TStatusPanel::SetAlignment(TAlignment v) {
    alignment_ = v;
    Changed();
}
void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    bevel_ = v;
    Changed();
}
void TStatusPanel::SetStyle(TStatusPanelStyle v) {
    style_ = v;
    Changed();
}

void TStatusPanel::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TStatusPanel*>(source)) {
        text_ = p->text_;
        width_ = p->width_;
        alignment_ = p->alignment_;
        bevel_ = p->bevel_;
        style_ = p->style_;
        Changed();
        return;
    }
    TCollectionItem::Assign(source);
}

TStatusPanels::TStatusPanels(TStatusBar* bar)
    : TCollection(FactoryOf<TStatusPanel>(), bar), bar_(bar) {}

void TStatusPanels::Update(TCollectionItem*) {
    bar_->Invalidate();
}

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner) {
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetColor(clBtnFace);
    SetBounds(0, 0, 200, 19);
    SetAlign(TAlign::alBottom);
}

void TStatusBar::SetSimplePanel(bool v) {
    simplePanel_ = v;
    Invalidate();
}
void TStatusBar::SetSimpleText(const std::string& v) {
    simpleText_ = v;
    Invalidate();
}

TRect TStatusBar::PanelRect(int index) const {
    int x = 0;
    for (int i = 0; i < index; ++i) x += panels_.Items(i)->Width();
    bool last = index == panels_.Count() - 1;
    int right = last ? std::max(x, ClientWidth()) : x + panels_.Items(index)->Width();
    return Rect(x, 0, right, ClientHeight());
}

void TStatusBar::Paint() {
    TCanvas* c = Canvas();
    c->Brush.Color = Color();
    c->FillRect(ClientRect());
    auto panel = [&](TRect r, const std::string& text, TAlignment align, TStatusPanelBevel bevel) {
        TRect f = Rect(r.Left, r.Top + 2, r.Right - 2, r.Bottom);
        if (bevel != TStatusPanelBevel::pbNone)
            Frame3D(*c, f, bevel == TStatusPanelBevel::pbLowered ? clBtnShadow : clBtnHighlight,
                    bevel == TStatusPanelBevel::pbLowered ? clBtnHighlight : clBtnShadow, 1);
        static const unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        TRect t = f;
        InflateRect(t, -1, 0);
        c->Brush.Style = TBrushStyle::bsClear;
        c->DrawText(
            text, t,
            kAlign[(int)align] | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        c->Brush.Style = TBrushStyle::bsSolid;
    };
    if (simplePanel_) {
        panel(ClientRect(), simpleText_, TAlignment::taLeftJustify, TStatusPanelBevel::pbLowered);
        return;
    }
    for (int i = 0; i < panels_.Count(); ++i) {
        TStatusPanel* p = panels_.Items(i);
        if (p->Style() == TStatusPanelStyle::psOwnerDraw && OnDrawPanel)
            OnDrawPanel(this, p, PanelRect(i));
        else
            panel(PanelRect(i), p->Text(), p->Alignment(), p->Bevel());
    }
}

// ---- Edit delegate shared by the list and tree views ----------------------------------

namespace {
class CaptionDelegate : public QStyledItemDelegate {
  public:
    using CanEdit = std::function<bool(QTreeWidgetItem*)>;
    using Edited = std::function<void(QTreeWidgetItem*, std::string)>;
    CaptionDelegate(QTreeWidget* tree, CanEdit can, Edited edited)
        : QStyledItemDelegate(tree),
          tree_(tree),
          can_(std::move(can)),
          edited_(std::move(edited)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& o,
                          const QModelIndex& idx) const override {
        if (idx.column() != 0) return nullptr;
        bool ok = false;
        QTreeWidgetItem* it = tree_->itemFromIndex(idx);
        SafeCall([&] { ok = can_(it); });
        return ok ? QStyledItemDelegate::createEditor(parent, o, idx) : nullptr;
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& idx) const override {
        auto* le = qobject_cast<QLineEdit*>(editor);
        if (!le) return;
        QTreeWidgetItem* it = tree_->itemFromIndex(idx);
        std::string text = S(le->text());
        SafeCall([&] { edited_(it, text); });
    }

  private:
    QTreeWidget* tree_;
    CanEdit can_;
    Edited edited_;
};

// The position of an element in a list, looked for outwards from where it
// was last found: it has moved only as far as rows were added or deleted
// before it, so walking a list, or deleting from either end, stays linear.
template <class T>
int IndexWithHint(const std::vector<T*>& list, const T* x, int& hint) {
    int n = (int)list.size();
    int h = std::clamp(hint, 0, std::max(0, n - 1));
    for (int d = 0; h - d >= 0 || h + d < n; ++d) {
        if (h + d < n && list[h + d] == x) return hint = h + d;
        if (d && h - d >= 0 && list[h - d] == x) return hint = h - d;
    }
    return -1;
}

QIcon IconOf(TCustomImageList* list, int index) {
    if (!list || index < 0 || index >= list->Count()) return QIcon();
    return QIcon(QPixmap::fromImage(list->ImageAt(index)));
}
}  // namespace

// ---- List view ------------------------------------------------------------------------

TListColumn::TListColumn(TCollection* c) : TCollectionItem(c) {}

void TListColumn::SetCaption(const std::string& v) {
    caption_ = v;
    Changed();
}
void TListColumn::SetAlignment(TAlignment v) {
    alignment_ = v;
    Changed();
}

int TListColumn::Width() const {
    auto* cols = dynamic_cast<TListColumns*>(Collection());
    if (cols && cols->ListView() && Index() < cols->ListView()->Tree()->columnCount())
        return cols->ListView()->Tree()->columnWidth(Index());
    return width_;
}

void TListColumn::SetWidth(int v) {
    width_ = v;
    Changed();
}

void TListColumn::Assign(TPersistent* source) {
    if (auto* c = dynamic_cast<TListColumn*>(source)) {
        caption_ = c->caption_;
        width_ = c->width_;
        alignment_ = c->alignment_;
        AutoSize = c->AutoSize;
        Changed();
        return;
    }
    TCollectionItem::Assign(source);
}

TListColumns::TListColumns(TListView* owner)
    : TCollection(FactoryOf<TListColumn>(), owner), view_(owner) {}

void TListColumns::Update(TCollectionItem*) {
    view_->updateColumns();
}

namespace {
Qt::Alignment QtAlign(TAlignment a) {
    return (a == TAlignment::taRightJustify ? Qt::AlignRight
            : a == TAlignment::taCenter     ? Qt::AlignHCenter
                                            : Qt::AlignLeft) |
           Qt::AlignVCenter;
}
}  // namespace

TListItem::TListItem(TListItems* owner) : owner_(owner) {
    item_ = new QTreeWidgetItem();
    item_->setData(0, Qt::UserRole,
                   QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
    item_->setFlags(item_->flags() | Qt::ItemIsEditable);
}

TListItem::~TListItem() {
    delete item_;
}

TListView* TListItem::ListView() const {
    return owner_->view_;
}

void TListItem::SetCaption(const std::string& v) {
    caption_ = v;
    item_->setText(0, Q(v));
    if (owner_->updating_ == 0) ListView()->sortIfNeeded();
}

void TListItem::SetImageIndex(int v) {
    imageIndex_ = v;
    item_->setIcon(0, IconOf(ListView()->SmallImages(), v));
}

void TListItem::syncSubItems() {
    TListView* lv = ListView();
    int cols = std::max(1, lv->columns_.Count());
    for (int i = 0; i < subItems_.Count(); ++i) {
        item_->setText(i + 1, Q(subItems_[i]));
        if (i + 1 < cols)
            item_->setTextAlignment(i + 1, QtAlign(lv->columns_.Items(i + 1)->Alignment()));
    }
    for (int i = subItems_.Count() + 1; i < item_->columnCount(); ++i) item_->setText(i, QString());
}

bool TListItem::Checked() const {
    return item_->checkState(0) == Qt::Checked;
}
void TListItem::SetChecked(bool v) {
    item_->setCheckState(0, v ? Qt::Checked : Qt::Unchecked);
}
bool TListItem::Selected() const {
    return item_->isSelected();
}
void TListItem::SetSelected(bool v) {
    item_->setSelected(v);
}
bool TListItem::Focused() const {
    return ListView()->Tree()->currentItem() == item_;
}
void TListItem::SetFocused(bool v) {
    if (v) ListView()->Tree()->setCurrentItem(item_, 0, QItemSelectionModel::NoUpdate);
}
int TListItem::Index() const {
    return owner_->IndexOf(this);
}
void TListItem::Delete() {
    owner_->Delete(Index());
}
void TListItem::MakeVisible(bool) {
    ListView()->Tree()->scrollToItem(item_);
}
bool TListItem::EditCaption() {
    if (!ListView()->CanEdit(this)) return false;
    ListView()->Tree()->editItem(item_, 0);
    return true;
}
TRect TListItem::DisplayRect() const {
    QTreeWidget* t = ListView()->Tree();
    QRect r = t->visualItemRect(item_);
    r.translate(t->viewport()->mapTo(t, QPoint(0, 0)));
    return FromQRect(r);
}

TListItems::~TListItems() {
    for (auto* i : items_) delete i;
}

TListItem* TListItems::Item(int i) const {
    if (i < 0 || i >= Count())
        throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return items_[i];
}

TListItem* TListItems::Add() {
    return Insert(Count());
}

TListItem* TListItems::Insert(int index) {
    index = std::clamp(index, 0, Count());
    auto* item = new TListItem(this);
    item->indexHint_ = index;
    items_.insert(items_.begin() + index, item);
    if (view_->checkboxes_) item->item_->setCheckState(0, Qt::Unchecked);
    view_->tree_->insertTopLevelItem(index, item->item_);
    view_->OnInsert(view_, item);
    return item;
}

void TListItems::Delete(int index) {
    TListItem* item = Item(index);
    view_->OnDeletion(view_, item);
    items_.erase(items_.begin() + index);
    // Taken out by its row first: a row deleted while in the tree is looked
    // for from the top, which makes clearing a long list quadratic.
    view_->tree_->takeTopLevelItem(index);
    delete item;
}

void TListItems::Clear() {
    BeginUpdate();
    while (!items_.empty()) Delete(Count() - 1);
    EndUpdate();
}

int TListItems::IndexOf(const TListItem* item) const {
    if (!item) return -1;
    if (item->owner_ == this) return IndexWithHint(items_, item, item->indexHint_);
    return -1;
}

void TListItems::BeginUpdate() {
    if (updating_++ == 0) view_->tree_->setUpdatesEnabled(false);
}

void TListItems::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        view_->sortIfNeeded();
        view_->tree_->setUpdatesEnabled(true);
    }
}

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    auto* t = new HostWidget<QTreeWidget>(this);
    tree_ = t;
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setFocusPolicy(Qt::StrongFocus);
    t->setItemDelegate(new CaptionDelegate(
        t, [this](QTreeWidgetItem* it) { return CanEdit(ItemOf(it)); },
        [this](QTreeWidgetItem* it, std::string s) { CaptionEdited(ItemOf(it), std::move(s)); }));
    QObject::connect(t->selectionModel(), &QItemSelectionModel::selectionChanged,
                     [this](const QItemSelection& sel, const QItemSelection& desel) {
                         if (quiet_) return;
                         SafeCall([&] {
                             for (auto& idx : desel.indexes())
                                 if (idx.column() == 0)
                                     if (TListItem* i = ItemOf(tree_->itemFromIndex(idx))) {
                                         OnChange(this, i, TItemChange::ctState);
                                         OnSelectItem(this, i, false);
                                     }
                             for (auto& idx : sel.indexes())
                                 if (idx.column() == 0)
                                     if (TListItem* i = ItemOf(tree_->itemFromIndex(idx))) {
                                         OnChange(this, i, TItemChange::ctState);
                                         OnSelectItem(this, i, true);
                                     }
                         });
                     });
    QObject::connect(t->header(), &QHeaderView::sectionClicked, [this](int col) {
        if (ColumnClick && col < columns_.Count())
            SafeCall([&] { OnColumnClick(this, columns_.Items(col)); });
    });
    QObject::connect(t, &QTreeWidget::itemDoubleClicked,
                     [this] { SafeCall([this] { DblClick(); }); });
    QObject::connect(t, &QTreeWidget::itemClicked, [this] { SafeCall([this] { Click(); }); });
    clickOnMouseUp_ = false;
    SetWidget(t);
    SetTabStop(true);
    SetColor(clWindow);
    SetReadOnly(false);
    SetViewStyle(TViewStyle::vsIcon);
    SetBounds(0, 0, 250, 150);
}

TListView::~TListView() {
    BeginDestroy();
    quiet_ = true;
}

TListItem* TListView::ItemOf(QTreeWidgetItem* it) const {
    if (!it) return nullptr;
    return reinterpret_cast<TListItem*>(it->data(0, Qt::UserRole).value<quintptr>());
}

void TListView::updateColumns() {
    int n = std::max(1, columns_.Count());
    tree_->setColumnCount(n);
    QStringList labels;
    for (int i = 0; i < columns_.Count(); ++i) labels << Q(columns_.Items(i)->Caption());
    if (!labels.isEmpty()) tree_->setHeaderLabels(labels);
    for (int i = 0; i < columns_.Count(); ++i) {
        TListColumn* c = columns_.Items(i);
        tree_->headerItem()->setTextAlignment(i, QtAlign(c->Alignment()));
        tree_->setColumnWidth(i, c->width_);
    }
    for (auto* item : items_.items_) item->syncSubItems();
}

void TListView::SetViewStyle(TViewStyle v) {
    viewStyle_ = v;
    tree_->setHeaderHidden(v != TViewStyle::vsReport || !showColumnHeaders_);
}

void TListView::SetShowColumnHeaders(bool v) {
    showColumnHeaders_ = v;
    SetViewStyle(viewStyle_);
}

void TListView::SetReadOnly(bool v) {
    readOnly_ = v;
    tree_->setEditTriggers(v ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed);
}

void TListView::SetRowSelect(bool v) {
    rowSelect_ = v;
}

void TListView::SetCheckboxes(bool v) {
    checkboxes_ = v;
    for (auto* i : items_.items_) {
        if (v)
            i->item_->setCheckState(0, Qt::Unchecked);
        else
            i->item_->setData(0, Qt::CheckStateRole, QVariant());
    }
}

void TListView::SetMultiSelect(bool v) {
    multiSelect_ = v;
    tree_->setSelectionMode(v ? QAbstractItemView::ExtendedSelection
                              : QAbstractItemView::SingleSelection);
}

void TListView::SetSortType(TSortType v) {
    sortType_ = v;
    sortIfNeeded();
}

void TListView::SetSmallImages(TCustomImageList* v) {
    smallImages_ = v;
    for (auto* i : items_.items_) i->SetImageIndex(i->imageIndex_);
}

TListItem* TListView::Selected() const {
    for (auto* i : items_.items_)
        if (i->item_->isSelected()) return i;
    return nullptr;
}

void TListView::SetSelected(TListItem* item) {
    tree_->clearSelection();
    if (item) {
        item->item_->setSelected(true);
        tree_->setCurrentItem(item->item_, 0, QItemSelectionModel::NoUpdate);
    }
}

TListItem* TListView::ItemFocused() const {
    return ItemOf(tree_->currentItem());
}
void TListView::SetItemFocused(TListItem* item) {
    if (item) item->SetFocused(true);
}

int TListView::ItemIndex() const {
    TListItem* s = Selected();
    return s ? s->Index() : -1;
}

void TListView::SetItemIndex(int v) {
    SetSelected(v >= 0 && v < items_.Count() ? items_.Item(v) : nullptr);
}

int TListView::SelCount() const {
    return (int)tree_->selectedItems().size();
}

TListItem* TListView::GetItemAt(int x, int y) const {
    QPoint vp = tree_->viewport()->mapFrom(tree_, QPoint(x, y));
    return ItemOf(tree_->itemAt(vp));
}

TListItem* TListView::TopItem() const {
    return ItemOf(tree_->itemAt(QPoint(1, 1)));
}

void TListView::sortWith(const std::function<int(TListItem*, TListItem*)>& cmp) {
    auto& v = items_.items_;
    std::stable_sort(v.begin(), v.end(), [&](TListItem* a, TListItem* b) { return cmp(a, b) < 0; });
    quiet_ = true;
    QTreeWidgetItem* current = tree_->currentItem();
    std::vector<QTreeWidgetItem*> selected;
    for (auto* i : v)
        if (i->item_->isSelected()) selected.push_back(i->item_);
    // From the end: taking the first row moves every other one.
    for (int i = tree_->topLevelItemCount(); i > 0; --i) tree_->takeTopLevelItem(i - 1);
    QList<QTreeWidgetItem*> list;
    for (auto* i : v) list << i->item_;
    tree_->insertTopLevelItems(0, list);
    for (auto* s : selected) s->setSelected(true);
    if (current) tree_->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    quiet_ = false;
}

bool TListView::AlphaSort() {
    if ((sortType_ == TSortType::stData || sortType_ == TSortType::stBoth) && OnCompare) {
        sortWith([this](TListItem* a, TListItem* b) {
            int r = 0;
            OnCompare(this, a, b, 0, r);
            return r;
        });
    } else {
        sortWith(
            [](TListItem* a, TListItem* b) { return AnsiCompareText(a->Caption(), b->Caption()); });
    }
    return true;
}

bool TListView::CustomSort(TLVSortProc proc, intptr_t data) {
    if (!proc) return AlphaSort();
    sortWith([&](TListItem* a, TListItem* b) { return proc(a, b, data); });
    return true;
}

void TListView::sortIfNeeded() {
    if (sortType_ != TSortType::stNone && items_.updating_ == 0) AlphaSort();
}

TListItem* TListView::FindCaption(int start, const std::string& value, bool partial, bool inclusive,
                                  bool wrap) const {
    int n = items_.Count();
    if (!n) return nullptr;
    int first = std::max(0, inclusive ? start : start + 1);
    std::string want = AnsiUpperCase(value);
    auto match = [&](TListItem* i) {
        std::string c = AnsiUpperCase(i->Caption());
        return partial ? c.compare(0, want.size(), want) == 0 : c == want;
    };
    for (int i = first; i < n; ++i)
        if (match(items_.items_[i])) return items_.items_[i];
    if (wrap)
        for (int i = 0; i < std::min(first, n); ++i)
            if (match(items_.items_[i])) return items_.items_[i];
    return nullptr;
}

bool TListView::CanEdit(TListItem* item) {
    if (!item || readOnly_) return false;
    bool allow = true;
    OnEditing(this, item, allow);
    return allow;
}

void TListView::CaptionEdited(TListItem* item, std::string text) {
    if (!item) return;
    OnEdited(this, item, text);
    item->SetCaption(text);
    OnChange(this, item, TItemChange::ctText);
}

bool TListView::WantsKey(uint16_t key, TShiftState shift) const {
    return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
}

// ---- Tree view ------------------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {
    item_ = new QTreeWidgetItem();
    item_->setData(0, Qt::UserRole,
                   QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
    item_->setFlags(item_->flags() | Qt::ItemIsEditable);
}

TTreeNode::~TTreeNode() {
    while (!children_.empty()) {
        TTreeNode* c = children_.back();
        children_.pop_back();
        // Out of its parent row first (see TListItems::Delete).
        item_->takeChild((int)children_.size());
        delete c;
    }
    delete item_;
}

TTreeView* TTreeNode::TreeView() const {
    return owner_->view_;
}

void TTreeNode::SetText(const std::string& v) {
    text_ = v;
    item_->setText(0, Q(v));
}

void TTreeNode::SetImageIndex(int v) {
    imageIndex_ = v;
    TCustomImageList* list = TreeView()->Images();
    item_->setIcon(0, list && v >= 0 && v < list->Count()
                          ? QIcon(QPixmap::fromImage(list->ImageAt(v)))
                          : QIcon());
}

TTreeNode* TTreeNode::Item(int i) const {
    if (i < 0 || i >= Count())
        throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return children_[i];
}

int TTreeNode::Index() const {
    auto& s = const_cast<TTreeNodes*>(owner_)->siblingsOf(parent_);
    return IndexWithHint(s, this, indexHint_);
}

int TTreeNode::AbsoluteIndex() const {
    auto& f = owner_->flat();
    return (int)(std::find(f.begin(), f.end(), this) - f.begin());
}

int TTreeNode::Level() const {
    int l = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_) ++l;
    return l;
}

bool TTreeNode::HasChildren() const {
    return hasChildren_ || !children_.empty();
}

void TTreeNode::SetHasChildren(bool v) {
    hasChildren_ = v;
    item_->setChildIndicatorPolicy(v ? QTreeWidgetItem::ShowIndicator
                                     : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool TTreeNode::Expanded() const {
    return item_->isExpanded();
}

void TTreeNode::SetExpanded(bool v) {
    if (v == Expanded()) return;
    TTreeView* tv = TreeView();
    bool allow = true;
    if (v)
        tv->OnExpanding(tv, this, allow);
    else
        tv->OnCollapsing(tv, this, allow);
    if (!allow) return;
    tv->quiet_ = true;
    item_->setExpanded(v);
    tv->quiet_ = false;
    if (v)
        tv->OnExpanded(tv, this);
    else
        tv->OnCollapsed(tv, this);
}

void TTreeNode::Expand(bool recurse) {
    SetExpanded(true);
    if (recurse)
        for (auto* c : std::vector<TTreeNode*>(children_)) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    SetExpanded(false);
    if (recurse)
        for (auto* c : std::vector<TTreeNode*>(children_)) c->Collapse(true);
}

bool TTreeNode::Selected() const {
    return TreeView()->Tree()->currentItem() == item_;
}

void TTreeNode::SetSelected(bool v) {
    if (v)
        TreeView()->SetSelected(this);
    else if (Selected())
        TreeView()->SetSelected(nullptr);
}

TTreeNode* TTreeNode::GetNextSibling() const {
    auto& s = owner_->siblingsOf(parent_);
    int i = Index();
    return i + 1 < (int)s.size() ? s[i + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    auto& s = owner_->siblingsOf(parent_);
    int i = Index();
    return i > 0 ? s[i - 1] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!children_.empty()) return children_.front();
    for (const TTreeNode* n = this; n; n = n->parent_)
        if (TTreeNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNode* p = GetPrevSibling();
    if (!p) return parent_;
    while (!p->children_.empty()) p = p->children_.back();
    return p;
}

TTreeNode* TTreeNode::GetNextVisible() const {
    if (!children_.empty() && Expanded()) return children_.front();
    for (const TTreeNode* n = this; n; n = n->parent_)
        if (TTreeNode* s = n->GetNextSibling()) return s;
    return nullptr;
}

void TTreeNode::Delete() {
    owner_->Delete(this);
}

void TTreeNode::DeleteChildren() {
    while (!children_.empty()) owner_->Delete(children_.back());
}

void TTreeNode::MakeVisible() {
    TreeView()->Tree()->scrollToItem(item_);
}

bool TTreeNode::EditText() {
    if (!TreeView()->CanEdit(this)) return false;
    TreeView()->Tree()->editItem(item_, 0);
    return true;
}

TTreeNodes::~TTreeNodes() {
    for (auto* n : roots_) delete n;
}

const std::vector<TTreeNode*>& TTreeNodes::flat() const {
    if (!flatValid_) {
        flat_.clear();
        std::function<void(const std::vector<TTreeNode*>&)> walk =
            [&](const std::vector<TTreeNode*>& v) {
                for (auto* n : v) {
                    flat_.push_back(n);
                    walk(n->children_);
                }
            };
        walk(roots_);
        flatValid_ = true;
    }
    return flat_;
}

int TTreeNodes::Count() const {
    return (int)flat().size();
}

TTreeNode* TTreeNodes::Item(int i) const {
    auto& f = flat();
    if (i < 0 || i >= (int)f.size())
        throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return f[i];
}

TTreeNode* TTreeNodes::insertAt(TTreeNode* parent, int index, const std::string& text, void* data) {
    auto& sib = siblingsOf(parent);
    index = std::clamp(index, 0, (int)sib.size());
    auto* n = new TTreeNode(this, parent);
    n->Data = data;
    n->SetText(text);
    n->indexHint_ = index;
    sib.insert(sib.begin() + index, n);
    if (parent)
        parent->item_->insertChild(index, n->item_);
    else
        view_->tree_->insertTopLevelItem(index, n->item_);
    invalidate();
    return n;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
    return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text, void* data) {
    TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
    return insertAt(parent, (int)siblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
    return insertAt(sibling ? sibling->parent_ : nullptr, 0, text, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
    return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text, void* data) {
    return insertAt(parent, (int)siblingsOf(parent).size(), text, data);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) {
    return insertAt(parent, 0, text, nullptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
    if (!sibling) return insertAt(nullptr, (int)roots_.size(), text, nullptr);
    return insertAt(sibling->parent_, sibling->Index(), text, nullptr);
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (!node) return;
    std::function<void(TTreeNode*)> announce = [&](TTreeNode* n) {
        for (auto* c : n->children_) announce(c);
        view_->OnDeletion(view_, n);
    };
    announce(node);
    auto& sib = siblingsOf(node->parent_);
    int index = node->Index();
    sib.erase(sib.begin() + index);
    invalidate();
    view_->quiet_ = true;
    // Taken out by its row first (see TListItems::Delete).
    if (node->parent_)
        node->parent_->item_->takeChild(index);
    else
        view_->tree_->takeTopLevelItem(index);
    delete node;
    view_->quiet_ = false;
}

void TTreeNodes::Clear() {
    BeginUpdate();
    while (!roots_.empty()) Delete(roots_.back());
    EndUpdate();
}

void TTreeNodes::BeginUpdate() {
    if (updating_++ == 0) view_->tree_->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) view_->tree_->setUpdatesEnabled(true);
}

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner) {
    auto* t = new HostWidget<QTreeWidget>(this);
    tree_ = t;
    t->setHeaderHidden(true);
    t->setColumnCount(1);
    t->setFocusPolicy(Qt::StrongFocus);
    t->setItemDelegate(new CaptionDelegate(
        t, [this](QTreeWidgetItem* it) { return CanEdit(NodeOf(it)); },
        [this](QTreeWidgetItem* it, std::string s) { TextEdited(NodeOf(it), std::move(s)); }));
    QObject::connect(t, &QTreeWidget::currentItemChanged,
                     [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
                         SafeCall([&] { currentChanged(now, before); });
                     });
    QObject::connect(t, &QTreeWidget::itemExpanded, [this](QTreeWidgetItem* it) {
        if (quiet_) return;
        SafeCall([&] {
            TTreeNode* n = NodeOf(it);
            bool allow = true;
            OnExpanding(this, n, allow);
            quiet_ = true;
            if (!allow) it->setExpanded(false);
            quiet_ = false;
            if (allow) OnExpanded(this, n);
        });
    });
    QObject::connect(t, &QTreeWidget::itemCollapsed, [this](QTreeWidgetItem* it) {
        if (quiet_) return;
        SafeCall([&] {
            TTreeNode* n = NodeOf(it);
            bool allow = true;
            OnCollapsing(this, n, allow);
            quiet_ = true;
            if (!allow) it->setExpanded(true);
            quiet_ = false;
            if (allow) OnCollapsed(this, n);
        });
    });
    QObject::connect(t, &QTreeWidget::itemDoubleClicked,
                     [this] { SafeCall([this] { DblClick(); }); });
    QObject::connect(t, &QTreeWidget::itemClicked, [this] { SafeCall([this] { Click(); }); });
    clickOnMouseUp_ = false;
    SetWidget(t);
    SetTabStop(true);
    SetColor(clWindow);
    SetReadOnly(false);
    SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
    BeginDestroy();
    quiet_ = true;
}

TTreeNode* TTreeView::NodeOf(QTreeWidgetItem* it) const {
    if (!it) return nullptr;
    return reinterpret_cast<TTreeNode*>(it->data(0, Qt::UserRole).value<quintptr>());
}

void TTreeView::currentChanged(QTreeWidgetItem* now, QTreeWidgetItem* before) {
    if (quiet_) return;
    TTreeNode* n = NodeOf(now);
    bool allow = true;
    OnChanging(this, n, allow);
    if (!allow) {
        quiet_ = true;
        tree_->setCurrentItem(before);
        quiet_ = false;
        return;
    }
    OnChange(this, n);
}

TTreeNode* TTreeView::Selected() const {
    return NodeOf(tree_->currentItem());
}

void TTreeView::SetSelected(TTreeNode* node) {
    tree_->setCurrentItem(node ? node->item_ : nullptr);
}

TTreeNode* TTreeView::TopItem() const {
    return NodeOf(tree_->itemAt(QPoint(1, 1)));
}

TTreeNode* TTreeView::GetNodeAt(int x, int y) const {
    QPoint vp = tree_->viewport()->mapFrom(tree_, QPoint(x, y));
    return NodeOf(tree_->itemAt(vp));
}

void TTreeView::SetReadOnly(bool v) {
    readOnly_ = v;
    tree_->setEditTriggers(v ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed);
}

void TTreeView::SetShowRoot(bool v) {
    showRoot_ = v;
    tree_->setRootIsDecorated(v);
}

void TTreeView::SetImages(TCustomImageList* v) {
    images_ = v;
    for (auto* n : nodes_.flat()) n->SetImageIndex(n->imageIndex_);
}

void TTreeView::FullExpand() {
    for (auto* n : std::vector<TTreeNode*>(nodes_.roots_)) n->Expand(true);
}

void TTreeView::FullCollapse() {
    for (auto* n : std::vector<TTreeNode*>(nodes_.roots_)) n->Collapse(true);
}

bool TTreeView::AlphaSort() {
    auto cmp = [this](TTreeNode* a, TTreeNode* b) {
        if ((SortType == TSortType::stData || SortType == TSortType::stBoth) && OnCompare) {
            int r = 0;
            OnCompare(this, a, b, 0, r);
            return r < 0;
        }
        return AnsiCompareText(a->Text(), b->Text()) < 0;
    };
    quiet_ = true;
    QTreeWidgetItem* current = tree_->currentItem();
    std::function<void(TTreeNode*, std::vector<TTreeNode*>&)> sortLevel =
        [&](TTreeNode* parent, std::vector<TTreeNode*>& v) {
            std::stable_sort(v.begin(), v.end(), cmp);
            std::vector<bool> expanded;
            for (auto* n : v) expanded.push_back(n->item_->isExpanded());
            if (parent) {
                for (int i = parent->item_->childCount(); i > 0; --i)
                    parent->item_->takeChild(i - 1);
                for (auto* n : v) parent->item_->addChild(n->item_);
            } else {
                for (int i = tree_->topLevelItemCount(); i > 0; --i) tree_->takeTopLevelItem(i - 1);
                for (auto* n : v) tree_->addTopLevelItem(n->item_);
            }
            for (size_t i = 0; i < v.size(); ++i) v[i]->item_->setExpanded(expanded[i]);
            for (auto* n : v) sortLevel(n, n->children_);
        };
    sortLevel(nullptr, nodes_.roots_);
    if (current) tree_->setCurrentItem(current);
    nodes_.invalidate();
    quiet_ = false;
    return true;
}

bool TTreeView::CanEdit(TTreeNode* node) {
    if (!node || readOnly_) return false;
    bool allow = true;
    OnEditing(this, node, allow);
    return allow;
}

void TTreeView::TextEdited(TTreeNode* node, std::string text) {
    if (!node) return;
    OnEdited(this, node, text);
    node->SetText(text);
}

bool TTreeView::WantsKey(uint16_t key, TShiftState shift) const {
    return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TTabSheet) {
    p.Prop("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption, "TCaption");
    p.Prop("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
    p.Prop("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible);
    p.Prop("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex, "TImageIndex");
    p.Prop("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl);
    p.Prop("OnShow", &TTabSheet::OnShow);
    p.Prop("OnHide", &TTabSheet::OnHide);
}

PLAT_PUBLISH(TPageControl) {
    p.Prop("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    p.Prop("OwnerDraw", &TPageControl::OwnerDraw, &TPageControl::SetOwnerDraw);
    p.Prop("TabHeight", &TPageControl::TabHeight, &TPageControl::SetTabHeight);
    p.Prop("TabWidth", &TPageControl::TabWidth, &TPageControl::SetTabWidth);
    p.Prop("Style", &TPageControl::Style);
    p.Prop("MultiLine", &TPageControl::MultiLine);
    p.Prop("HotTrack", &TPageControl::HotTrack);
    p.Prop("Images", &TPageControl::Images, &TPageControl::SetImages, "TCustomImageList");
    p.Prop("OnChange", &TPageControl::OnChange);
    p.Prop("OnChanging", &TPageControl::OnChanging, nullptr, "TTabChangingEvent");
    p.Prop("OnDrawTab", &TPageControl::OnDrawTab, nullptr, "TDrawTabEvent");
    p.Indexed("Pages", &TPageControl::PageCount, &TPageControl::Pages);
}

PLAT_PUBLISH(TToolButton) {
    p.Prop("Caption", &TToolButton::Caption, &TToolButton::SetCaption, "TCaption");
    p.Prop("Style", &TToolButton::Style, &TToolButton::SetStyle);
    p.Prop("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, "TImageIndex");
    p.Prop("Down", &TToolButton::Down, &TToolButton::SetDown);
    p.Prop("Grouped", &TToolButton::Grouped);
    p.Prop("AllowAllUp", &TToolButton::AllowAllUp);
    p.Prop("Wrap", &TToolButton::Wrap);
    p.Prop("Indeterminate", &TToolButton::Indeterminate);
    p.Prop("Marked", &TToolButton::Marked);
    p.Prop("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu, "TPopupMenu");
    p.Prop("MenuItem", &TToolButton::MenuItem, &TToolButton::SetMenuItem);
}

PLAT_PUBLISH(TToolBar) {
    p.Prop("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth);
    p.Prop("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight);
    p.Prop("Images", &TToolBar::Images, &TToolBar::SetImages, "TCustomImageList");
    p.Prop("DisabledImages", &TToolBar::DisabledImages, &TToolBar::SetDisabledImages,
           "TCustomImageList");
    p.Prop("HotImages", &TToolBar::HotImages, &TToolBar::SetHotImages, "TCustomImageList");
    p.Prop("Flat", &TToolBar::Flat, &TToolBar::SetFlat);
    p.Prop("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions);
    p.Prop("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable);
    p.Prop("Indent", &TToolBar::Indent, &TToolBar::SetIndent);
    p.Prop("List", &TToolBar::List);
    p.Indexed("Buttons", &TToolBar::ButtonCount, &TToolBar::Buttons);
}

PLAT_PUBLISH(TStatusPanel) {
    p.Prop("Text", &TStatusPanel::Text, &TStatusPanel::SetText);
    p.Prop("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth);
    p.Prop("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment);
    p.Prop("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel);
    p.Prop("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle);
}

PLAT_PUBLISH(TStatusBar) {
    p.Prop("Panels", [](TStatusBar& s) -> TStatusPanels& { return *s.Panels(); });
    p.Prop("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel);
    p.Prop("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    p.Prop("SizeGrip", &TStatusBar::SizeGrip);
}

PLAT_PUBLISH(TListColumn) {
    p.Prop("Caption", &TListColumn::Caption, &TListColumn::SetCaption, "TCaption");
    p.Prop("Width", &TListColumn::Width, &TListColumn::SetWidth);
    p.Prop("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment);
    p.Prop("AutoSize", &TListColumn::AutoSize);
}

PLAT_PUBLISH(TListItem) {
    p.Prop("Caption", &TListItem::Caption, &TListItem::SetCaption, "TCaption");
    p.Strings(
        "SubItems", [](TListItem& i) { return i.SubItems()->Lines(); },
        [](TListItem& i, const std::vector<std::string>& l) { i.SubItems()->SetLines(l); });
    p.Prop("ImageIndex", &TListItem::ImageIndex, &TListItem::SetImageIndex, "TImageIndex");
}

PLAT_PUBLISH(TListView) {
    p.Prop("Columns", [](TListView& v) -> TListColumns& { return *v.Columns(); });
    p.Prop("ViewStyle", &TListView::ViewStyle, &TListView::SetViewStyle);
    p.Prop("ReadOnly", &TListView::ReadOnly, &TListView::SetReadOnly);
    p.Prop("RowSelect", &TListView::RowSelect, &TListView::SetRowSelect);
    p.Prop("GridLines", &TListView::GridLines, &TListView::SetGridLines);
    p.Prop("Checkboxes", &TListView::Checkboxes, &TListView::SetCheckboxes);
    p.Prop("MultiSelect", &TListView::MultiSelect, &TListView::SetMultiSelect);
    p.Prop("HideSelection", &TListView::HideSelection);
    p.Prop("ColumnClick", &TListView::ColumnClick);
    p.Prop("SortType", &TListView::SortType, &TListView::SetSortType);
    p.Prop("SmallImages", &TListView::SmallImages, &TListView::SetSmallImages, "TCustomImageList");
    p.Prop("OnChange", &TListView::OnChange, nullptr, "TLVChangeEvent");
    p.Prop("OnSelectItem", &TListView::OnSelectItem, nullptr, "TLVSelectItemEvent");
    p.Prop("OnColumnClick", &TListView::OnColumnClick, nullptr, "TLVColumnClickEvent");
    p.Prop("OnCompare", &TListView::OnCompare, nullptr, "TLVCompareEvent");
    p.Prop("OnEditing", &TListView::OnEditing, nullptr, "TLVEditingEvent");
    p.Prop("OnEdited", &TListView::OnEdited, nullptr, "TLVEditedEvent");
    p.Indexed(
        "Items", [](TListView& v) { return v.Items()->Count(); },
        [](TListView& v, int i) { return v.Items()->Item(i); });
}

PLAT_PUBLISH(TTreeNode) {
    p.Prop("Text", &TTreeNode::Text, &TTreeNode::SetText);
    p.Prop("ImageIndex", &TTreeNode::ImageIndex, &TTreeNode::SetImageIndex, "TImageIndex");
}

PLAT_PUBLISH(TTreeView) {
    p.Prop("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly);
    p.Prop("ShowLines", &TTreeView::ShowLines);
    p.Prop("ShowRoot", &TTreeView::ShowRoot, &TTreeView::SetShowRoot);
    p.Prop("ShowButtons", &TTreeView::ShowButtons);
    p.Prop("HideSelection", &TTreeView::HideSelection);
    p.Prop("RightClickSelect", &TTreeView::RightClickSelect);
    p.Prop("AutoExpand", &TTreeView::AutoExpand);
    p.Prop("SortType", &TTreeView::SortType);
    p.Prop("Images", &TTreeView::Images, &TTreeView::SetImages, "TCustomImageList");
    p.Prop("OnChange", &TTreeView::OnChange, nullptr, "TTVChangedEvent");
    p.Prop("OnChanging", &TTreeView::OnChanging, nullptr, "TTVChangingEvent");
    p.Prop("OnExpanding", &TTreeView::OnExpanding, nullptr, "TTVExpandingEvent");
    p.Prop("OnCollapsing", &TTreeView::OnCollapsing, nullptr, "TTVCollapsingEvent");
    p.Prop("OnEdited", &TTreeView::OnEdited, nullptr, "TTVEditedEvent");
    p.Indexed(
        "Items", [](TTreeView& v) { return v.Items()->Count(); },
        [](TTreeView& v, int i) { return v.Items()->Item(i); });
}

}  // namespace plat
