#include "viewer/app/tform1.h"

#include "viewer/app/screen_fit.h"

#include "viewer/view_command.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <iostream>
#include <new>

namespace kzoview {

namespace {

// Client pixel of a mouse event: the pixel the pointer is in.
int pixelOf(double coordinate) {
    return static_cast<int>(std::floor(coordinate));
}

} // namespace

TForm1::TForm1(ViewSession& session, const QString& caption)
    : session_(session), view_(session.view) {
    setWindowTitle(caption);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    // Every paint covers the whole client area with the off-screen image.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kFormClientWidth, kFormClientHeight);

    FormCreate(view_);
    timer1_.setInterval(kTimer1IntervalMs);
    sinceTick_.start();
    connect(&timer1_, &QTimer::timeout, this, [this] {
        const bool played = advancePlay(session_, double(sinceTick_.restart()));
        if (Timer1Timer(view_) || played) {
            update();
        }
    });
    timer1_.start();
}

void TForm1::paintEvent(QPaintEvent*) {
    try {
        paintSession(session_, width(), height(), image_);
    } catch (const std::bad_alloc&) {
        // No memory for the off-screen image: skip this paint. paintSession
        // then keeps the pending rotation, which the next paint that
        // succeeds applies once.
        image_ = RasterImage{};
        return;
    }
    const QImage frame(reinterpret_cast<const uchar*>(image_.pixels.data()), image_.width,
                       image_.height, static_cast<qsizetype>(image_.width) * 4,
                       QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, frame);
}

void TForm1::resizeEvent(QResizeEvent*) {
    update();
}

// The platform places the window; with a scale factor, or where the platform
// leaves that to the program, it could start partly off-screen.
void TForm1::showEvent(QShowEvent*) {
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        kzo::keepInsideScreen(*this);
        // The frame's size is known only once the window system has framed it.
        kzo::whenFramed(*this, [this] { fitOuterSize(); });
    }
}

// Makes the outer size 385 x 321 once the window system reports its frame;
// without a frame the client keeps the standard client size.
void TForm1::fitOuterSize() {
    const int frameWidth = frameGeometry().width() - geometry().width();
    const int frameHeight = frameGeometry().height() - geometry().height();
    if (frameWidth > 0 || frameHeight > 0) {
        resize(kFormOuterWidth - frameWidth, kFormOuterHeight - frameHeight);
    }
    kzo::keepInsideScreen(*this);
}

void TForm1::mousePressEvent(QMouseEvent* event) {
    grabMouse();
    FormMouseDown(view_, pixelOf(event->position().x()), pixelOf(event->position().y()));
}

void TForm1::mouseMoveEvent(QMouseEvent* event) {
    if (FormMouseMove(view_, pixelOf(event->position().x()), pixelOf(event->position().y()))) {
        update();
    }
}

void TForm1::mouseReleaseEvent(QMouseEvent*) {
    releaseMouse();
    FormMouseUp(view_);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    ViewKey key;
    switch (event->key()) {
    case Qt::Key_S:
        key = ViewKey::shaded;
        break;
    case Qt::Key_P:
        key = ViewKey::play;
        break;
    case Qt::Key_Space:
        key = ViewKey::pause;
        break;
    case Qt::Key_Right:
        key = ViewKey::nextFrame;
        break;
    case Qt::Key_Left:
        key = ViewKey::previousFrame;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (pressKey(session_, key)) {
        update();
    }
    if (!session_.notice.empty()) {
        std::cerr << "kzoview: " << session_.notice << '\n';
    }
}

} // namespace kzoview
