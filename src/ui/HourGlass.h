#pragma once
// THourGlass: the hourglass cursor over every window for the lifetime of one
// object, however the work under it ends. The cursor it found comes back on
// destruction, so an hourglass inside another leaves the outer one showing.
#include "ui/Application.h"
#include "ui/Controls.h"

class THourGlass {
public:
    THourGlass() : saved_(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }
    ~THourGlass() { Screen->SetCursor(saved_); }
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;

private:
    TCursor saved_;
};
