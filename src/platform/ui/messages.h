// Window messages of our own: a message number with WParam and LParam, sent
// at once (synchronously) or posted to the event queue. Window handles are
// numbers that name a windowed control while it lives.
#pragma once
#include <cstdint>

namespace plat {

using HWND = intptr_t;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

constexpr UINT WM_NULL = 0x0000, WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007,
               WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D,
               WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_NEXTDLGCTL = 0x0028, WM_COPYDATA = 0x004A,
               WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_COMMAND = 0x0111,
               WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_CUT = 0x0300, WM_COPY = 0x0301,
               WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304, WM_USER = 0x0400;
constexpr UINT EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_SETREADONLY = 0x00CF;
// Control messages of the platform's own.
constexpr UINT CM_BASE = 0xB000, CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1,
               CM_DIALOGKEY = CM_BASE + 5, CM_DIALOGCHAR = CM_BASE + 6, CM_ENTER = CM_BASE + 7,
               CM_EXIT = CM_BASE + 8, CM_RELEASE = CM_BASE + 33, CM_GETDATALINK = CM_BASE + 47;
// Scroll notices (WParam low word).
constexpr UINT SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3, SB_THUMBPOSITION = 4,
               SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7, SB_ENDSCROLL = 8;

class TControl;
class TWinControl;

// Sends at once; an exception of the receiver is handled at the window's
// entry (the silent abort vanishes, others are shown) and the call gives 0.
// An unknown handle gives 0.
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message; it is delivered from the event loop while the window
// lives, and dropped otherwise. Returns false for an unknown handle.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The windowed control a handle names, or null.
TWinControl* FindControl(HWND wnd);
// A control travelling in LParam.
inline LPARAM LParamOf(const TControl* c) {
    return reinterpret_cast<LPARAM>(c);
}
// The control in LParam while it lives; null for anything else.
TControl* ControlOfLParam(LPARAM l);

}  // namespace plat
