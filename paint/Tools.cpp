#include "paint/Tools.h"
#include "paint/BrushTool.h"
#include "paint/FillTool.h"
#include "paint/PixelTool.h"

namespace vortan {

bool anyModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

ToolBox::ToolBox() {
    // Zoomed, the pixel editor takes everything; otherwise Shift, Ctrl or Alt turn a
    // press into a fill or a pick, and a plain press paints or erases.
    add<PixelTool>();
    add<FillTool>();
    add<PickTool>();
    add<BrushTool>();
    add<EraserTool>();
}

Tool* ToolBox::forPress(const Pointer& p) const {
    for (const auto& t : tools_)
        if (t->takesPress(p)) return t.get();
    return nullptr;
}

Tool* ToolBox::forDrag(const Pointer& p) const {
    for (const auto& t : tools_)
        if (t->takesDrag(p)) return t.get();
    return nullptr;
}

Tool* ToolBox::forHover(const Pointer& p) const {
    for (const auto& t : tools_)
        if (t->hovers(p)) return t.get();
    return nullptr;
}

void ToolBox::release() {
    for (const auto& t : tools_)
        t->release();
}

} // namespace vortan
