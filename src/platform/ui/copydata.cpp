#include "platform/ui/copydata.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <map>

#include "platform/ui/controls.h"

namespace plat {

namespace {

// The Qt property a window's class name is published under, so that windows
// of another module (the host program has its own copy of this layer) are
// found too: Qt is the one thing both share, as the desktop is on other systems.
constexpr const char* kClassProperty = "platWindowClass";

std::map<HWND, std::string>& ClassNames() {
    static std::map<HWND, std::string> names;
    return names;
}

// Handles of other modules' windows, below zero so they never meet ours.
std::map<HWND, QPointer<QWidget>>& ForeignWindows() {
    static std::map<HWND, QPointer<QWidget>> windows;
    return windows;
}

HWND ForeignHandle(QWidget* w) {
    auto& windows = ForeignWindows();
    HWND last = 0;
    for (auto it = windows.begin(); it != windows.end();) {
        if (!it->second) {
            it = windows.erase(it);
            continue;
        }
        if (it->second == w) return it->first;
        last = std::min(last, it->first);
        ++it;
    }
    const HWND h = last - 1;
    windows[h] = w;
    return h;
}

}  // namespace

void SetWindowClassName(TWinControl* window, const std::string& className) {
    if (!window) return;
    if (className.empty()) {
        ClassNames().erase(window->Handle());
        if (window->Widget()) window->Widget()->setProperty(kClassProperty, QVariant());
    } else {
        ClassNames()[window->Handle()] = className;
        if (window->Widget())
            window->Widget()->setProperty(kClassProperty, QString::fromStdString(className));
    }
}

HWND FindWindow(const std::string& className, const std::string& windowName) {
    auto& names = ClassNames();
    for (auto it = names.begin(); it != names.end();) {
        TWinControl* window = FindControl(it->first);
        // Handles are not reused while a window lives: a dead one is forgotten.
        if (!window) {
            it = names.erase(it);
            continue;
        }
        if (it->second == className && !window->Parent() &&
            (windowName.empty() || window->Caption() == windowName))
            return it->first;
        ++it;
    }
    if (!qApp) return 0;
    const QString wanted = QString::fromStdString(className);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->property(kClassProperty).toString() != wanted) continue;
        if (!windowName.empty() && w->windowTitle() != QString::fromStdString(windowName)) continue;
        return ForeignHandle(w);
    }
    return 0;
}

bool SendForeignMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    auto it = ForeignWindows().find(wnd);
    if (it == ForeignWindows().end() || !it->second) return false;
    qintptr r = 0;
    const bool called = QMetaObject::invokeMethod(
        it->second.data(), "platMessage", Qt::DirectConnection, Q_RETURN_ARG(qintptr, r),
        Q_ARG(uint, msg), Q_ARG(qintptr, static_cast<qintptr>(wParam)),
        Q_ARG(qintptr, static_cast<qintptr>(lParam)));
    result = called ? static_cast<LRESULT>(r) : 0;
    return true;
}

}  // namespace plat
