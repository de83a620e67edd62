// Helpers of the window tests: forms shown and active offscreen, scripted
// message dialogs for a test's scope.
#pragma once
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <memory>

#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "platform/ui/utf8.h"

namespace uitest {

// Shows a form and lets the offscreen window become the active one.
inline void ShowActive(plat::TCustomForm* f) {
    f->Show();
    plat::Application->ProcessMessages();
}

// Types text into a control as characters (KeyPress, then the widget).
inline void TypeText(plat::TWinControl* c, const std::string& text) {
    for (char32_t ch : plat::Utf8ToU32(text)) c->SimulateKey(0, {}, ch);
}

// A left-button press, move or release at a point of a control.
inline void Mouse(plat::TControl* c, QEvent::Type type, int x, int y,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* w = c->Widget();
    QPointF local(x, y);
    QPointF global = w->mapToGlobal(local);
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, local, global, button, held, modifiers);
    QCoreApplication::sendEvent(w, &e);
}
inline void MouseClick(plat::TControl* c, int x, int y) {
    Mouse(c, QEvent::MouseButtonPress, x, y);
    Mouse(c, QEvent::MouseButtonRelease, x, y);
}

// Message dialogs answered by script, and exceptions logged to a list.
struct Capture {
    std::shared_ptr<plat::ScriptedMessageDialogs> dialogs =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope scope{dialogs};
    std::vector<std::string> log;
    Capture() {
        plat::Application->ExceptionLogger = [this](const std::string& line) {
            log.push_back(line);
        };
    }
    ~Capture() { plat::Application->ExceptionLogger = nullptr; }
};

}  // namespace uitest
