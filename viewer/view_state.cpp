#include "viewer/view_state.h"

namespace kzoview {

void applySteps(ViewState& view) {
    Matrix3 t{};
    MultiplyMatrix(t, view.rotation, view.stepX);
    MultiplyMatrix(view.rotation, t, view.stepY);
}

void FormCreate(ViewState& view) {
    view.stepX = horizontalStep(kInitialStepPixels);
    view.stepY = verticalStep(kInitialStepPixels);
}

void FormMouseDown(ViewState& view, int x, int y) {
    view.dragging = 1;
    view.lastMouseX = x;
    view.lastMouseY = y;
    view.stepX = kIdentityMatrix;
    view.stepY = kIdentityMatrix;
}

bool FormMouseMove(ViewState& view, int x, int y) {
    if (!view.dragging) {
        return false;
    }
    // Widened: the difference of two ints need not fit an int.
    const std::int64_t dx = std::int64_t{view.lastMouseX} - x;
    const std::int64_t dy = std::int64_t{view.lastMouseY} - y;
    view.stepX = horizontalStep(dy);
    view.stepY = verticalStep(dx);
    applySteps(view);
    view.lastMouseX = x;
    view.lastMouseY = y;
    return true;
}

void FormMouseUp(ViewState& view) {
    view.dragging = 0;
}

bool Timer1Timer(ViewState& view) {
    if (view.dragging) {
        return false;
    }
    applySteps(view);
    return true;
}

} // namespace kzoview
