#pragma once

#include "dialogs/UserDialogs.h"
#include "paint/Brush.h"

#include <optional>

namespace vortan {

// A left click on the brush picture: the colour dialog opens on what the brush paints
// now, in the Level view its colour, otherwise its material, to which a chosen colour
// snaps. A cancel changes nothing. True when the brush took a colour.
bool chooseBrushColour(Brush& brush, bool levelView, SharedDialog& dialog, UserDialogs& ask);
// A right click: a brush picture from a file. Nothing when the user cancelled or the
// picture cannot be read; false when the name chosen is no file; true when the brush
// took the picture.
std::optional<bool> loadBrushPicture(Brush& brush, SharedDialog& dialog, UserDialogs& ask,
                                     const QString& brushFolder);

} // namespace vortan
