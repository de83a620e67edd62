// Forms (top-level windows), the screen and the application services:
// modal showing through an injectable dialog runner, the event entry point
// that swallows the silent abort and shows and logs any other exception,
// hint pauses, the screen cursor and processing pending events.
#pragma once
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controls.h"

class QEventLoop;
class QWidget;
class QMenuBar;

namespace plat {

class TMainMenu;
class TCustomForm;

// A scrolling windowed control (the base of forms and scroll boxes).
class TScrollingWinControl : public TWinControl {
    PLAT_CLASS(TScrollingWinControl, TWinControl)
  public:
    using TWinControl::TWinControl;
};

enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
PLAT_ENUM_INFO(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly,
               poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
PLAT_ENUM_INFO(TWindowState, wsNormal, wsMinimized, wsMaximized)
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
PLAT_ENUM_INFO(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow,
               bsSizeToolWin)
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
PLAT_ENUM_INFO(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
PLAT_ENUM_INFO(TCloseAction, caNone, caHide, caFree, caMinimize)
enum class TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
PLAT_ENUM_INFO(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
PLAT_SET(TBorderIcons, TBorderIcon)
using TCloseEvent = Event<TObject*, TCloseAction&>;
using TCloseQueryEvent = Event<TObject*, bool&>;

// Runs a form's modal loop. The default runs Qt's event loop until the form
// has a modal result; tests install a scripted runner instead.
class IDialogRunner {
  public:
    virtual ~IDialogRunner() = default;
    // Called after the form is shown modally; returns when ModalResult is set
    // and the form may close (the runner calls CloseModal).
    virtual void RunModal(TCustomForm& form) = 0;
};

class TCustomForm : public TScrollingWinControl {
    PLAT_CLASS(TCustomForm, TScrollingWinControl)
  public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Raises OnCreate; CreateForm calls it once the class's constructor is done.
    virtual void AfterConstruction();
    // Raises OnDestroy while everything still lives, then deletes the form.
    void Free();
    // Frees the form from the event loop (after the current event).
    void Release();

    void SetVisible(bool v) override;
    bool Showing() const override;
    void SetBounds(int left, int top, int width, int height) override;
    TModalResult ShowModal();
    void Close();
    bool CloseQuery();
    // The end of a modal loop: asks OnCloseQuery and OnClose; ModalResult
    // goes back to 0 when the form may not close.
    void CloseModal();
    bool Modal() const { return modal_; }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v);

    TPosition Position = TPosition::poDesigned;
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize,
                             TBorderIcon::biMaximize};
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState v);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    bool Active() const { return active_; }
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* m);
    int PixelsPerInch() const { return 96; }
    bool Scaled = true;

    // The control that has (or gets, once the form is active) the focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);
    // Focuses a control of this form (raises for one that cannot take it).
    void FocusControl(TWinControl* c);
    // The focus moved to c: OnExit up from the old control, OnEnter down to c.
    bool SetFocusedControl(TWinControl* c);
    // A control is hidden, disabled or removed: the focus leaves it.
    void DefocusControl(TControl* c, bool removing);
    void SetFocus() override;
    bool CanFocus() const override { return true; }

    // Keys the form uses before the focused control: menu shortcuts,
    // accelerators and dialog keys (Tab, arrows, Enter, Esc).
    bool IsShortCut(uint16_t key, TShiftState shift);
    bool DialogChar(char32_t ch);
    bool DialogKey(uint16_t key, TShiftState shift);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnPaint;
    TCanResizeEvent OnCanResize;
    Event<TObject*, uint16_t, TShiftState, bool&> OnShortCut;

    // Window messages the form answers: WM_CLOSE, WM_NEXTDLGCTL, CM_RELEASE.
    void WndProc(TMessage& m) override;

  protected:
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    void Paint() override;
    bool HandleQtEvent(QEvent* e, const QtBaseEvent& base) override;
    TSize NonClientSize() const override;
    void ApplyGeometry() override;
    void Notification(TComponent* c, TOperation op) override;
    void TextChanged() override;
    std::string GetText() const override { return text_; }

  private:
    friend class TApplication;
    friend class DefaultDialogRunner;
    void placeWindow();
    void layoutClient();
    void setActive(bool v);
    int borderWidth() const;
    int captionHeight() const;
    int menuHeight() const;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    void refuseFocus(TWinControl* stay, TWinControl* wanted);
    TModalResult modalResult_ = mrNone;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    TWindowState windowState_ = TWindowState::wsNormal;
    TMainMenu* menu_ = nullptr;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    bool keyPreview_ = false;
    bool modal_ = false;
    bool active_ = false;
    bool shownOnce_ = false;
    bool destroyFired_ = false;
    bool created_ = false;
    bool syncingGeometry_ = false;
};

class TForm : public TCustomForm {
    PLAT_CLASS(TForm, TCustomForm)
  public:
    using TCustomForm::TCustomForm;
};

