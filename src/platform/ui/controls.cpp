#include "platform/ui/controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

// ---- Registries ------------------------------------------------------------

namespace {
std::unordered_set<const TControl*>& LiveControls() {
    static std::unordered_set<const TControl*> s;
    return s;
}
std::unordered_map<HWND, TWinControl*>& Handles() {
    static std::unordered_map<HWND, TWinControl*> m;
    return m;
}
HWND NextHandle() {
    static HWND next = 0x10000;
    return next += 4;
}
}  // namespace

bool IsLiveControl(const TControl* c) {
    return c && LiveControls().count(c) != 0;
}

TControl* ControlOfLParam(LPARAM l) {
    auto* c = reinterpret_cast<TControl*>(l);
    return IsLiveControl(c) ? c : nullptr;
}

TWinControl* FindControl(HWND wnd) {
    auto it = Handles().find(wnd);
    return it == Handles().end() ? nullptr : it->second;
}

TControl* ControlOfWidget(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        if (auto* link = dynamic_cast<HostLink*>(w)) {
            TControl* c = link->Control();
            return c && !c->Destroying() ? c : nullptr;
        }
    }
    return nullptr;
}

bool RouteEvent(TControl* control, QEvent* e, const QtBaseEvent& base) {
    return control->DispatchQtEvent(e, base);
}

TCustomForm* GetParentForm(const TControl* c) {
    if (!c) return nullptr;
    while (c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

std::string GetShortHint(const std::string& hint) {
    size_t p = hint.find('|');
    return p == std::string::npos ? hint : hint.substr(0, p);
}

std::string GetLongHint(const std::string& hint) {
    size_t p = hint.find('|');
    return p == std::string::npos ? hint : hint.substr(p + 1);
}

namespace {
Qt::CursorShape QtCursor(TCursor c) {
    switch (c) {
        case crArrow:
            return Qt::ArrowCursor;
        case crCross:
            return Qt::CrossCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crSizeNESW:
            return Qt::SizeBDiagCursor;
        case crSizeNS:
            return Qt::SizeVerCursor;
        case crSizeNWSE:
            return Qt::SizeFDiagCursor;
        case crSizeWE:
            return Qt::SizeHorCursor;
        case crUpArrow:
            return Qt::UpArrowCursor;
        case crHourGlass:
        case crSQLWait:
            return Qt::WaitCursor;
        case crDrag:
        case crMultiDrag:
            return Qt::DragCopyCursor;
        case crNoDrop:
        case crNo:
            return Qt::ForbiddenCursor;
        case crHSplit:
            return Qt::SplitHCursor;
        case crVSplit:
            return Qt::SplitVCursor;
        case crAppStart:
            return Qt::BusyCursor;
        case crHelp:
            return Qt::WhatsThisCursor;
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crSizeAll:
            return Qt::SizeAllCursor;
        case crNone:
            return Qt::BlankCursor;
        default:
            return Qt::ArrowCursor;
    }
}

TMouseButton ButtonOf(Qt::MouseButton b) {
    return b == Qt::RightButton    ? TMouseButton::mbRight
           : b == Qt::MiddleButton ? TMouseButton::mbMiddle
                                   : TMouseButton::mbLeft;
}
}  // namespace

// Used by the screen cursor as well.
Qt::CursorShape QtCursorShape(TCursor c) {
    return QtCursor(c);
}

// ---- TControl ----------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
    EnsureApplication();
    LiveControls().insert(this);
    ControlStyle = {TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents,
                    TControlStyleItem::csSetCaption, TControlStyleItem::csDoubleClicks};
    font_.OnChange = [this] { fontChangedHook(); };
}

TControl::~TControl() {
    BeginDestroy();
    if (Application->HintControl() == this) Application->CancelHint();
    if (parent_) {
        TWinControl* p = parent_;
        parent_ = nullptr;
        p->removeControl(this);
    }
    if (widget_) {
        if (auto* link = dynamic_cast<HostLink*>(widget_)) link->Unbind();
        QPointer<QWidget> w = widget_;
        widget_ = nullptr;
        delete w.data();
    }
    LiveControls().erase(this);
}

void TControl::SetWidget(QWidget* w, bool selfPainted) {
    EnsureApplication();
    widget_ = w;
    selfPainted_ = selfPainted;
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    if (selfPainted) w->setAutoFillBackground(false);
    ApplyGeometry();
    w->setEnabled(enabled_);
    ApplyFontToWidget();
    ApplyColorToWidget();
    if (!parent_) w->hide();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    for (TControl* p = parent; p; p = p->parent_)
        if (p == this)
            throw EInvalidOperation("A control cannot have itself or a child as its parent");
    TWinControl* old = parent_;
    if (old) {
        parent_ = nullptr;
        old->removeControl(this);
    }
    parent_ = parent;
    if (parent) parent->insertControl(this);
    if (widget_) {
        if (parent) {
            parent->InsertChildWidget(this);
            ApplyGeometry();
            widget_->setVisible(visible_);
        } else {
            widget_->hide();
            widget_->setParent(nullptr);
        }
    }
    if (parent) {
        ParentColorChanged();
        ParentFontChanged();
        if (align_ != TAlign::alNone) parent->Realign();
    }
    if (old && align_ != TAlign::alNone) old->Realign();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    ApplyGeometry();
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
    if (parent_) parent_->ChildBoundsChanged(this);
    if (resized) Resize();
}

void TControl::ApplyGeometry() {
    if (widget_) widget_->setGeometry(left_, top_, width_, height_);
}

TPoint TControl::ClientOrigin() const {
    if (!parent_) return {left_, top_};
    TPoint p = parent_->ClientOrigin();
    return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint o = ClientOrigin();
    return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign v) {
    if (v == align_) return;
    align_ = v;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (!v) {
        if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
    }
    if (widget_ && parent_) widget_->setVisible(v);
    VisibleChanged();
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

bool TControl::Showing() const {
    return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    if (!v) {
        if (TCustomForm* f = GetParentForm(this); f && f != this) f->DefocusControl(this, false);
    }
    if (widget_) widget_->setEnabled(v);
    EnabledChanged();
}

void TControl::EnabledChanged() {
    Invalidate();
}
void TControl::VisibleChanged() {}

// Colour --------------------------------------------------------------------

void TControl::SetColor(TColor v) {
    parentColor_ = false;
    if (v == color_) return;
    color_ = v;
    ApplyColorToWidget();
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_ || parent_->color_ == color_) return;
    color_ = parent_->color_;
    ApplyColorToWidget();
    ColorChanged();
}

void TControl::ColorChanged() {
    Invalidate();
}

void TControl::ApplyColorToWidget() {
    if (!widget_ || selfPainted_) return;
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, ToQColor(color_));
    pal.setColor(QPalette::Base, ToQColor(color_));
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
}

