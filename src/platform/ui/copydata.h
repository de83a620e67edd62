// Top-level windows found by a window class name, and the data record a
// WM_COPYDATA message carries (LParam points at it, WParam is the sender's
// handle). This is how a module's form reaches a window of its host.
#pragma once
#include <cstdint>
#include <string>

#include "platform/ui/messages.h"

namespace plat {

struct TCopyDataStruct {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;  // bytes at lpData
    const void* lpData = nullptr;
};

// Gives a top-level window the class name FindWindow looks it up by; an
// empty name takes it out of the lookup.
void SetWindowClassName(TWinControl* window, const std::string& className);
// The live top-level window of that class (and caption, when windowName is
// not empty); 0 when there is none.
// Windows of another module (the host program) are found through the toolkit
// both share: a top-level widget whose "platWindowClass" property names the
// class, answering messages through its invokable platMessage(uint, qintptr,
// qintptr) -> qintptr.
HWND FindWindow(const std::string& className, const std::string& windowName = "");
// Delivers a message to another module's window found by FindWindow; false
// when the handle is none of those.
bool SendForeignMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace plat
