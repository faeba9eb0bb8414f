// The turning state of the viewer's form and what its event handlers do to it.
// The handlers are plain functions so the behaviour is testable without a
// window; the form calls them and, when one returns true, redraws at once.
#pragma once

#include "viewer/view_matrix.h"

#include <cstdint>

namespace kzoview {

struct ViewState {
    Matrix3 rotation = kIdentityMatrix; // turn still to be applied at the next paint
    Matrix3 stepX = kIdentityMatrix;    // last step about the window's horizontal axis
    Matrix3 stepY = kIdentityMatrix;    // last step about the window's vertical axis
    std::int32_t dragging = 0;          // a button went down on the form and is still down
    int lastMouseX = 0;                 // client pixels at the previous drag event
    int lastMouseY = 0;
};

// Pixels of the turning step each axis starts with.
inline constexpr int kInitialStepPixels = 10;

// rotation = rotation x stepX x stepY.
void applySteps(ViewState& view);

// Sets both steps to the initial 10 pixels' worth. Draws nothing.
void FormCreate(ViewState& view);
// Starts a drag at (x, y) and stops the turning. Draws nothing.
void FormMouseDown(ViewState& view, int x, int y);
// During a drag: the steps become the movement since the previous event and
// are applied. Returns true when the form must redraw now.
bool FormMouseMove(ViewState& view, int x, int y);
// Ends a drag. Draws nothing.
void FormMouseUp(ViewState& view);
// Between drags: applies the last steps again. Returns true when the form must
// redraw now.
bool Timer1Timer(ViewState& view);

} // namespace kzoview