// Font ------------------------------------------------------------------------

void TControl::fontChangedHook() {
    if (!fontFromParent_) parentFont_ = false;
    ApplyFontToWidget();
    FontChanged();
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    fontFromParent_ = true;
    font_.Assign(parent_->font_);
    fontFromParent_ = false;
}

void TControl::FontChanged() {
    Invalidate();
}

void TControl::ApplyFontToWidget() {
    if (!widget_) return;
    widget_->setFont(ToQFont(font_));
    QPalette pal = widget_->palette();
    QColor c = ToQColor(font_.Color());
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::Text, c);
    pal.setColor(QPalette::ButtonText, c);
    widget_->setPalette(pal);
}

// Hints, cursor, menus, text -----------------------------------------------------

void TControl::SetHint(const std::string& v) {
    hint_ = v;
}

void TControl::SetShowHint(bool v) {
    showHint_ = v;
    parentShowHint_ = false;
}

void TControl::SetParentShowHint(bool v) {
    parentShowHint_ = v;
}

void TControl::MakePopupWindow() {
    widget_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus);
    widget_->setAttribute(Qt::WA_ShowWithoutActivating);
    widget_->setFocusPolicy(Qt::NoFocus);
}

bool TControl::ShowHintAt(int x, int y) {
    THintInfo info;
    info.HintControl = this;
    info.CursorPos = {x, y};
    info.HintPos = ClientToScreen({x, y + 20});
    info.CursorRect = ClientRect();
    info.HintStr = GetShortHint(hint_);
    info.HideTimeout = Application->HintHidePause;
    if (EffectiveShowHint() && Application->ShowHint && HintShow(info) && !info.HintStr.empty()) {
        Application->ActivateHint(info);
        return true;
    }
    Application->CancelHint();
    return false;
}

