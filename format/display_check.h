// Whether a window could be opened at all, decided before any window code is
// loaded: without a named window system, Qt would abort the program when it
// starts instead of letting it say why no window opens.
#pragma once

namespace kzo {

// True when the environment names a window system (DISPLAY, WAYLAND_DISPLAY)
// or a Qt platform (QT_QPA_PLATFORM). Only a named one: whether it answers is
// known once Qt tries it. Always true where windows need no such name.
bool displayNamed();

} // namespace kzo
