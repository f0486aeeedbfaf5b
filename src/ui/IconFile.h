#pragma once
// The bytes of an .ico file for an icon, written by our own encoder: one
// 32-bit image with its transparency mask. Every byte is set, so the same
// icon always gives the same file (a report stream that holds it included).
#include <string>

class TIcon;

// Empty for an empty icon.
std::string iconFileBytes(const TIcon& Icon);