bool TControl::EffectiveShowHint() const {
    if (parentShowHint_) return parent_ ? parent_->EffectiveShowHint() : showHint_;
    return showHint_;
}

void TControl::SetCursor(TCursor v) {
    cursor_ = v;
    if (!widget_) return;
    if (v == crDefault)
        widget_->unsetCursor();
    else
        widget_->setCursor(QtCursor(v));
}

void TControl::SetPopupMenu(TPopupMenu* m) {
    if (popupMenu_ == m) return;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = m;
    if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* c, TOperation op) {
    if (op == TOperation::opRemove && c == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetText(const std::string& v) {
    if (GetText() == v) return;
    text_ = v;
    TextChanged();
}

// Z order, clicks, painting, messages ---------------------------------------------

void TControl::BringToFront() {
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::find(list.begin(), list.end(), this));
        list.push_back(this);
        parent_->Realign();
    }
    if (widget_) widget_->raise();
}

void TControl::SendToBack() {
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::find(list.begin(), list.end(), this));
        list.insert(list.begin(), this);
        parent_->Realign();
    }
    if (widget_) widget_->lower();
}

void TControl::Click() {
    OnClick(this);
}
void TControl::DblClick() {
    OnDblClick(this);
}
void TControl::Invalidate() {
    if (widget_) widget_->update();
}
void TControl::Repaint() {
    if (widget_) widget_->repaint();
}
void TControl::Update() {
    if (widget_) widget_->repaint();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& m) {}

void TControl::Resize() {
    OnResize(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) {
    OnMouseMove(this, shift, x, y);
}

namespace {
// A canvas starts each paint in the control's font and colour.
void PrepareCanvas(TCanvas& c, const TFont& font, TColor color) {
    c.Font.Assign(font);
    c.Brush = TBrush{color, TBrushStyle::bsSolid};
    c.Pen = TPen{};
    c.CopyMode = cmSrcCopy;
    c.PenPos = {};
}
}  // namespace

void TControl::PaintTo(TCanvas& canvas) {
    auto old = canvas_.Device();
    canvas_.SetDevice(canvas.Device());
    PrepareCanvas(canvas_, font_, color_);
    try {
        Paint();
    } catch (...) {
        canvas_.SetDevice(old);
        throw;
    }
    canvas_.SetDevice(old);
}

bool TControl::DispatchQtEvent(QEvent* e, const QtBaseEvent& base) {
    try {
        return HandleQtEvent(e, base);
    } catch (...) {
        HandleEventException();
        return true;
    }
}

bool TControl::HandleQtEvent(QEvent* e, const QtBaseEvent& base) {
    switch (e->type()) {
        case QEvent::Paint: {
            if (!selfPainted_ && !PaintsOver) return base(e);
            bool r = selfPainted_ ? true : base(e);
            QPainter p(widget_);
            canvas_.SetDevice(MakePainterDevice(&p));
            PrepareCanvas(canvas_, font_, color_);
            struct Unbind {
                TCanvas& c;
                ~Unbind() { c.SetDevice(nullptr); }
            } unbind{canvas_};
            if (selfPainted_)
                Paint();
            else
                PaintOver();
            return r;
        }
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(e);
            bool r = base(e);
            // The widget's own handling may have run a handler that freed us.
            if (!IsLiveControl(this)) return r;
            if (me->button() == Qt::LeftButton) mousePressed_ = true;
            MouseDown(ButtonOf(me->button()), ShiftFromQt(me->modifiers(), me->buttons()),
                      (int)me->position().x(), (int)me->position().y());
            return r;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            bool r = base(e);
            if (!IsLiveControl(this)) return r;
            int x = (int)me->position().x(), y = (int)me->position().y();
            if (me->button() == Qt::LeftButton && mousePressed_) {
                mousePressed_ = false;
                if (clickOnMouseUp_ && ControlStyle.Contains(TControlStyleItem::csClickEvents) &&
                    ClientRect().Contains({x, y}))
                    Click();
            }
            if (IsLiveControl(this))
                MouseUp(ButtonOf(me->button()), ShiftFromQt(me->modifiers(), me->buttons()), x, y);
            return r;
        }
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            bool r = base(e);
            if (!IsLiveControl(this)) return r;
            if (me->button() == Qt::LeftButton &&
                ControlStyle.Contains(TControlStyleItem::csDoubleClicks))
                DblClick();
            if (IsLiveControl(this))
                MouseDown(ButtonOf(me->button()),
                          ShiftFromQt(me->modifiers(), me->buttons()) + ssDouble,
                          (int)me->position().x(), (int)me->position().y());
            return r;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            bool r = base(e);
            if (!IsLiveControl(this)) return r;
            MouseMove(ShiftFromQt(me->modifiers(), me->buttons()), (int)me->position().x(),
                      (int)me->position().y());
            return r;
        }
        case QEvent::ToolTip: {
            auto* he = static_cast<QHelpEvent*>(e);
            ShowHintAt(he->pos().x(), he->pos().y());
            return true;
        }
        case QEvent::ContextMenu:
            if (popupMenu_ && popupMenu_->AutoPopup) {
                auto* ce = static_cast<QContextMenuEvent*>(e);
                popupMenu_->SetPopupComponent(this);
                popupMenu_->Popup(ce->globalPos().x(), ce->globalPos().y());
                return true;
            }
            return base(e);
        case QEvent::Shortcut:
            // Mnemonics Qt found in a caption: the platform's accelerator rules decide.
            if (auto* ctl = dynamic_cast<TWinControl*>(this)) {
                TCustomForm* f = GetParentForm(ctl);
                char32_t ch = AccelCharOf(GetText());
                if (f && ch) f->DialogChar(ch);
            }
            return true;
        default:
            return base(e);
    }
}

