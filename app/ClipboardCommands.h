#pragma once

#include "paint/SelectionTool.h"

#include <QByteArray>

namespace vortan {

class Editor;
class ViewportInput;

// Ctrl+C, Ctrl+X, Ctrl+V and Delete on the selected level pixels. A copy keeps both
// layers and puts the colour layer on the system clipboard as a picture; a picture
// another program put there since pastes as colour, with the map Level -> Map would
// make of it.
class ClipboardCommands {
  public:
    ClipboardCommands(Editor& editor, ViewportInput& input) : e_(editor), input_(input) {}

    void copy();
    // Copies, then clears the selection as one step.
    void cut();
    // The selection black in the colour layer and nothing in the map, as one step.
    void clear(const QString& stepName = "Delete");
    // The last copy floats under the pointer until a click lays it in or Escape drops it.
    void paste();

  private:
    // What Ctrl+V pastes: a picture from another program, or the last copy.
    LevelPiece pasted() const;

    Editor& e_;
    ViewportInput& input_;
    LevelPiece copied_;
    // Marks the clipboard's picture as this editor's last copy.
    QByteArray mark_;
};

// A picture from elsewhere as a piece of level: its colours over black, and wall
// wherever it is not black.
LevelPiece pieceOfPicture(const QImage& picture);

} // namespace vortan
