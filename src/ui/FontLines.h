#pragma once
// Where a realised font draws its underline, so text drawn piece by piece
// (the rich-text runs) underlines where the font itself would.
class TDeviceFont;

// Pixels from the base line down to the middle of the underline; at least 1.
int underlineOffset(const TDeviceFont& Font);
