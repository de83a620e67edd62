// The application object, the screen, the event entry point, window
// messages, and the hub that sees every key and focus change of our windows.
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/field.h"
#include "platform/ui/copydata.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/translations.h"

namespace plat {

Qt::CursorShape QtCursorShape(TCursor c);

namespace {
TApplication gApplication;
TScreen gScreen;
}  // namespace

TApplication* const Application = &gApplication;
TScreen* const Screen = &gScreen;

// ---- Event entry point ---------------------------------------------------------

void HandleEventException() {
    try {
        try {
            throw;
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            Application->HandleException(e);
        } catch (...) {
            Application->HandleException(Exception("Unknown exception"));
        }
    } catch (...) {
        // Showing the error failed as well: nothing may cross the event loop.
    }
}

bool SafeCall(const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (...) {
        HandleEventException();
        return false;
    }
}

// ---- The hub: keys and focus -------------------------------------------------------

namespace {

bool IsDialogKey(uint16_t vk) {
    return vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_LEFT || vk == VK_RIGHT ||
           vk == VK_UP || vk == VK_DOWN || vk == VK_EXECUTE || vk == VK_CANCEL;
}

// The data grid that shows ctl over its current cell, when Tab or Enter
// typed there should leave the cell as the grid's own editor does, not the
// grid (which would post the line half keyed).
TWinControl* cellGrid(TWinControl* ctl, uint16_t vk, TShiftState shift) {
    if ((vk != VK_TAB && vk != VK_RETURN) || ctl->WantsKey(vk, shift)) return nullptr;
    auto* grid = dynamic_cast<TCustomDataGrid*>(ctl->Parent());
    if (!grid || !grid->WantsKey(vk, shift) || !ctl->Visible()) return nullptr;
    TField* f = grid->SelectedField();
    return f && grid->FieldControl(f->FieldName()) == ctl ? grid : nullptr;
}

bool IsModifierKey(uint16_t vk) {
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || vk == VK_CAPITAL;
}

// The key and text Qt expects for a character a handler put in place.
void QtKeyForChar(char32_t c, int& key, Qt::KeyboardModifiers& mods, QString& text) {
    text = QString::fromUcs4(&c, 1);
    mods = Qt::NoModifier;
    switch (c) {
        case 13:
            key = Qt::Key_Return;
            return;
        case 8:
            key = Qt::Key_Backspace;
            return;
        case 27:
            key = Qt::Key_Escape;
            return;
        case 9:
            key = Qt::Key_Tab;
            return;
        default:
            break;
    }
    if (c >= 1 && c <= 26) {
        key = Qt::Key_A + (int)c - 1;
        mods = Qt::ControlModifier;
        return;
    }
    if (c < 0x80 && QChar((char16_t)c).isLetterOrNumber())
        key = QChar((char16_t)c).toUpper().unicode();
    else
        key = Qt::Key_unknown;
}

class UiHub : public QObject {
  public:
    QKeyEvent* skip = nullptr;
    // The widget whose focus was refused, while the press that asked for it
    // may still come (cleared once the events of the moment are done).
    QPointer<QWidget> refused;
    QPointer<QWidget> swallowRelease;

    bool eventFilter(QObject* o, QEvent* e) override {
        if (isRefusedClick(o, e)) return true;
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke == skip || !o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        if (isPropagated(w, ke)) return false;
        const LastKey mine{w, ke->type(), ke->key(), ke->modifiers(), ke->text(), ke->timestamp()};
        last_ = mine;
        auto* ctl = dynamic_cast<TWinControl*>(ControlOfWidget(w));
        if (!ctl) return false;
        // A window of the toolkit's own over a form (the host's dialogs)
        // keeps its keys: they are not the form's, and its popups aside it
        // is a window of its own.
        if (QWidget* window = w->window();
            ctl->Widget() && window != ctl->Widget()->window() && window->windowType() != Qt::Popup)
            return false;
        bool used = false;
        try {
            used = Pipeline(ctl, w, ke);
        } catch (...) {
            HandleEventException();
            used = true;
        }
        // A window the key opened read keys of its own meanwhile; an unused
        // key goes on to the parents next, and they must know it as this one.
        last_ = mine;
        return used;
    }

