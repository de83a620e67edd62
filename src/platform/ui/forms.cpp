#include "platform/ui/forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/ui/menus.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
int gFocusCount = 0;
constexpr int kMenuBarHeight = 19;

// The Qt widget that takes a control's keyboard focus.
QWidget* FocusTarget(TWinControl* c) {
    QWidget* w = c->Widget();
    while (w && w->focusProxy()) w = w->focusProxy();
    return w;
}
}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
    visible_ = false;
    SetParentFont(false);
    auto* window = new HostWidget<QWidget>(this);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    client_ = new HostWidget<QWidget>(this, window);
    client_->setFocusPolicy(Qt::NoFocus);
    client_->setAutoFillBackground(false);
    SetWidget(window);
    SetClientWidget(client_);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
    if (!destroyFired_) {
        destroyFired_ = true;
        SafeCall([this] { OnDestroy(this); });
    }
    if (modalLoop_) modalLoop_->quit();
    if (auto* link = dynamic_cast<HostLink*>(client_)) link->Unbind();
    if (auto* link = dynamic_cast<HostLink*>(Widget())) link->Unbind();
    BeginDestroy();
    auto& forms = Screen->forms_;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (Screen->activeForm_ == this) Screen->activeForm_ = nullptr;
    if (Application->MainForm == this) Application->MainForm = nullptr;
}

void TCustomForm::AfterConstruction() {
    if (created_) return;
    created_ = true;
    SafeCall([this] { OnCreate(this); });
}

void TCustomForm::Free() {
    if (!destroyFired_) {
        destroyFired_ = true;
        SafeCall([this] { OnDestroy(this); });
    }
    delete this;
}