// ---- TWinControl -------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    handle_ = NextHandle();
    Handles()[handle_] = this;
}

TWinControl::~TWinControl() {
    BeginDestroy();
    // The platform frees a windowed control's children with it.
    while (!controls_.empty()) delete controls_.back();
    Handles().erase(handle_);
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= (int)controls_.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return controls_[index];
}

bool TWinControl::ContainsControl(const TControl* c) const {
    for (; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (c->Visible() && (allowDisabled || c->Enabled()) && c->BoundsRect().Contains(p))
            return c;
    }
    return nullptr;
}

void TWinControl::insertControl(TControl* c) {
    controls_.push_back(c);
    if (auto* w = dynamic_cast<TWinControl*>(c)) tabList_.push_back(w);
    ControlsChanged();
}

void TWinControl::removeControl(TControl* c) {
    if (TCustomForm* f = GetParentForm(this); f && !f->Destroying()) f->DefocusControl(c, true);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), c), tabList_.end());
    if (!Destroying()) {
        ControlsChanged();
        if (c->Align() != TAlign::alNone) Realign();
    }
}

void TWinControl::InsertChildWidget(TControl* child) {
    child->Widget()->setParent(ClientWidget());
}

QWidget* TWinControl::ClientWidget() const {
    return clientWidget_ ? clientWidget_ : Widget();
}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    auto& l = Parent()->tabList_;
    return (int)(std::find(l.begin(), l.end(), this) - l.begin());
}

void TWinControl::SetTabOrder(int v) {
    if (!Parent()) return;
    auto& l = Parent()->tabList_;
    l.erase(std::find(l.begin(), l.end(), this));
    if (v < 0 || v >= (int)l.size())
        l.push_back(this);
    else
        l.insert(l.begin() + v, this);
}

void TWinControl::SetTabStop(bool v) {
    tabStop_ = v;
}

bool TWinControl::CanFocus() const {
    TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm(this);
    if (!form) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    form->FocusControl(this);
}