    void Deliver(QWidget* target, char32_t c, bool autoRepeat) {
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
        QtKeyForChar(c, key, mods, text);
        QKeyEvent ne(QEvent::KeyPress, key, mods, text, autoRepeat);
        last_ = {target, ne.type(), ne.key(), ne.modifiers(), ne.text(), ne.timestamp()};
        QKeyEvent* saved = skip;
        skip = &ne;
        QCoreApplication::sendEvent(target, &ne);
        skip = saved;
    }

    // The platform's order: menu shortcuts, dialog keys, accelerators,
    // KeyDown (form first when it previews keys), then KeyPress. True when the
    // key is used up.
    bool Pipeline(TWinControl* ctl, QWidget* target, QKeyEvent* ke) {
        uint16_t vk = VkFromQtKey(ke->key(), ke->modifiers());
        TShiftState shift = ShiftFromQt(ke->modifiers());
        std::u32string typed = Utf8ToU32(S(ke->text()));
        if (ke->type() == QEvent::KeyRelease) {
            if (!vk) return false;
            uint16_t k = vk;
            return ctl->DoKeyUp(k, shift);
        }
        TCustomForm* form = GetParentForm(ctl);
        bool keyUsed = false;
        if (TWinControl* grid = cellGrid(ctl, vk, shift)) {
            // The grid takes the key as its own; the cell control's exit first
            // writes what was typed in it (a refusal keeps the focus there).
            grid->SetFocus();
            if (!IsLiveControl(grid) || !form || form->ActiveControl() != grid) return true;
            ctl = grid;
            target = grid->Widget();
        }
        if (vk) {
            if (form && !IsModifierKey(vk)) {
                for (TControl* c = ctl; c; c = c->Parent())
                    if (c->PopupMenu() && c->PopupMenu()->IsShortCut(vk, shift)) return true;
                if (form->IsShortCut(vk, shift)) return true;
                if (!IsLiveControl(ctl)) return true;
                if (IsDialogKey(vk) && !ctl->WantsKey(vk, shift) && form->DialogKey(vk, shift))
                    return true;
                if (!IsLiveControl(ctl)) return true;
                if (shift.Contains(ssAlt) && !shift.Contains(ssCtrl) &&
                    ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) && form->DialogChar(vk))
                    return true;
                if (!IsLiveControl(ctl)) return true;
            }
            // A key a KeyDown handler zeroes does not act in the control,
            // but its character still comes to KeyPress: only a character
            // zeroed there is dropped.
            uint16_t k = vk;
            keyUsed = ctl->DoKeyDown(k, shift);
            if (!IsLiveControl(ctl)) return true;
        }
        char32_t ch =
            vk ? KeyChar(vk, shift, typed.empty() ? 0 : typed[0]) : (typed.empty() ? 0 : typed[0]);
        if (!ch) return keyUsed;
        if (form && ch >= 32 && !ctl->WantsChars() && !shift.Contains(ssCtrl)) {
            char32_t up = (ch >= 'a' && ch <= 'z') ? ch - 32 : ch;
            if (form->DialogChar(up)) return true;
            if (!IsLiveControl(ctl)) return true;
        }
        char32_t c = ch;
        if (ctl->DoKeyPress(c)) return true;
        if (!IsLiveControl(ctl)) return true;
        if (c != ch || keyUsed) {
            Deliver(target, c, ke->isAutoRepeat());
            return true;
        }
        // Qt gives Ctrl+letter as the letter; the widget is told the key as
        // the platform typed it only where that differs.
        return false;
    }

  private:
    bool isRefusedClick(QObject* o, QEvent* e) {
        if (!o->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(o);
        auto inside = [w](const QPointer<QWidget>& p) {
            return p && (p == w || p->isAncestorOf(w));
        };
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
            if (!inside(refused)) return false;
            refused = nullptr;
            swallowRelease = w;
            return true;
        }
        if (e->type() == QEvent::MouseButtonRelease && swallowRelease == w) {
            swallowRelease = nullptr;
            return true;
        }
        return false;
    }

    struct LastKey {
        QPointer<QWidget> receiver;
        QEvent::Type type = QEvent::None;
        int key = 0;
        Qt::KeyboardModifiers mods;
        QString text;
        quint64 timestamp = 0;
    } last_;

