// Collecting the colours of the level image or the thumbnail into the lookup table.
#include "core/Editor.h"

namespace vortan {

void Editor::fillClut(ClutSource source) {
    const bool level = source == ClutSource::LevelImage;
    const int limit = level ? 192 : 128;
    for (int y = 0;; ++y) {
        // Looked up anew every row: the level may have changed during the last yield.
        const PictureSurface& s = level ? Level[0] : thumbNail;
        if (y >= s.ScaleHeight()) break;
        const bool full = clut.addRow(s, y, limit);
        const float rowStep = 10000.0f / float(s.ScaleHeight());
        if (level) displayPercent(rowStep);
        yield();
        if (full) {
            // The rows left unscanned count as done, so that the export still ends at 100%.
            if (level) displayPercent(rowStep * float(s.ScaleHeight() - 1 - y));
            break;
        }
    }
    if (level && clut.count >= limit)
        ui_.message(" WARNING! ",
                    " To many colors! (" + QString::number(clut.count) +
                        ") Try to keep below 192. \n\r Your level may look strange. ",
                    MsgButtons::OK, MsgIcon::Critical);
}

} // namespace vortan
