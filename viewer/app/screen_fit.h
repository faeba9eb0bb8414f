// Keeps both programs' windows inside the screen: their designed positions
// are in device-independent pixels, so with a scale factor or on a small
// screen a window placed there would lie partly off-screen, out of reach.
#pragma once

#include <functional>

class QWidget;

namespace kzo {

// Moves a top-level window whose frame sticks out of its screen's available
// area (the screen without panels) back inside it; one that fits stays.
void keepInsideScreen(QWidget& window);

// Calls framed once the window system has framed a window just shown: at once
// when the frame is known already, otherwise at the first move or resize that
// brings it (a window manager adds the frame a moment after the window
// appears). Not at all when the window is hidden first or never gets a frame.
void whenFramed(QWidget& window, std::function<void()> framed);

// keepInsideScreen now, with the frame as far as it is known, and again when
// the window is framed.
void keepInsideScreenOnceFramed(QWidget& window);

} // namespace kzo
