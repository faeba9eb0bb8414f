// Keeps the forms inside the screen: their designed positions are in
// device-independent pixels, so with a scale factor or on a small screen a
// form placed there would lie partly off-screen, out of reach.
#pragma once

class QWidget;

namespace kzo {

// Moves a top-level window whose frame sticks out of its screen's available
// area (the screen without panels) back inside it; one that fits stays.
void keepInsideScreen(QWidget& window);

// keepInsideScreen now and once more at the next pass of the event loop: the
// window system reports the frame's size only after the window is shown.
void keepInsideScreenOnceFramed(QWidget& window);

} // namespace kzo