bool TWinControl::Focused() const {
    QWidget* fw = QApplication::focusWidget();
    return fw && ControlOfWidget(fw) == this;
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = (int)list.size();
    int start = (int)(std::find(list.begin(), list.end(), current) - list.begin());
    if (start == n) start = goForward ? n - 1 : 0;
    int i = start;
    do {
        if (goForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        TWinControl* c = list[i];
        if (c->CanFocus() && (!checkTabStop || c->TabStop()) &&
            (!checkParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* c = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
        c->SetFocus();
}

void TWinControl::EnableAlign() {
    if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::Realign() {
    if (alignDisabled_ || aligning_) return;
    TRect r = ClientRect();
    AdjustClientRect(r);
    aligning_ = true;
    try {
        AlignControls(nullptr, r);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::AdjustClientRect(TRect& r) const {}

void TWinControl::AlignControls(TControl* changing, TRect& rect) {
    static const TAlign kOrder[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft,
                                    TAlign::alRight, TAlign::alClient};
    auto before = [](TControl* a, TControl* b, TAlign al) {
        switch (al) {
            case TAlign::alTop:
                return a->Top() < b->Top();
            case TAlign::alBottom:
                return a->Top() + a->Height() >= b->Top() + b->Height();
            case TAlign::alLeft:
                return a->Left() < b->Left();
            case TAlign::alRight:
                return a->Left() + a->Width() >= b->Left() + b->Width();
            default:
                return false;
        }
    };
    for (TAlign al : kOrder) {
        std::vector<TControl*> list;
        if (changing && changing->Visible() && changing->Align() == al) list.push_back(changing);
        for (TControl* c : controls_) {
            if (c == changing || c->Align() != al || !c->Visible()) continue;
            size_t j = 0;
            while (j < list.size() && !before(c, list[j], al)) ++j;
            list.insert(list.begin() + j, c);
        }
        for (TControl* c : list) {
            int l = rect.Left, t = rect.Top, w = rect.Width(), h = rect.Height();
            switch (al) {
                case TAlign::alTop:
                    h = c->Height();
                    break;
                case TAlign::alBottom:
                    h = c->Height();
                    t = rect.Bottom - h;
                    break;
                case TAlign::alLeft:
                    w = c->Width();
                    break;
                case TAlign::alRight:
                    w = c->Width();
                    l = rect.Right - w;
                    break;
                default:
                    break;
            }
            c->SetBounds(l, t, w, h);
            switch (al) {
                case TAlign::alTop:
                    rect.Top += c->Height();
                    break;
                case TAlign::alBottom:
                    rect.Bottom -= c->Height();
                    break;
                case TAlign::alLeft:
                    rect.Left += c->Width();
                    break;
                case TAlign::alRight:
                    rect.Right -= c->Width();
                    break;
                default:
                    break;
            }
        }
    }
}

void TWinControl::anchorChildren(int oldW, int oldH) {
    int dx = ClientWidth() - oldW, dy = ClientHeight() - oldH;
    if (oldW < 0 || (dx == 0 && dy == 0)) return;
    for (TControl* c : controls_) {
        if (c->Align() != TAlign::alNone) continue;
        TAnchors a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a.Contains(TAnchorKind::akRight)) {
            if (a.Contains(TAnchorKind::akLeft))
                w += dx;
            else
                l += dx;
        }
        if (a.Contains(TAnchorKind::akBottom)) {
            if (a.Contains(TAnchorKind::akTop))
                h += dy;
            else
                t += dy;
        }
        c->SetBounds(l, t, w, h);
    }
}

void TWinControl::Resize() {
    int oldW = lastClientW_, oldH = lastClientH_;
    lastClientW_ = ClientWidth();
    lastClientH_ = ClientHeight();
    anchorChildren(oldW, oldH);
    Realign();
    TControl::Resize();
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    for (TControl* c : controls_) c->ParentColorChanged();
}

bool TWinControl::DoKeyDown(uint16_t& key, TShiftState shift) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(key, shift)) return true;
    if (!IsLiveControl(this)) return true;
    KeyDown(key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(char32_t& key) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(key)) return true;
    if (!IsLiveControl(this)) return true;
    KeyPress(key);
    return key == 0;
}

bool TWinControl::DoKeyUp(uint16_t& key, TShiftState shift) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(key, shift)) return true;
    if (!IsLiveControl(this)) return true;
    KeyUp(key, shift);
    return key == 0;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
    OnKeyDown(this, key, shift);
}
void TWinControl::KeyPress(char32_t& key) {
    OnKeyPress(this, key);
}
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
    OnKeyUp(this, key, shift);
}

bool TWinControl::WantsKey(uint16_t key, TShiftState shift) const {
    return false;
}

void TWinControl::DoEnter() {
    OnEnter(this);
}
void TWinControl::DoExit() {
    OnExit(this);
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CM_ENTER:
            DoEnter();
            break;
        case CM_EXIT:
            DoExit();
            break;
        case WM_KEYDOWN:
            SimulateKey((uint16_t)m.WParam, ShiftFromQt(QApplication::keyboardModifiers()));
            break;
        case WM_CHAR:
            SimulateKey(0, {}, (char32_t)m.WParam);
            break;
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR: {
            // Offered to the children in turn until one takes it.
            std::vector<TControl*> children = controls_;
            for (TControl* c : children) {
                if (!IsLiveControl(c)) continue;
                c->WndProc(m);
                if (m.Result) return;
            }
            break;
        }
        default:
            TControl::WndProc(m);
    }
}

