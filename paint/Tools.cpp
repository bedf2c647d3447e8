#include "paint/Tools.h"
#include "paint/BrushTool.h"
#include "paint/FillTool.h"
#include "paint/PixelTool.h"
#include "paint/SelectionTool.h"
#include "paint/ShapeTools.h"

namespace vortan {

bool anyModifier(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

ToolBox::ToolBox() {
    // Zoomed, the pixel editor takes everything; otherwise Shift, Ctrl or Alt turn a
    // press into a fill or a pick, and a plain press goes to the chosen tool.
    add<PixelTool>();
    add<FillTool>();
    add<PickTool>();
    add<BrushTool>();
    add<EraserTool>();
    add<LineTool>();
    add<RectangleTool>();
    add<FilledRectangleTool>();
    add<EllipseTool>();
    add<FilledEllipseTool>();
    add<SelectionTool>();
    add<PasteTool>();
}

bool ToolBox::asked(const Tool& t) const {
    const QString name = t.choice().name;
    return name.isEmpty() || name == chosen_;
}

Tool* ToolBox::forPress(const Pointer& p) const {
    for (const auto& t : tools_)
        if (asked(*t) && t->takesPress(p)) return t.get();
    return nullptr;
}

Tool* ToolBox::forDrag(const Pointer& p) const {
    for (const auto& t : tools_)
        if (asked(*t) && t->takesDrag(p)) return t.get();
    return nullptr;
}

Tool* ToolBox::forHover(const Pointer& p) const {
    for (const auto& t : tools_)
        if (asked(*t) && t->hovers(p)) return t.get();
    return nullptr;
}

void ToolBox::release(ToolContext& c) {
    for (const auto& t : tools_)
        t->release(c);
}

bool ToolBox::choose(const QString& name) {
    bool known = false;
    for (const auto& t : tools_)
        known = known || t->choice().name == name;
    if (!known) return false;
    for (const auto& t : tools_)
        t->cancel();
    chosen_ = name;
    return true;
}

std::vector<ToolChoice> ToolBox::choices() const {
    std::vector<ToolChoice> all;
    for (const auto& t : tools_) {
        const ToolChoice c = t->choice();
        if (c.name.isEmpty() || c.key == 0) continue;
        if (std::none_of(all.begin(), all.end(), [&](const ToolChoice& o) { return o.name == c.name; }))
            all.push_back(c);
    }
    return all;
}

QString ToolBox::forKey(int key, bool shifted) const {
    for (const ToolChoice& c : choices())
        if (c.key == key && c.shifted == shifted) return c.name;
    return {};
}

} // namespace vortan
