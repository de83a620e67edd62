// Helpers of the window tests: forms shown and active offscreen, scripted
// message dialogs for a test's scope.
#pragma once
#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>
#include <memory>

#include "platform/core/text.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/dragdrop.h"
#include "platform/ui/forms.h"

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

// A drag from a control dropped at a client point of another, as the
// toolkit delivers it: enter, move, drop. True when the drop was taken.
inline bool DragAndDrop(plat::TControl* source, plat::TControl* target, int x, int y) {
    QWidget* w = target->Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) w = area->viewport();
    QPointF at =
        w == target->Widget() ? QPointF(x, y) : QPointF(w->mapFrom(target->Widget(), QPoint(x, y)));
    std::unique_ptr<QMimeData> data = plat::DragDataOf(source);
    QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &drop);
    return drop.isAccepted();
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
