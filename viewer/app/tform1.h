// The viewer's main form: the mesh as a turning wireframe on black. Every
// handler works on the Qt-free view state; a paint draws the whole frame off
// screen with DrawWireframe and copies it to the window in one piece.
#pragma once

#include "viewer/raster_image.h"
#include "viewer/view_session.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

namespace kzoview {

// Interval of Timer1: the message timer of the platform the viewer was made
// for fired at most every 16 ms however short the interval asked for, and the
// idle spin's speed follows from that.
inline constexpr int kTimer1IntervalMs = 16;

class TForm1 : public QWidget {
public:
    // The form shows the session, which must outlive it, under the caption.
    TForm1(ViewSession& session, const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitOuterSize();

    ViewSession& session_;
    ViewState& view_;
    QElapsedTimer sinceTick_;
    RasterImage image_; // kept between paints only to reuse its memory
    QTimer timer1_;
    bool outerSizeFitted_ = false;
};

} // namespace kzoview
