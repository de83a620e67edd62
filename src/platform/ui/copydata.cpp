#include "platform/ui/copydata.h"

#include <map>

#include "platform/ui/controls.h"

namespace plat {

namespace {

std::map<HWND, std::string>& ClassNames() {
    static std::map<HWND, std::string> names;
    return names;
}

}  // namespace

void SetWindowClassName(TWinControl* window, const std::string& className) {
    if (!window) return;
    if (className.empty())
        ClassNames().erase(window->Handle());
    else
        ClassNames()[window->Handle()] = className;
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
    return 0;
}

}  // namespace plat
