#pragma once

#include "core/PictureSurface.h"
#include <QWidget>

namespace vortan {

// A picture box on screen: a two-pixel sunken frame around a surface's pixels.
// Geometry is the outer size; the surface's (0, 0) sits inside the frame.
class SurfaceWidget : public QWidget {
    Q_OBJECT
  public:
    SurfaceWidget(const PictureSurface& surface, QWidget* parent);

  signals:
    // The window system needs the pixels again (shown or resized).
    void repaintRequested();
    // Mouse and keys in the editor's codes; positions in the surface's pixels.
    void mousePressed(int16_t button, int16_t shift, float x, float y);
    void mouseMoved(int16_t button, int16_t shift, float x, float y);
    void keyPressed(int16_t keyCode, int16_t shift);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    const PictureSurface& surface_;
};

} // namespace vortan
