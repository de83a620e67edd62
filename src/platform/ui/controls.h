// The control classes: TControl (bounds, alignment, colour, font, hint,
// cursor, mouse), TWinControl (children, tab order, focus, keys, messages,
// a window handle), TGraphicControl and TCustomControl (painted by their own
// Paint through a canvas). Each control owns the Qt widget that shows it;
// the owner tree (TComponent) and the parent tree are separate.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/graphics.h"
#include "platform/ui/keys.h"
#include "platform/ui/messages.h"
#include "platform/ui/types.h"

class QWidget;
class QEvent;

namespace plat {

struct QtBaseEvent;
class TPopupMenu;
class TCustomForm;
class TWinControl;

enum class TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoStdEvents,
};
PLAT_ENUM_INFO(TControlStyleItem, csAcceptsControls, csCaptureMouse, csClickEvents, csFramed,
               csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoStdEvents)
PLAT_SET(TControlStyle, TControlStyleItem)

// A hint about to show: the platform fills it from the control's hint; the
// control may change it in HintShow before the hint window shows it.
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint CursorPos;  // client coordinates
    TPoint HintPos;    // screen coordinates of the hint window's top-left
    TRect CursorRect;  // client area the hint belongs to
    std::string HintStr;
    int HideTimeout = 2500;
};

class TControl : public TComponent {
    PLAT_CLASS(TControl, TComponent)
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Parent tree.
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    // Bounds, relative to the parent's client area (forms: the screen).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    int ClientWidth() const { return width_ - NonClientSize().cx; }
    int ClientHeight() const { return height_ - NonClientSize().cy; }
    void SetClientWidth(int v) { SetWidth(v + NonClientSize().cx); }
    void SetClientHeight(int v) { SetHeight(v + NonClientSize().cy); }
    TRect ClientRect() const { return {0, 0, ClientWidth(), ClientHeight()}; }
    TPoint ClientOrigin() const;  // screen position of the client area
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v) { anchors_ = v; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent showing (a form: its window is shown).
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont* Font() { return &font_; }
    const TFont* Font() const { return &font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    // Whether a hint shows: the own flag, or the parent's when ParentShowHint.
    bool EffectiveShowHint() const;
    // The hint request for a client point (the mouse resting there): shows
    // the hint window, or cancels the current hint; true when one shows.
    bool ShowHintAt(int x, int y);
    // A control's say on its hint (the hint-show message): it may change the
    // text, place and area; false keeps the hint from showing.
    virtual bool HintShow(THintInfo& info) { return true; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor v);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* m);

    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& v) { SetText(v); }
    std::string Text() const { return GetText(); }
    void SetText(const std::string& v);

    TControlStyle ControlStyle;

    void BringToFront();
    void SendToBack();
    virtual void Click();
    virtual void DblClick();
    void Invalidate();
    void Repaint();
    void Update();
    void Refresh() { Repaint(); }

    // Messages: Perform calls the control's WndProc directly (exceptions pass).
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& m);

    QWidget* Widget() const { return widget_; }
    // Makes a parentless control a window of its own that shows without
    // taking the focus (drop-down lists, hint windows).
    void MakePopupWindow();
    // The canvas Paint draws on (bound to the widget while it paints).
    TCanvas* Canvas() { return &canvas_; }
    // Runs Paint on the given canvas (self-painted controls; tests record it).
    void PaintTo(TCanvas& canvas);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    void Notification(TComponent* c, TOperation op) override;

    // Hands a Qt event to the control (the widget template calls it).
    bool DispatchQtEvent(QEvent* e, const QtBaseEvent& base);

  protected:
    // Concrete classes create their widget in their constructor; the control
    // then owns it. Self-painted widgets are drawn by Paint.
    void SetWidget(QWidget* w, bool selfPainted = false);
    virtual bool HandleQtEvent(QEvent* e, const QtBaseEvent& base);
    virtual std::string GetText() const { return text_; }
    virtual void TextChanged() {}
    virtual void Paint() {}
    // Paints over a widget's own picture (PaintsOver set): a control that
    // keeps the platform's look and draws its caption itself.
    virtual void PaintOver() {}
    bool PaintsOver = false;
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // After the size changed: realigns children, raises OnResize.
    virtual void Resize();
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    // Border, caption and menu bar of a window (forms).
    virtual TSize NonClientSize() const { return {0, 0}; }
    // Puts the bounds on the widget (forms place their window themselves).
    virtual void ApplyGeometry();
    // The control is clicked on a mouse release inside it (plain widgets);
    // button widgets report clicks themselves.
    bool clickOnMouseUp_ = true;
    // The text as a caption sees it (no "&" handling here).
    std::string text_;
    // Copies the parent's colour or font (ParentColor, ParentFont).
    void ParentColorChanged();
    void ParentFontChanged();
    void ApplyFontToWidget();
    void ApplyColorToWidget();
    bool selfPainted_ = false;

  private:
    friend class TWinControl;
    friend class TCustomForm;
    void fontChangedHook();
    TWinControl* parent_ = nullptr;
    QWidget* widget_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_{TAnchorKind::akLeft, TAnchorKind::akTop};
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TFont font_;
    bool parentFont_ = true;
    bool fontFromParent_ = false;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    TCanvas canvas_;
    bool mousePressed_ = false;
};

