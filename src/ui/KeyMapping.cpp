#include "ui/KeyMapping.h"

namespace {

struct KeyPair {
    int qt;
    Word vk;
};

// The first pair of a virtual key is the one a changed key is sent back as.
const KeyPair keyTable[] = {
    {Qt::Key_Backspace, VK_BACK},      {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},         {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},        {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},     {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},         {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_Escape, VK_ESCAPE},       {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},        {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},             {Qt::Key_Home, VK_HOME},
    {Qt::Key_Left, VK_LEFT},           {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},         {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},      {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},       {Qt::Key_Help, VK_HELP},
    {Qt::Key_Menu, VK_APPS},           {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},   {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},         {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},       {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},      {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},{Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},  {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},      {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},     {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},           {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},      {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},                 {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},             {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},        {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},           {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

}  // namespace

Word qtKeyToVK(int key, Qt::KeyboardModifiers mods) {
    if (mods & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return Word(VK_NUMPAD0 + (key - Qt::Key_0));
        switch (key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return Word(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return Word(VK_F1 + (key - Qt::Key_F1));
    for (const KeyPair& p : keyTable)
        if (p.qt == key) return p.vk;
    return 0;
}

std::pair<int, bool> vkToQtKey(Word vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return {vk, false};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return {Qt::Key_0 + (vk - VK_NUMPAD0), true};
    if (vk >= VK_F1 && vk <= VK_F1 + 23) return {Qt::Key_F1 + (vk - VK_F1), false};
    switch (vk) {
    case VK_MULTIPLY: return {Qt::Key_Asterisk, true};
    case VK_ADD: return {Qt::Key_Plus, true};
    case VK_SUBTRACT: return {Qt::Key_Minus, true};
    case VK_DECIMAL: return {Qt::Key_Period, true};
    case VK_DIVIDE: return {Qt::Key_Slash, true};
    default: break;
    }
    for (const KeyPair& p : keyTable)
        if (p.vk == vk) return {p.qt, false};
    return {0, false};
}

Qt::KeyboardModifiers qtModifiers(TShiftState shift, bool keypad) {
    Qt::KeyboardModifiers mods;
    if (shift.Contains(ssShift)) mods |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl)) mods |= Qt::ControlModifier;
    if (shift.Contains(ssAlt)) mods |= Qt::AltModifier;
    if (keypad) mods |= Qt::KeypadModifier;
    return mods;
}

TShiftState shiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    TShiftState s;
    if (mods & Qt::ShiftModifier) s.Include(ssShift);
    if (mods & Qt::ControlModifier) s.Include(ssCtrl);
    if (mods & Qt::AltModifier) s.Include(ssAlt);
    if (buttons & Qt::LeftButton) s.Include(ssLeft);
    if (buttons & Qt::RightButton) s.Include(ssRight);
    if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

char charOfKey(Word vk, TShiftState shift) {
    bool shifted = shift.Contains(ssShift);
    if (shift.Contains(ssCtrl)) {
        if (vk >= 'A' && vk <= 'Z') return char(vk - 'A' + 1);
        return 0;
    }
    if (vk >= 'A' && vk <= 'Z') return shifted ? char(vk) : char(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return shifted ? ")!@#$%^&*("[vk - '0'] : char(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return char('0' + vk - VK_NUMPAD0);
    struct OemChar {
        Word vk;
        char plain, withShift;
    };
    static const OemChar oem[] = {
        {VK_SPACE, ' ', ' '},      {VK_RETURN, '\r', '\r'},    {VK_BACK, '\b', '\b'},
        {VK_ESCAPE, '\x1b', '\x1b'}, {VK_TAB, '\t', '\t'},    {VK_OEM_1, ';', ':'},
        {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},  {VK_OEM_MINUS, '-', '_'},
        {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},      {VK_OEM_3, '`', '~'},
        {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},
        {VK_OEM_7, '\'', '"'},     {VK_MULTIPLY, '*', '*'},   {VK_ADD, '+', '+'},
        {VK_SUBTRACT, '-', '-'},   {VK_DECIMAL, '.', '.'},    {VK_DIVIDE, '/', '/'},
    };
    for (const OemChar& o : oem)
        if (o.vk == vk) return shifted ? o.withShift : o.plain;
    return 0;
}

Word keyOfChar(char c, TShiftState& shift) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return Word(u - 'a' + 'A');
    if (u >= 'A' && u <= 'Z') {
        shift.Include(ssShift);
        return Word(u);
    }
    if (u >= 1 && u <= 26 && c != '\r' && c != '\b' && c != '\t') {
        shift.Include(ssCtrl);
        return Word('A' + u - 1);
    }
    for (Word vk = 0; vk < 0xFF; ++vk) {
        if (charOfKey(vk, {}) == c) return vk;
        if (charOfKey(vk, {ssShift}) == c) {
            shift.Include(ssShift);
            return vk;
        }
    }
    return 0;
}
