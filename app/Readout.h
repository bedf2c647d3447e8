#pragma once

#include <QString>

namespace vortan {

class Editor;

// Where the level maker is, in the lines shown below the navigator: the level pixel
// under the pointer, the material of the map there, the brush's radius, the viewport's
// scale, and a mark while the level has unsaved changes.
QString readoutText(const Editor& editor);

} // namespace vortan