class TWinControl : public TControl {
    PLAT_CLASS(TWinControl, TControl)
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const { return (int)controls_.size(); }
    TControl* Controls(int index) const;
    bool ContainsControl(const TControl* c) const;
    // The child at a client point (the topmost visible one), or null.
    TControl* ControlAtPos(TPoint p, bool allowDisabled = false) const;

    HWND Handle() const { return handle_; }
    bool HandleAllocated() const { return true; }

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;
    // The windowed controls in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                 bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();
    void Realign();

    // The input method a design names; kept as text only.
    std::string ImeName;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // Key steps (the form previews first when KeyPreview is on); true when
    // the key was swallowed (set to 0).
    virtual bool DoKeyDown(uint16_t& key, TShiftState shift);
    virtual bool DoKeyPress(char32_t& key);
    virtual bool DoKeyUp(uint16_t& key, TShiftState shift);
    // Whether the control keeps a navigation key (Tab, arrows, Enter, Esc)
    // for itself rather than letting the form use it.
    virtual bool WantsKey(uint16_t key, TShiftState shift) const;
    // Whether typed characters go to the control (else they may be accelerators).
    virtual bool WantsChars() const { return false; }
    // Delivers a key as if typed while the control has the focus.
    void SimulateKey(uint16_t key, TShiftState shift = {}, char32_t ch = 0);

    // Where the children's widgets live.
    QWidget* ClientWidget() const;

  protected:
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void DoEnter();
    virtual void DoExit();
    void WndProc(TMessage& m) override;
    void Resize() override;
    void FontChanged() override;
    void ColorChanged() override;
    void SetClientWidget(QWidget* w) { clientWidget_ = w; }
    // The area the aligned children share.
    virtual void AdjustClientRect(TRect& r) const;
    virtual void AlignControls(TControl* changing, TRect& rect);
    // Children were added, removed or moved in the list.
    virtual void ControlsChanged() {}
    // A child moved or changed its size.
    virtual void ChildBoundsChanged(TControl* child) {}
    // A child's widget is about to be put into this control.
    virtual void InsertChildWidget(TControl* child);

  private:
    friend class TControl;
    friend class TCustomForm;
    void insertControl(TControl* c);
    void removeControl(TControl* c);
    void anchorChildren(int oldW, int oldH);
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    HWND handle_ = 0;
    bool tabStop_ = false;
    int alignDisabled_ = 0;
    bool aligning_ = false;
    QWidget* clientWidget_ = nullptr;
    int lastClientW_ = -1, lastClientH_ = -1;
};

// A control with no window of its own on the platform: it never takes the
// focus and is painted by Paint.
class TGraphicControl : public TControl {
    PLAT_CLASS(TGraphicControl, TControl)
  public:
    explicit TGraphicControl(TComponent* owner);
};

// A windowed control painted by Paint.
class TCustomControl : public TWinControl {
    PLAT_CLASS(TCustomControl, TWinControl)
  public:
    explicit TCustomControl(TComponent* owner);
    TNotifyEvent OnPaint;

  protected:
    void Paint() override;
};

// Registers every class of the window layer by its class name, so designs
// and code can create them by name. Runs at start-up; again does nothing.
void RegisterControlClasses();

// The topmost form a control sits on, or null.
TCustomForm* GetParentForm(const TControl* c);
// Whether a pointer names a control that is still alive.
bool IsLiveControl(const TControl* c);
// The text of a hint before "|" (the short hint) and after it.
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

}  // namespace plat
