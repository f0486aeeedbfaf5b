#pragma once
// One xBase field as the dataset classes see it: its descriptors, and the
// conversion between its text in the record buffer and the native values of
// GetField/PutField (null-terminated text, day count, 16-bit Boolean and
// integer, 64-bit float).
#include <cstdint>

#include "data/Dbi.h"
#include "xbase/DbiWorkArea.h"

// Logical and physical descriptor of a field; both types fldINVALID for an
// unknown type letter.
void describeField(const TGlueField& Field, uint16_t FieldNo, FLDDesc& Logical, FLDDesc& Physical);

// How dates are written when the engine shows two-digit years: the year is
// moved into the century window that begins at Epoch.
struct TDateWindow {
    bool FourDigitYears = true;
    int Epoch = 1900;
};

// Reads a non-blob field from the record buffer. Returns true when the field
// holds only blanks (or text that is no value of its type), and then leaves
// Dest untouched; Dest null makes it a blank test only.
bool readFieldValue(const TGlueField& Field, uint16_t LogicalType, const uint8_t* RecBuf, void* Dest);

// Writes a native value (Src null: a blank value) into the field's bytes of
// the record buffer. DBIERR_FLDTOOWIDE, with the buffer untouched, when the
// value does not fit the field.
DBIResult writeFieldValue(const TGlueField& Field, uint16_t LogicalType, uint8_t* RecBuf, const void* Src,
                          const TDateWindow& Window);
