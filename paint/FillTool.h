#pragma once

#include "paint/Tool.h"

namespace vortan {

// Shift, Ctrl or Alt and the left button: each layer fills the region of its own colour
// under the pointer, the colour layer with the brush's colour, the map with its material.
class FillTool : public Tool {
  public:
    QString stepName() const override { return "Fill"; }
    bool takesPress(const Pointer& p) const override;
    bool press(ToolContext& c, const Pointer& p) override;
    bool redrawsView() const override { return true; }
};

// Shift, Ctrl or Alt and the right button: the colour under the pointer becomes the
// brush's colour in the Level view, its material otherwise.
class PickTool : public Tool {
  public:
    QString stepName() const override { return "Pick"; } // changes no pixel: no step is kept
    bool takesPress(const Pointer& p) const override;
    bool press(ToolContext& c, const Pointer& p) override;
};

// The level pixel under an unzoomed pointer.
QPoint levelPixel(const Pointer& p);
// A fill at a level pixel; one off the level (beside a narrow level) fills nothing. An
// unzoomed fill counts as a change even where it meets its own colours.
void fillAt(ToolContext& c, QPoint at, bool countsAlways);
// A pick at a level pixel, from the shown layer; true when the brush took a colour.
bool pickAt(ToolContext& c, QPoint at);

} // namespace vortan