// Creates a form of class F and raises its OnCreate.
template <class F, class... A>
F* CreateForm(A&&... args) {
    F* f = new F(std::forward<A>(args)...);
    f->AfterConstruction();
    return f;
}

class TScreen {
  public:
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }
    // The cursor over every window of the program; crDefault gives each
    // control its own again.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    TCustomForm* ActiveForm() const { return activeForm_; }
    TWinControl* ActiveControl() const;
    int FormCount() const { return (int)forms_.size(); }
    TCustomForm* Forms(int i) const { return forms_.at(i); }
    TFont HintFont;
    TFont IconFont;
    TFont MenuFont;

  private:
    friend class TCustomForm;
    TCursor cursor_ = crDefault;
    TCustomForm* activeForm_ = nullptr;
    std::vector<TCustomForm*> forms_;
};

// Sets the screen cursor and puts the old one back at scope end (also after
// an exception).
class TCursorGuard {
  public:
    explicit TCursorGuard(TCursor c);
    ~TCursorGuard();
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

  private:
    TCursor old_;
};

// The window a hint shows in: a small borderless window in the hint colour
// that never takes the focus.
class THintWindow : public TCustomControl {
    PLAT_CLASS(THintWindow, TCustomControl)
  public:
    explicit THintWindow(TComponent* owner);
    // The size the text needs, wrapped at maxWidth pixels.
    TRect CalcHintRect(int maxWidth, const std::string& text);
    // Shows the text in a rectangle of the screen.
    void ActivateHint(const TRect& rect, const std::string& text);
    void ReleaseHandle() { Hide(); }

  protected:
    void Paint() override;
};

class TApplication {
  public:
    std::string Title;
    int HintPause = 500;
    int HintHidePause = 2500;
    int HintShortPause = 50;
    bool ShowHint = true;
    TCustomForm* MainForm = nullptr;

    // The hint window: shows a hint, or takes the current one away.
    void ActivateHint(const THintInfo& info);
    void CancelHint();
    // The text of the hint showing and its control (empty, null when none).
    const std::string& HintText() const { return hintText_; }
    TControl* HintControl() const { return hintControl_; }
    // The window the hints show in (made on first use).
    THintWindow* HintWindow();

    // Handles the events waiting in the queue (posted messages included).
    void ProcessMessages();
    // The system's beep.
    void Beep();
    // Marks the program as ending; never closes the host.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    // The event boundary: the silent abort vanishes; any other exception is
    // logged and shown in a message box.
    void HandleException(const std::exception& e);
    void ShowException(const std::exception& e);
    // The platform's MessageBox (MB_ flags); returns IDOK (1) .. IDNO (7).
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
    // Writes one line to the exception log (stderr unless replaced).
    std::function<void(const std::string&)> ExceptionLogger;
    Event<TObject*, const std::exception&> OnException;

    IDialogRunner& DialogRunner();
    std::shared_ptr<IDialogRunner> SetDialogRunner(std::shared_ptr<IDialogRunner> r);

  private:
    bool terminated_ = false;
    std::string hintText_;
    TControl* hintControl_ = nullptr;
    THintWindow* hintWindow_ = nullptr;
    int hintShown_ = 0;
    std::shared_ptr<IDialogRunner> runner_;
};

extern TApplication* const Application;
extern TScreen* const Screen;

// Catches what an event handler raised (called from inside a catch block).
void HandleEventException();
// Runs f as an event entry point: the silent abort is swallowed, any other
// exception handled by the application. Returns false when f raised.
bool SafeCall(const std::function<void()>& f);

// A dialog runner for tests: each modal form is handed to the next script,
// which may work the form and returns the modal result to close it with.
class ScriptedDialogRunner : public IDialogRunner {
  public:
    using Script = std::function<TModalResult(TCustomForm&)>;
    void Expect(Script s) { scripts_.push_back(std::move(s)); }
    // A script for the next form, which must be of the class named.
    void Expect(const std::string& className, Script s);
    void RunModal(TCustomForm& form) override;
    // Class names of the forms shown, in order.
    const std::vector<std::string>& Shown() const { return shown_; }
    // Forms shown with no script left (answered with mrCancel).
    const std::vector<std::string>& Unexpected() const { return unexpected_; }
    int Pending() const { return (int)scripts_.size(); }

  private:
    std::deque<Script> scripts_;
    std::vector<std::string> shown_;
    std::vector<std::string> unexpected_;
};

// Installs a dialog runner for a scope and puts the previous one back.
class DialogRunnerScope {
  public:
    explicit DialogRunnerScope(std::shared_ptr<IDialogRunner> r)
        : old_(Application->SetDialogRunner(std::move(r))) {}
    ~DialogRunnerScope() { Application->SetDialogRunner(old_); }

  private:
    std::shared_ptr<IDialogRunner> old_;
};

}  // namespace plat