    // Qt hands an unused key on to the parent widgets; only the first
    // receiver runs the pipeline.
    bool isPropagated(QWidget* w, QKeyEvent* ke) const {
        return last_.receiver && last_.receiver != w && w->isAncestorOf(last_.receiver) &&
               last_.type == ke->type() && last_.key == ke->key() &&
               last_.mods == ke->modifiers() && last_.text == ke->text() &&
               last_.timestamp == ke->timestamp();
    }
};

UiHub* gHub = nullptr;

class PlatformStyle : public QProxyStyle {
  public:
    explicit PlatformStyle(QStyle* base) : QProxyStyle(base) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_ToolTip_WakeUpDelay) return Application->HintPause;
        if (hint == SH_ToolTip_FallAsleepDelay) return Application->HintShortPause;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

void InstallHub() {
    if (gHub) return;
    gHub = new UiHub;
    qApp->installEventFilter(gHub);
    QObject::connect(qApp, &QApplication::focusChanged, gHub, [](QWidget*, QWidget* now) {
        if (!now) return;
        auto* ctl = dynamic_cast<TWinControl*>(ControlOfWidget(now));
        if (!ctl) return;
        // A toolkit window over a form (the host's look-ups) is no control of
        // the form's: the form's own focus stays where it was, and nothing is
        // exited (a line half keyed is not posted) or entered.
        if (QWidget* window = now->window();
            ctl->Widget() && window != ctl->Widget()->window() && window->windowType() != Qt::Popup)
            return;
        TCustomForm* form = GetParentForm(ctl);
        if (!form || form->Destroying()) return;
        SafeCall([&] { form->SetFocusedControl(ctl); });
    });
}
}  // namespace

void RefuseClickOn(QWidget* w) {
    if (!gHub || !w) return;
    gHub->refused = w;
    QMetaObject::invokeMethod(
        gHub, [] { gHub->refused = nullptr; }, Qt::QueuedConnection);
}

void EnsureApplication() {
    if (!QCoreApplication::instance()) {
        if (!getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char arg0[] = "ktrb52";
        static char* argv[] = {arg0, nullptr};
        new QApplication(argc, argv);
    }
    if (gHub) return;
    RegisterControlClasses();
    QStyle* base = QStyleFactory::create("Fusion");
    if (base) QApplication::setStyle(new PlatformStyle(base));
    QPalette pal = QApplication::palette();
    pal.setColor(QPalette::Window, ToQColor(clBtnFace));
    pal.setColor(QPalette::Button, ToQColor(clBtnFace));
    pal.setColor(QPalette::Base, ToQColor(clWindow));
    pal.setColor(QPalette::Text, ToQColor(clWindowText));
    pal.setColor(QPalette::WindowText, ToQColor(clWindowText));
    pal.setColor(QPalette::ButtonText, ToQColor(clBtnText));
    pal.setColor(QPalette::Highlight, ToQColor(clHighlight));
    pal.setColor(QPalette::HighlightedText, ToQColor(clHighlightText));
    pal.setColor(QPalette::Light, ToQColor(clBtnHighlight));
    pal.setColor(QPalette::Dark, ToQColor(clBtnShadow));
    pal.setColor(QPalette::Shadow, ToQColor(cl3DDkShadow));
    pal.setColor(QPalette::ToolTipBase, ToQColor(clInfoBk));
    pal.setColor(QPalette::ToolTipText, ToQColor(clInfoText));
    QApplication::setPalette(pal);
    QFont f(kDefaultFace);
    f.setPixelSize(12);
    QApplication::setFont(f);
    InstallHub();
}

void TWinControl::SimulateKey(uint16_t key, TShiftState shift, char32_t ch) {
    EnsureApplication();
    QWidget* t = Widget();
    while (t && t->focusProxy()) t = t->focusProxy();
    if (!t) return;
    if (key) {
        QString text;
        char32_t c = ch ? ch : KeyChar(key, shift, 0);
        if (!c && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
            if (key >= 'A' && key <= 'Z')
                c = shift.Contains(ssShift) ? key : key + 32;
            else if ((key >= '0' && key <= '9') || key == VK_SPACE)
                c = key;
        }
        if (c) text = QString::fromUcs4(&c, 1);
        int qk = QtKeyFromVk(key);
        Qt::KeyboardModifiers mods = QtFromShift(shift);
        if (key >= VK_NUMPAD0 && key <= VK_DIVIDE) mods |= Qt::KeypadModifier;
        QKeyEvent press(QEvent::KeyPress, qk, mods, text);
        QCoreApplication::sendEvent(t, &press);
        if (!IsLiveControl(this)) return;
        QKeyEvent release(QEvent::KeyRelease, qk, mods, text);
        QCoreApplication::sendEvent(t, &release);
        return;
    }
    if (ch) {
        char32_t c = ch;
        if (DoKeyPress(c) || !IsLiveControl(this)) return;
        gHub->Deliver(t, c, false);
    }
}

// ---- Messages ------------------------------------------------------------------------

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* c = FindControl(wnd);
    if (!c) {
        LRESULT foreign = 0;
        SendForeignMessage(wnd, msg, wParam, lParam, foreign);
        return foreign;
    }
    LRESULT r = 0;
    SafeCall([&] { r = c->Perform(msg, wParam, lParam); });
    return r;
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!FindControl(wnd)) return false;
    EnsureApplication();
    QMetaObject::invokeMethod(
        qApp,
        [=] {
            if (TWinControl* c = FindControl(wnd))
                SafeCall([&] { c->Perform(msg, wParam, lParam); });
        },
        Qt::QueuedConnection);
    return true;
}

