#pragma once

#include "core/Editor.h"
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vortan {

class SurfaceWidget;

// The editor's one window: lays out the controls, forwards events to the Editor
// and mirrors its Controls and surfaces.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(Editor& editor);

    // Controls by their names in the editor's design, for tests.
    QPushButton* Command1; // Help
    QPushButton* Command2; // New
    QPushButton* Command3; // Random
    QPushButton* Command4; // Level -> Map
    QPushButton* Command5; // Load
    QPushButton* Command6; // Export
    QPushButton* Command7; // Options
    QPushButton* saveLevel;
    QFrame* Frame1;
    QLabel* rValue;
    QLabel* gValue;
    QLabel* bValue;
    QComboBox* Combo1;
    QRadioButton* vPort[3];
    QCheckBox* zoomEnabled;
    SurfaceWidget* viewPort;
    SurfaceWidget* thumbNail;
    SurfaceWidget* Thumb;
    SurfaceWidget* Brush;
    SurfaceWidget* mapBrush;

    // The window's outer size as the layout rule reads it (frame included when known).
    QSize outerSize() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void syncControls();
    void showSurface(ShownSurface which);
    QPushButton* addButton(const char* caption, int y, const char* tooltip);
    QLabel* addValueLabel(int x, QColor background, const char* tooltip);

    Editor& editor_;
    bool repaintQueued_ = false;
};

} // namespace vortan