void TCustomForm::Release() {
    PostMessage(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::Notification(TComponent* c, TOperation op) {
    TScrollingWinControl::Notification(c, op);
    if (op != TOperation::opRemove) return;
    if (c == menu_) {
        menu_ = nullptr;
        if (!Destroying()) SetMenu(nullptr);
    }
    if (c == activeControl_) activeControl_ = nullptr;
    if (c == focusedControl_) focusedControl_ = nullptr;
}

// ---- Geometry ------------------------------------------------------------------

int TCustomForm::borderWidth() const {
    if (Parent()) return 0;
    switch (borderStyle_) {
        case TFormBorderStyle::bsNone:
            return 0;
        case TFormBorderStyle::bsSizeable:
        case TFormBorderStyle::bsSizeToolWin:
            return 4;
        default:
            return 3;
    }
}

int TCustomForm::captionHeight() const {
    if (Parent()) return 0;
    switch (borderStyle_) {
        case TFormBorderStyle::bsNone:
            return 0;
        case TFormBorderStyle::bsToolWindow:
        case TFormBorderStyle::bsSizeToolWin:
            return 15;
        default:
            return 19;
    }
}

int TCustomForm::menuHeight() const {
    return menu_ ? kMenuBarHeight : 0;
}

TSize TCustomForm::NonClientSize() const {
    return {2 * borderWidth(), captionHeight() + 2 * borderWidth() + menuHeight()};
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    if (!syncingGeometry_ && (width != Width() || height != Height()) && OnCanResize) {
        bool resize = true;
        OnCanResize(this, width, height, resize);
        if (!resize) return;
    }
    bool moved = left != Left() || top != Top();
    TScrollingWinControl::SetBounds(left, top, width, height);
    // The window's owner hears of a move as the platform's WM_MOVE.
    if (moved && !Destroying())
        SafeCall([&] {
            Perform(WM_MOVE, 0,
                    (LPARAM)((ClientOrigin().X & 0xFFFF) | ((ClientOrigin().Y & 0xFFFF) << 16)));
        });
}

void TCustomForm::ApplyGeometry() {
    QWidget* w = Widget();
    if (!w) return;
    if (!syncingGeometry_) {
        if (Parent()) {
            w->setGeometry(Left(), Top(), Width(), Height());
        } else {
            int b = borderWidth(), c = captionHeight();
            w->setGeometry(Left() + b, Top() + c + b, std::max(0, Width() - 2 * b),
                           std::max(0, Height() - c - 2 * b));
        }
    }
    layoutClient();
}

void TCustomForm::layoutClient() {
    QWidget* w = Widget();
    if (!w || !client_) return;
    int mh = menuHeight();
    int cw = ClientWidth(), ch = ClientHeight();
    if (menuBar_) menuBar_->setGeometry(0, 0, cw, mh);
    client_->setGeometry(0, mh, cw, ch);
}

void TCustomForm::placeWindow() {
    TCustomForm* center = nullptr;
    switch (Position) {
        case TPosition::poScreenCenter:
        case TPosition::poDesktopCenter:
            SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(),
                      Height());
            return;
        case TPosition::poMainFormCenter:
            center = Application->MainForm;
            break;
        case TPosition::poOwnerFormCenter:
            center = dynamic_cast<TCustomForm*>(Owner());
            break;
        default:
            return;
    }
    if (!center || center == this) {
        SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(),
                  Height());
        return;
    }
    SetBounds(center->Left() + (center->Width() - Width()) / 2,
              center->Top() + (center->Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    int cw = ClientWidth(), ch = ClientHeight();
    borderStyle_ = v;
    Qt::WindowFlags f = Qt::Window;
    if (v == TFormBorderStyle::bsNone) f |= Qt::FramelessWindowHint;
    if (v == TFormBorderStyle::bsDialog) f = Qt::Dialog;
    if (v == TFormBorderStyle::bsToolWindow || v == TFormBorderStyle::bsSizeToolWin) f = Qt::Tool;
    if (formStyle_ == TFormStyle::fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
    if (!Parent()) {
        bool vis = Widget()->isVisible();
        Widget()->setWindowFlags(f);
        if (vis) Widget()->show();
    }
    // The platform keeps the client area when the border changes.
    SetBounds(Left(), Top(), cw + NonClientSize().cx, ch + NonClientSize().cy);
    ApplyGeometry();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    formStyle_ = v;
    SetBorderStyle(borderStyle_);
}

void TCustomForm::SetWindowState(TWindowState v) {
    windowState_ = v;
    if (Parent() || !Visible()) return;
    switch (v) {
        case TWindowState::wsMinimized:
            Widget()->showMinimized();
            break;
        case TWindowState::wsMaximized:
            Widget()->showMaximized();
            break;
        default:
            Widget()->showNormal();
            break;
    }
}

void TCustomForm::SetMenu(TMainMenu* m) {
    int cw = ClientWidth(), ch = ClientHeight();
    bool had = menu_ != nullptr;
    if (menu_ != m) {
        if (menu_) menu_->RemoveFreeNotification(this);
        menu_ = m;
        if (m) m->FreeNotification(this);
    }
    if (m) {
        if (!menuBar_) {
            menuBar_ = new QMenuBar(Widget());
            // Items as tight as the platform's menu bar, so they fit its height.
            menuBar_->setStyleSheet(
                "QMenuBar { padding: 0px; margin: 0px; } QMenuBar::item { padding: 1px 6px; }");
        }
        menuBar_->clear();
        TMenuItem* root = m->Items();
        for (int i = 0; i < root->Count(); ++i) menuBar_->addAction(root->Items(i)->Action());
        menuBar_->show();
    } else if (menuBar_) {
        delete menuBar_;
        menuBar_ = nullptr;
    }
    // The client area stays; the window grows by the menu bar.
    if (had != (m != nullptr))
        SetBounds(Left(), Top(), cw + NonClientSize().cx, ch + NonClientSize().cy);
    layoutClient();
}

void TCustomForm::TextChanged() {
    if (Widget()) Widget()->setWindowTitle(Q(text_));
}

// ---- Showing and closing ----------------------------------------------------------

bool TCustomForm::Showing() const {
    if (!Visible()) return false;
    return Parent() ? Parent()->Showing() : true;
}

void TCustomForm::SetVisible(bool v) {
    if (v == Visible()) {
        if (v && !Parent()) {
            Widget()->raise();
            QApplication::setActiveWindow(Widget());
        }
        return;
    }
    if (v) {
        placeWindow();
        visible_ = true;
        SafeCall([this] { DoShow(); });
        if (!IsLiveControl(this) || !Visible()) return;
        if (!activeControl_) {
            if (TWinControl* first = FindNextControl(nullptr, true, true, false))
                activeControl_ = first;
        }
        if (Parent()) {
            Widget()->setVisible(true);
        } else {
            switch (windowState_) {
                case TWindowState::wsMinimized:
                    Widget()->showMinimized();
                    break;
                case TWindowState::wsMaximized:
                    Widget()->showMaximized();
                    break;
                default:
                    Widget()->show();
                    break;
            }
            Widget()->raise();
            QApplication::setActiveWindow(Widget());
        }
        shownOnce_ = true;
    } else {
        visible_ = false;
        SafeCall([this] { DoHide(); });
        if (!IsLiveControl(this)) return;
        Widget()->hide();
        if (active_) setActive(false);
    }
}

void TCustomForm::DoShow() {
    OnShow(this);
}
void TCustomForm::DoHide() {
    OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& action) {
    OnClose(this, action);
}
void TCustomForm::Activate() {
    OnActivate(this);
}
void TCustomForm::Deactivate() {
    OnDeactivate(this);
}

void TCustomForm::setActive(bool v) {
    if (active_ == v) return;
    active_ = v;
    if (v) {
        Screen->activeForm_ = this;
        SafeCall([this] { Activate(); });
    } else {
        SafeCall([this] { Deactivate(); });
    }
}

bool TCustomForm::CloseQuery() {
    bool can = true;
    OnCloseQuery(this, can);
    return can;
}

void TCustomForm::Close() {
    if (modal_) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    switch (action) {
        case TCloseAction::caNone:
            return;
        case TCloseAction::caHide:
            if (Application->MainForm == this) Application->Terminate();
            Hide();
            return;
        case TCloseAction::caMinimize:
            SetWindowState(TWindowState::wsMinimized);
            return;
        case TCloseAction::caFree:
            Hide();
            Release();
            return;
    }
}

void TCustomForm::CloseModal() {
    try {
        TCloseAction action = TCloseAction::caNone;
        if (CloseQuery()) {
            action = TCloseAction::caHide;
            DoClose(action);
        }
        if (action == TCloseAction::caNone)
            modalResult_ = mrNone;
        else if (action == TCloseAction::caFree)
            Release();
    } catch (...) {
        modalResult_ = mrNone;
        HandleEventException();
    }
}

void TCustomForm::SetModalResult(TModalResult v) {
    modalResult_ = v;
    if (modalLoop_ && v != mrNone) modalLoop_->quit();
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled() || modal_ || formStyle_ == TFormStyle::fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    modal_ = true;
    modalResult_ = mrNone;
    struct Restore {
        TCustomForm* f;
        ~Restore() {
            if (!IsLiveControl(f)) return;
            f->modal_ = false;
            if (f->Visible()) f->Hide();
            f->Widget()->setWindowModality(Qt::NonModal);
        }
    } restore{this};
    if (!Parent()) Widget()->setWindowModality(Qt::ApplicationModal);
    Show();
    Application->DialogRunner().RunModal(*this);
    // Freed inside its own modal loop: nothing was chosen.
    if (!IsLiveControl(this)) return mrCancel;
    return modalResult_;
}

void TCustomForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            Close();
            return;
        case WM_NEXTDLGCTL:
            if (m.LParam & 0xFFFF) {
                if (auto* c = FindControl((HWND)m.WParam)) c->SetFocus();
            } else {
                SelectNext(activeControl_, m.WParam == 0, true);
            }
            return;
        case CM_RELEASE:
            Free();
            return;
        default:
            TScrollingWinControl::WndProc(m);
    }
}

// ---- Focus -------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* c) {
    if (activeControl_ == c) return;
    if (c && (c == this || GetParentForm(c) != this || !c->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = c;
    if (active_) {
        if (c)
            FocusTarget(c)->setFocus(Qt::OtherFocusReason);
        else
            client_->setFocus(Qt::OtherFocusReason);
    }
}

void TCustomForm::FocusControl(TWinControl* c) {
    bool wasActive = active_;
    bool same = activeControl_ == c;
    SetActiveControl(c);
    if (!wasActive) SetFocus();
    // Already the active control but not focused (the focus went elsewhere).
    else if (same && c && QApplication::focusWidget() != FocusTarget(c))
        FocusTarget(c)->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::SetFocus() {
    // Activating the window focuses the toolkit's first control of its own
    // choice; the control chosen before (in OnShow) keeps the focus.
    TWinControl* wanted = activeControl_;
    if (!active_) {
        if (!Visible() || !Enabled())
            throw EInvalidOperation("Cannot focus a disabled or invisible window");
        if (!Parent()) {
            Widget()->raise();
            QApplication::setActiveWindow(Widget());
        }
    }
    if (wanted && wanted != activeControl_ && IsLiveControl(wanted) && wanted->CanFocus())
        activeControl_ = wanted;
    if (activeControl_) FocusTarget(activeControl_)->setFocus(Qt::OtherFocusReason);
}

bool TCustomForm::SetFocusedControl(TWinControl* c) {
    if (Destroying() || !c) return false;
    ++gFocusCount;
    activeControl_ = c != this ? c : nullptr;
    Screen->activeForm_ = this;
    auto send = [](TWinControl* target, UINT msg) {
        int count = gFocusCount;
        SendMessage(target->Handle(), msg, 0, 0);
        return count == gFocusCount;
    };
    if (!focusedControl_) focusedControl_ = this;
    if (focusedControl_ == c) return true;
    TWinControl* leaving = focusedControl_;
    while (focusedControl_ && !focusedControl_->ContainsControl(c)) {
        TWinControl* old = focusedControl_;
        focusedControl_ = focusedControl_->Parent();
        try {
            int count = gFocusCount;
            old->Perform(CM_EXIT, 0, 0);
            if (count != gFocusCount) return false;
        } catch (...) {
            // An exit that raises (the silent abort too) stops the change:
            // the focus stays where it was and nothing is entered.
            refuseFocus(leaving, c);
            throw;
        }
    }
    while (focusedControl_ != c) {
        TWinControl* t = c;
        while (t->Parent() != focusedControl_ && t->Parent()) t = t->Parent();
        focusedControl_ = t;
        if (!send(t, CM_ENTER)) return false;
    }
    return true;
}

void TCustomForm::refuseFocus(TWinControl* stay, TWinControl* wanted) {
    ++gFocusCount;
    if (!IsLiveControl(stay) || Destroying()) return;
    focusedControl_ = stay;
    activeControl_ = stay != this ? stay : nullptr;
    if (IsLiveControl(wanted)) RefuseClickOn(FocusTarget(wanted));
    if (!active_) return;
    QWidget* w = stay != this ? FocusTarget(stay) : client_;
    if (w && QApplication::focusWidget() != w) w->setFocus(Qt::OtherFocusReason);
}

void TCustomForm::DefocusControl(TControl* c, bool removing) {
    auto contains = [c](const TControl* x) {
        for (; x; x = x->Parent())
            if (x == c) return true;
        return false;
    };
    if (removing && contains(focusedControl_)) focusedControl_ = c->Parent();
    if (contains(activeControl_)) {
        activeControl_ = nullptr;
        if (active_ && client_ && !Destroying()) client_->setFocus(Qt::OtherFocusReason);
    }
}

// ---- Keys ---------------------------------------------------------------------------

bool TCustomForm::IsShortCut(uint16_t key, TShiftState shift) {
    bool handled = false;
    OnShortCut(this, key, shift, handled);
    if (handled) return true;
    return menu_ && menu_->IsShortCut(key, shift);
}

bool TCustomForm::DialogChar(char32_t ch) {
    return Perform(CM_DIALOGCHAR, ch, 0) != 0;
}

bool TCustomForm::DialogKey(uint16_t key, TShiftState shift) {
    if (!shift.Contains(ssAlt)) {
        if (key == VK_TAB && !shift.Contains(ssCtrl)) {
            SelectNext(activeControl_, !shift.Contains(ssShift), true);
            return true;
        }
        if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) &&
            activeControl_) {
            if (TWinControl* p = activeControl_->Parent())
                p->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
            return true;
        }
    }
    return Perform(CM_DIALOGKEY, key, (LPARAM)shift.Bits()) != 0;
}

// ---- Qt events ----------------------------------------------------------------------

void TCustomForm::Paint() {
    Canvas()->Brush.Color = Color();
    Canvas()->FillRect(ClientRect());
    OnPaint(this);
}

bool TCustomForm::HandleQtEvent(QEvent* e, const QtBaseEvent& base) {
    switch (e->type()) {
        case QEvent::Paint:
            if (base.widget == client_) {
                QPainter p(client_);
                Canvas()->SetDevice(MakePainterDevice(&p));
                Canvas()->Font.Assign(*Font());
                Canvas()->Brush = TBrush{Color(), TBrushStyle::bsSolid};
                Canvas()->Pen = TPen{};
                struct Unbind {
                    TCanvas* c;
                    ~Unbind() { c->SetDevice(nullptr); }
                } unbind{Canvas()};
                Paint();
                return true;
            }
            return base(e);
        case QEvent::Resize:
        case QEvent::Move:
            if (base.widget == Widget() && !Parent() && !syncingGeometry_) {
                bool r = base(e);
                QRect g = Widget()->geometry();
                int b = borderWidth(), c = captionHeight();
                syncingGeometry_ = true;
                struct Reset {
                    bool& f;
                    ~Reset() { f = false; }
                } reset{syncingGeometry_};
                SetBounds(g.x() - b, g.y() - c - b, g.width() + 2 * b, g.height() + c + 2 * b);
                return r;
            }
            return base(e);
        case QEvent::WindowActivate:
            if (base.widget == Widget()) {
                bool r = base(e);
                setActive(true);
                if (activeControl_ && activeControl_->CanFocus() &&
                    QApplication::focusWidget() != FocusTarget(activeControl_))
                    FocusTarget(activeControl_)->setFocus(Qt::ActiveWindowFocusReason);
                return r;
            }
            return base(e);
        case QEvent::WindowDeactivate:
            if (base.widget == Widget()) {
                bool r = base(e);
                setActive(false);
                return r;
            }
            return base(e);
        case QEvent::Close:
            if (base.widget == Widget()) {
                e->ignore();
                // A form already closed and hidden (the window system closes
                // every window at the application's end) is not closed twice.
                if (Visible()) Close();
                return true;
            }
            return base(e);
        default:
            if (base.widget != Widget() && base.widget != client_) return base(e);
            return TScrollingWinControl::HandleQtEvent(e, base);
    }
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TCustomForm) {
    p.Prop("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption, "TCaption");
    p.Prop("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth);
    p.Prop("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight);
    p.Prop("Position", &TCustomForm::Position);
    p.Prop("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState);
    p.Prop("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle);
    p.Prop("BorderIcons", &TCustomForm::BorderIcons);
    p.Prop("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle);
    p.Prop("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview);
    p.Prop("Scaled", &TCustomForm::Scaled);
    p.Prop("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl,
           "TWinControl");
    p.Prop("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu, "TMainMenu");
    p.Prop("ModalResult", &TCustomForm::ModalResult, &TCustomForm::SetModalResult, "TModalResult");
    p.Prop("OnCreate", &TCustomForm::OnCreate);
    p.Prop("OnShow", &TCustomForm::OnShow);
    p.Prop("OnHide", &TCustomForm::OnHide);
    p.Prop("OnActivate", &TCustomForm::OnActivate);
    p.Prop("OnDeactivate", &TCustomForm::OnDeactivate);
    p.Prop("OnClose", &TCustomForm::OnClose, nullptr, "TCloseEvent");
    p.Prop("OnCloseQuery", &TCustomForm::OnCloseQuery, nullptr, "TCloseQueryEvent");
    p.Prop("OnDestroy", &TCustomForm::OnDestroy);
    p.Prop("OnPaint", &TCustomForm::OnPaint);
    p.Prop("OnResize", &TCustomForm::OnResize);
    p.Prop("OnCanResize", &TCustomForm::OnCanResize, nullptr, "TCanResizeEvent");
    p.Prop("OnShortCut", &TCustomForm::OnShortCut, nullptr, "TShortCutEvent");
}

}  // namespace plat