// ---- TGraphicControl, TCustomControl --------------------------------------------

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
    auto* w = new HostWidget<QWidget>(this);
    w->setFocusPolicy(Qt::NoFocus);
    SetWidget(w, true);
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
    auto* w = new HostWidget<QWidget>(this);
    w->setFocusPolicy(Qt::StrongFocus);
    SetWidget(w, true);
}

void TCustomControl::Paint() {
    Canvas()->Brush.Color = Color();
    Canvas()->FillRect(ClientRect());
    OnPaint(this);
}

// ---- Published properties --------------------------------------------------

namespace {
TFont* FontOf(TControl& c) {
    return c.Font();
}
void SetFontOf(TControl& c, TFont* f) {
    if (f) c.Font()->Assign(*f);
}
}  // namespace

PLAT_PUBLISH(TControl) {
    p.Prop("Left", &TControl::Left, &TControl::SetLeft);
    p.Prop("Top", &TControl::Top, &TControl::SetTop);
    p.Prop("Width", &TControl::Width, &TControl::SetWidth);
    p.Prop("Height", &TControl::Height, &TControl::SetHeight);
    p.Prop("Align", &TControl::Align, &TControl::SetAlign);
    p.Prop("Anchors", &TControl::Anchors, &TControl::SetAnchors);
    p.Prop("Visible", &TControl::Visible, &TControl::SetVisible);
    p.Prop("Enabled", &TControl::Enabled, &TControl::SetEnabled);
    p.Color("Color", &TControl::Color, &TControl::SetColor);
    p.Prop("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    p.Prop("Font", FontOf, SetFontOf, "TFont");
    p.Prop("ParentFont", &TControl::ParentFont, &TControl::SetParentFont);
    p.Prop("Hint", &TControl::Hint, &TControl::SetHint);
    p.Prop("ShowHint", &TControl::ShowHint, &TControl::SetShowHint);
    p.Prop("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint);
    p.Prop("Cursor", &TControl::Cursor, &TControl::SetCursor, "TCursor");
    p.Prop("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu, "TPopupMenu");
    p.Prop("Parent", &TControl::Parent, &TControl::SetParent, "TWinControl");
    p.Prop("OnClick", &TControl::OnClick);
    p.Prop("OnDblClick", &TControl::OnDblClick);
    p.Prop("OnMouseDown", &TControl::OnMouseDown, nullptr, "TMouseEvent");
    p.Prop("OnMouseUp", &TControl::OnMouseUp, nullptr, "TMouseEvent");
    p.Prop("OnMouseMove", &TControl::OnMouseMove, nullptr, "TMouseMoveEvent");
}

PLAT_PUBLISH(TWinControl) {
    p.Prop("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, "TTabOrder");
    p.Prop("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    p.Prop("OnEnter", &TWinControl::OnEnter);
    p.Prop("OnExit", &TWinControl::OnExit);
    p.Prop("OnKeyDown", &TWinControl::OnKeyDown, nullptr, "TKeyEvent");
    p.Prop("OnKeyPress", &TWinControl::OnKeyPress, nullptr, "TKeyPressEvent");
    p.Prop("OnKeyUp", &TWinControl::OnKeyUp, nullptr, "TKeyEvent");
}

PLAT_PUBLISH(TCustomControl) {
    p.Prop("OnPaint", &TCustomControl::OnPaint);
}

}  // namespace plat
