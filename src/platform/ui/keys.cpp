#include "platform/ui/keys.h"

#include <strings.h>

#include <vector>

#include "platform/ui/qt_bridge.h"

namespace plat {

TShortCut ShortCut(uint16_t key, TShiftState shift) {
    if (key & 0xFF00) return scNone;
    TShortCut sc = key;
    if (shift.Contains(ssShift)) sc |= scShift;
    if (shift.Contains(ssCtrl)) sc |= scCtrl;
    if (shift.Contains(ssAlt)) sc |= scAlt;
    return sc;
}

void ShortCutToKey(TShortCut sc, uint16_t& key, TShiftState& shift) {
    key = sc & 0xFF;
    shift = {};
    if (sc & scShift) shift.Include(ssShift);
    if (sc & scCtrl) shift.Include(ssCtrl);
    if (sc & scAlt) shift.Include(ssAlt);
}

namespace {
struct KeyName {
    uint16_t vk;
    const char* name;
};
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},   {VK_TAB, "Tab"},    {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},   {VK_LEFT, "Left"},  {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},   {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

std::string KeyName(uint16_t vk) {
    for (auto& k : kKeyNames)
        if (k.vk == vk) return k.name;
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, (char)vk);
    if (vk >= VK_F1 && vk <= VK_F12) return "F" + std::to_string(vk - VK_F1 + 1);
    return "";
}
}  // namespace

std::string ShortCutToText(TShortCut sc) {
    std::string name = KeyName(sc & 0xFF);
    if (name.empty()) return "";
    std::string out;
    if (sc & scShift) out += "Shift+";
    if (sc & scCtrl) out += "Ctrl+";
    if (sc & scAlt) out += "Alt+";
    return out + name;
}

TShortCut TextToShortCut(const std::string& text) {
    TShortCut shift = 0;
    std::string rest = text;
    static const std::pair<const char*, TShortCut> kMods[] = {
        {"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
    for (bool found = true; found;) {
        found = false;
        for (auto& [m, bit] : kMods) {
            size_t n = strlen(m);
            if (rest.size() > n && strncasecmp(rest.c_str(), m, n) == 0) {
                shift |= bit;
                rest = rest.substr(n);
                found = true;
            }
        }
    }
    for (unsigned vk = 1; vk < 256; ++vk) {
        std::string n = KeyName((uint16_t)vk);
        if (!n.empty() && strcasecmp(n.c_str(), rest.c_str()) == 0) return (TShortCut)(shift | vk);
    }
    return scNone;
}

char32_t KeyChar(uint16_t key, TShiftState shift, char32_t typed) {
    if (shift.Contains(ssAlt) && !shift.Contains(ssCtrl)) return 0;
    switch (key) {
        case VK_RETURN:
            return shift.Contains(ssCtrl) ? 10 : 13;
        case VK_ESCAPE:
            return 27;
        case VK_BACK:
            return shift.Contains(ssCtrl) ? 127 : 8;
        case VK_TAB:
            return 9;
        default:
            break;
    }
    if (shift.Contains(ssCtrl)) {
        if (key >= 'A' && key <= 'Z') return key - 'A' + 1;
        if (key == VK_OEM_4) return 27;
        if (key == VK_OEM_5) return 28;
        if (key == VK_OEM_6) return 29;
        return 0;
    }
    // Other keys give only printable characters (Delete's DEL gives none).
    return typed < 32 || typed == 127 ? 0 : typed;
}

// ---- Qt key mapping ----------------------------------------------------------

namespace {
struct QtVk {
    int qt;
    uint16_t vk;
};
// Keys whose code is not the character itself. Shifted symbols map to the
// key that carries them on the usual keyboard.
constexpr QtVk kQtKeys[] = {
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};
constexpr QtVk kKeypad[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},     {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Slash, VK_DIVIDE},
};
}  // namespace

uint16_t VkFromQtKey(int qtKey, Qt::KeyboardModifiers mods) {
    if (mods & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        for (auto& k : kKeypad)
            if (k.qt == qtKey) return k.vk;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return (uint16_t)qtKey;
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return (uint16_t)qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return (uint16_t)(VK_F1 + (qtKey - Qt::Key_F1));
    for (auto& k : kQtKeys)
        if (k.qt == qtKey) return k.vk;
    return 0;
}

int QtKeyFromVk(uint16_t vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_F1 && vk <= VK_F1 + 23) return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    for (auto& k : kKeypad)
        if (k.vk == vk) return k.qt;
    for (auto& k : kQtKeys)
        if (k.vk == vk) return k.qt;
    return 0;
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s;
    if (mods & Qt::ShiftModifier) s.Include(ssShift);
    if (mods & Qt::ControlModifier) s.Include(ssCtrl);
    if (mods & Qt::AltModifier) s.Include(ssAlt);
    if (buttons & Qt::LeftButton) s.Include(ssLeft);
    if (buttons & Qt::RightButton) s.Include(ssRight);
    if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

Qt::KeyboardModifiers QtFromShift(TShiftState shift) {
    Qt::KeyboardModifiers m;
    if (shift.Contains(ssShift)) m |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl)) m |= Qt::ControlModifier;
    if (shift.Contains(ssAlt)) m |= Qt::AltModifier;
    return m;
}

}  // namespace plat
