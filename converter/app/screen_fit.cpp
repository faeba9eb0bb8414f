#include "converter/app/screen_fit.h"

#include "format/screen_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace kzo {

void keepInsideScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect frame = window.frameGeometry();
    const QRect area = screen->availableGeometry();
    const ScreenPoint place = placeInside({frame.x(), frame.y(), frame.width(), frame.height()},
                                          {area.x(), area.y(), area.width(), area.height()});
    if (QPoint(place.x, place.y) != frame.topLeft()) {
        window.move(place.x, place.y);
    }
}

void keepInsideScreenOnceFramed(QWidget& window) {
    keepInsideScreen(window);
    QTimer::singleShot(0, &window, [&window] {
        if (window.isVisible()) {
            keepInsideScreen(window);
        }
    });
}

} // namespace kzo
