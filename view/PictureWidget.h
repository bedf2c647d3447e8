#pragma once

#include "core/Picture.h"

#include <QTimer>
#include <QWidget>

namespace vortan {

// A picture box on screen: a two-pixel sunken frame around a picture's pixels. Its
// geometry is the outer size; the picture's (0, 0) sits inside the frame.
class PictureWidget : public QWidget {
    Q_OBJECT
  public:
    // picture: what it shows; none for a widget that paints its own pixels.
    PictureWidget(const Picture* picture, QWidget* parent);
    // Repaints a rectangle given in the picture's pixels, or all of it when it is empty.
    void showChange(const QRect& area);

  signals:
    // Positions in the picture's pixels; the frame lies outside them.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at);
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at);
    // A button went up; stillHeld are those still down.
    void mouseReleased(Qt::MouseButtons stillHeld);
    void wheelTurned(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF at);
    void keyPressed(int key, Qt::KeyboardModifiers modifiers);
    // A key went up; its repeats are not told. Losing the keys lets Space go.
    void keyReleased(int key);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    // Paints the frame when the area reaches it; the area inside it, in pixels.
    QRect paintFrame(QPainter& p, const QRect& area);

  private:
    const Picture* picture_;
};

class LevelDocument;
class View;

// The viewport on screen: the view of the level, painted from the shown layer at the
// view's scale whenever the window needs it, with the tool's preview over it. Zoomed
// out, it makes the view's reduced copies in short slices between the window's other
// work and paints itself again once they are ready.
class ViewportWidget : public PictureWidget {
    Q_OBJECT
  public:
    ViewportWidget(const View& view, const LevelDocument& level, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void makeReducedCopies();

    const View& view_;
    const LevelDocument& level_;
    QTimer making_;
};

} // namespace vortan

namespace vortan {

// The navigator on screen: the whole level in small, the viewport's area marked on it.
class NavigatorWidget : public PictureWidget {
    Q_OBJECT
  public:
    NavigatorWidget(const View& view, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const View& view_;
};

} // namespace vortan
