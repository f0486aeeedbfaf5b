#pragma once
// Inside the visual class library only: the mapping between Qt's keys and
// the Windows virtual keys, shift states and characters the controls speak,
// as a US keyboard gives them.
#include <QtCore/qnamespace.h>

#include <utility>

#include "ui/Controls.h"

// The virtual key of a Qt key (keypad keys by the keypad modifier); 0 for
// keys without one.
Word qtKeyToVK(int key, Qt::KeyboardModifiers mods);
// The Qt key of a virtual key (0 when none) and whether it is a keypad key.
std::pair<int, bool> vkToQtKey(Word vk);
Qt::KeyboardModifiers qtModifiers(TShiftState shift, bool keypad);
TShiftState shiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = {});
// The character a key gives on a US keyboard; 0 for keys without one.
char charOfKey(Word vk, TShiftState shift);
// The key that types a character on a US keyboard; the shift it needs is
// added to shift. 0 for characters no key types.
Word keyOfChar(char c, TShiftState& shift);
