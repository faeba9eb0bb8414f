#include "viewer/app/screen_fit.h"

#include "format/screen_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <utility>

namespace kzo {
namespace {

bool isFramed(const QWidget& window) {
    return window.frameGeometry().size() != window.size();
}

// Lives as a child of the window it watches, until the frame comes or the
// window is hidden.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget& window, std::function<void()> framed)
        : QObject(&window), window_(window), framed_(std::move(framed)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_) {
            const QEvent::Type type = event->type();
            if (type == QEvent::Hide) {
                finish();
            } else if ((type == QEvent::Move || type == QEvent::Resize) && isFramed(window_)) {
                // Called after this event is done, so that moving the window
                // does not happen inside its own move.
                QMetaObject::invokeMethod(&window_, std::move(framed_), Qt::QueuedConnection);
                finish();
            }
        }
        return false;
    }

private:
    void finish() {
        window_.removeEventFilter(this);
        deleteLater();
    }

    QWidget& window_;
    std::function<void()> framed_;
};

} // namespace

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

void whenFramed(QWidget& window, std::function<void()> framed) {
    if (isFramed(window)) {
        framed();
    } else {
        new FrameWatch(window, std::move(framed));
    }
}

void keepInsideScreenOnceFramed(QWidget& window) {
    keepInsideScreen(window);
    whenFramed(window, [&window] { keepInsideScreen(window); });
}

} // namespace kzo
