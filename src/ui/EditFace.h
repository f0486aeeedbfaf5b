#pragma once
// What an edit-based control needs when it draws part of itself: room kept
// free at the edges of its text (for a button inside the edit), and a paint
// of its whole face through a canvas in place of the edit's own look.
#include <functional>

#include "ui/Graphics.h"
#include "ui/StdCtrls.h"

class QWidget;

// The text of Edit stays clear of the given pixels at its edges.
void setEditMargins(TCustomEdit* Edit, int Left, int Top, int Right, int Bottom);
// Runs Paint with Canvas drawing on Target (the control's window, as handed
// to its paintWidget); the canvas is released afterwards.
void PaintThroughCanvas(QWidget* Target, TCanvas* Canvas, const std::function<void()>& Paint);
