#pragma once

#include "app/Editor.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMimeData;
class QPushButton;
class QRadioButton;

namespace vortan {

class PictureWidget;
class ToolStrip;

// The editor's one window: lays out the controls, forwards input to the Editor and
// mirrors its controls and pictures.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(Editor& editor);

    // The controls, for tests.
    QPushButton* newButton;
    QPushButton* randomButton;
    QPushButton* loadButton;
    QPushButton* saveButton;
    QPushButton* exportButton;
    QPushButton* levelToMapButton;
    QPushButton* optionsButton;
    QPushButton* helpButton;
    QFrame* toolColumn;
    QLabel* redLabel;
    QLabel* greenLabel;
    QLabel* blueLabel;
    QComboBox* materialList;
    QRadioButton* viewButtons[3]; // Level, Map, Thumbnail
    QCheckBox* zoomBox;
    // The material map over the colours (V).
    QCheckBox* materialsBox;
    // The tools, beside the Zoom box.
    ToolStrip* toolStrip;
    PictureWidget* viewport;
    PictureWidget* thumbnail;
    PictureWidget* navigator;
    PictureWidget* colourBrush;
    PictureWidget* materialBrush;
    // Where the pointer is, below the navigator.
    QLabel* readout;

    // The window's outer size as the layout rule reads it (frame included when known).
    QSize outerSize() const;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The one picture file a drag carries, or empty when the drag is refused.
    QString droppedFile(const QMimeData* data) const;
    void syncControls();
    void syncLabels();
    void showPicture(ShownPicture which, QRect area);
    QPushButton* addButton(const char* caption, int y, const char* tooltip);
    QLabel* addValueLabel(int x, QColor background, const char* tooltip);

    Editor& editor_;
};

} // namespace vortan
