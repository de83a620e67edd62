// Small value types shared by the window classes: points, rectangles, sets of
// enumeration values and the enumerations every control uses.
#pragma once
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/component/typeinfo.h"
#include "platform/core/exceptions.h"

namespace plat {

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0, cy = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int l, int t, int r, int b) {
    return {l, t, r, b};
}
inline TRect Bounds(int l, int t, int w, int h) {
    return {l, t, l + w, t + h};
}
inline TPoint Point(int x, int y) {
    return {x, y};
}
inline void InflateRect(TRect& r, int dx, int dy) {
    r.Left -= dx;
    r.Top -= dy;
    r.Right += dx;
    r.Bottom += dy;
}
inline void OffsetRect(TRect& r, int dx, int dy) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}
// The overlap of two rectangles; false (and an empty result) when they do not meet.
bool IntersectRect(TRect& out, const TRect& a, const TRect& b);

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
PLAT_ENUM_INFO(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
PLAT_SET(TShiftState, TShiftStateItem)
constexpr TShiftStateItem ssShift = TShiftStateItem::ssShift;
constexpr TShiftStateItem ssAlt = TShiftStateItem::ssAlt;
constexpr TShiftStateItem ssCtrl = TShiftStateItem::ssCtrl;
constexpr TShiftStateItem ssLeft = TShiftStateItem::ssLeft;
constexpr TShiftStateItem ssRight = TShiftStateItem::ssRight;
constexpr TShiftStateItem ssMiddle = TShiftStateItem::ssMiddle;
constexpr TShiftStateItem ssDouble = TShiftStateItem::ssDouble;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
PLAT_ENUM_INFO(TMouseButton, mbLeft, mbRight, mbMiddle)
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
PLAT_ENUM_INFO(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient)
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
PLAT_ENUM_INFO(TAnchorKind, akLeft, akTop, akRight, akBottom)
PLAT_SET(TAnchors, TAnchorKind)
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
PLAT_ENUM_INFO(TAlignment, taLeftJustify, taRightJustify, taCenter)
enum class TLeftRight { taLeftJustify, taRightJustify };
PLAT_ENUM_INFO(TLeftRight, taLeftJustify, taRightJustify)
enum class TTextLayout { tlTop, tlCenter, tlBottom };
PLAT_ENUM_INFO(TTextLayout, tlTop, tlCenter, tlBottom)
enum class TBorderStyle { bsNone, bsSingle };
PLAT_ENUM_INFO(TBorderStyle, bsNone, bsSingle)
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
PLAT_ENUM_INFO(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
enum class TOwnerDrawStateItem {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odComboBoxEdit
};
PLAT_ENUM_INFO(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused,
               odDefault, odComboBoxEdit)
PLAT_SET(TOwnerDrawState, TOwnerDrawStateItem)

// Modal results.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// Cursors: the platform's numbers.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSize = -22, crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9,
                  crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14,
                  crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19,
                  crHelp = -20, crHandPoint = -21, crSizeAll = -22;

// Errors of the window layer.
#define PLAT_UI_EXCEPTION(Name)                                  \
    class Name : public Exception {                              \
      public:                                                    \
        using Exception::Exception;                              \
        const char* ClassName() const override { return #Name; } \
    };
PLAT_UI_EXCEPTION(EInvalidOperation)  // "Cannot focus a disabled or invisible window", ...
PLAT_UI_EXCEPTION(EResNotFound)       // a compiled-in resource that is missing
PLAT_UI_EXCEPTION(EInvalidGraphic)    // an image file that cannot be read
PLAT_UI_EXCEPTION(EMenuError)         // menu item indexes and shortcuts
PLAT_UI_EXCEPTION(EDBEditError)       // a mask edit's text that does not fit its mask
#undef PLAT_UI_EXCEPTION

class TControl;
class TWinControl;
// Event signatures shared by many classes (TNotifyEvent is the components').
using TKeyEvent = Event<TObject*, uint16_t&, TShiftState>;
using TKeyPressEvent = Event<TObject*, char32_t&>;
using TMouseEvent = Event<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = Event<TObject*, TShiftState, int, int>;
using TCanResizeEvent = Event<TObject*, int&, int&, bool&>;

}  // namespace plat