// ---- Application -------------------------------------------------------------------

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    QWidget* w = Widget();
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                      Qt::WindowDoesNotAcceptFocus);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setFocusPolicy(Qt::NoFocus);
    SetColor(clInfoBk);
    Font()->Assign(Screen->HintFont);
    Font()->SetColor(clInfoText);
    Hide();
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::string& text) {
    TCanvas measure;
    measure.Font.Assign(*Font());
    TRect r{0, 0, maxWidth, 0};
    measure.DrawText(text, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    r.Right += 6;
    r.Bottom += 4;
    return r;
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& text) {
    SetText(text);
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    Show();
    Widget()->raise();
    Invalidate();
}

void THintWindow::Paint() {
    TCanvas* c = Canvas();
    c->Brush = TBrush{Color(), TBrushStyle::bsSolid};
    c->Pen.Color = clBlack;
    c->Rectangle(0, 0, Width(), Height());
    c->Font.Assign(*Font());
    c->Brush.Style = TBrushStyle::bsClear;
    TRect r{3, 2, Width() - 3, Height() - 2};
    c->DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

THintWindow* TApplication::HintWindow() {
    // Kept for the program's life: hints come and go all the time.
    if (!hintWindow_) hintWindow_ = new THintWindow(nullptr);
    return hintWindow_;
}

void TApplication::ActivateHint(const THintInfo& info) {
    hintText_ = info.HintStr;
    hintControl_ = info.HintControl;
    THintWindow* w = HintWindow();
    TRect r = w->CalcHintRect(300, info.HintStr);
    w->ActivateHint(
        {info.HintPos.X, info.HintPos.Y, info.HintPos.X + r.Width(), info.HintPos.Y + r.Height()},
        info.HintStr);
    const int shown = ++hintShown_;
    if (info.HideTimeout > 0)
        QTimer::singleShot(info.HideTimeout, w->Widget(), [this, shown] {
            if (shown == hintShown_) CancelHint();
        });
}

void TApplication::CancelHint() {
    hintText_.clear();
    hintControl_ = nullptr;
    ++hintShown_;
    if (hintWindow_) hintWindow_->ReleaseHandle();
}

void TApplication::Beep() {
    QApplication::beep();
}

void TApplication::ProcessMessages() {
    EnsureApplication();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleException(const std::exception& e) {
    if (dynamic_cast<const EAbort*>(&e)) return;
    auto* pe = dynamic_cast<const Exception*>(&e);
    std::string line = std::string(pe ? pe->ClassName() : "Exception") + ": " + e.what();
    if (ExceptionLogger)
        ExceptionLogger(line);
    else
        std::cerr << line << std::endl;
    if (OnException)
        OnException(nullptr, e);
    else
        ShowException(e);
}

void TApplication::ShowException(const std::exception& e) {
    std::string msg = e.what();
    if (!msg.empty() && (unsigned char)msg.back() > '.') msg += '.';
    MessageBox(msg, Title, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageDialogs().MessageBox(text, caption.empty() ? Title : caption, flags);
}

namespace {
class DefaultRunner : public IDialogRunner {
  public:
    void RunModal(TCustomForm& form) override;
};
}  // namespace

class DefaultDialogRunner {
  public:
    static void Run(TCustomForm& form) {
        QEventLoop loop;
        form.modalLoop_ = &loop;
        struct Reset {
            TCustomForm& f;
            ~Reset() {
                if (IsLiveControl(&f)) f.modalLoop_ = nullptr;
            }
        } reset{form};
        for (;;) {
            if (Application->Terminated()) form.modalResult_ = mrCancel;
            if (form.modalResult_ == mrNone) loop.exec();
            // A form freed inside its own loop (its destructor ends the loop).
            if (!IsLiveControl(&form)) return;
            form.CloseModal();
            if (form.modalResult_ != mrNone) break;
        }
    }
};

void DefaultRunner::RunModal(TCustomForm& form) {
    DefaultDialogRunner::Run(form);
}

IDialogRunner& TApplication::DialogRunner() {
    if (!runner_) runner_ = std::make_shared<DefaultRunner>();
    return *runner_;
}

std::shared_ptr<IDialogRunner> TApplication::SetDialogRunner(std::shared_ptr<IDialogRunner> r) {
    auto old = runner_;
    runner_ = std::move(r);
    return old;
}

namespace {
// The toolkit translators installed, kept for the program's life.
std::vector<std::unique_ptr<QTranslator>>& toolkitTranslators() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}
std::string& toolkitLocale() {
    static std::string locale;
    return locale;
}
}  // namespace

bool LoadToolkitTranslations(const std::string& locale) {
    EnsureApplication();
    auto& translators = toolkitTranslators();
    for (auto& t : translators) QCoreApplication::removeTranslator(t.get());
    translators.clear();
    toolkitLocale().clear();
    if (locale.empty()) return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // The base module's catalogue holds the widgets' texts.
    for (const char* catalogue : {"qtbase_", "qt_"}) {
        auto t = std::make_unique<QTranslator>();
        if (!t->load(QLatin1String(catalogue) + Q(locale), folder)) continue;
        QCoreApplication::installTranslator(t.get());
        translators.push_back(std::move(t));
        break;
    }
    if (translators.empty()) return false;
    toolkitLocale() = locale;
    return true;
}

const std::string& ToolkitLocale() {
    return toolkitLocale();
}

void ScriptedDialogRunner::Expect(const std::string& className, Script s) {
    scripts_.push_back([className, s](TCustomForm& f) -> TModalResult {
        if (f.ClassName() != className)
            throw EInvalidOperation("Expected the dialog " + className + ", got " + f.ClassName());
        return s(f);
    });
}

void ScriptedDialogRunner::RunModal(TCustomForm& form) {
    shown_.push_back(form.ClassName());
    TModalResult r = mrCancel;
    if (scripts_.empty()) {
        unexpected_.push_back(form.ClassName());
    } else {
        Script s = std::move(scripts_.front());
        scripts_.pop_front();
        r = s(form);
        if (!IsLiveControl(&form)) return;
    }
    if (form.ModalResult() == mrNone) form.SetModalResult(r == mrNone ? mrCancel : r);
    form.CloseModal();
}

// ---- Screen ---------------------------------------------------------------------------

int TScreen::Width() const {
    EnsureApplication();
    return QGuiApplication::primaryScreen()->geometry().width();
}

int TScreen::Height() const {
    EnsureApplication();
    return QGuiApplication::primaryScreen()->geometry().height();
}

TWinControl* TScreen::ActiveControl() const {
    return activeForm_ ? activeForm_->ActiveControl() : nullptr;
}

void TScreen::SetCursor(TCursor c) {
    EnsureApplication();
    if (c == cursor_) return;
    cursor_ = c;
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    if (c != crDefault) QApplication::setOverrideCursor(QCursor(QtCursorShape(c)));
}

TCursorGuard::TCursorGuard(TCursor c) : old_(Screen->Cursor()) {
    Screen->SetCursor(c);
}
TCursorGuard::~TCursorGuard() {
    Screen->SetCursor(old_);
}

}  // namespace plat
