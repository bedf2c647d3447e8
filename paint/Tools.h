#pragma once

#include "paint/Tool.h"

#include <memory>
#include <vector>

namespace vortan {

// Every tool of the viewport, asked in the order they are registered: the first that
// takes a press, a move or a hover gets it. Of the tools the user chooses between, only
// the chosen one is asked; the brush is chosen at first.
class ToolBox {
  public:
    ToolBox();
    Tool* forPress(const Pointer& p) const;
    Tool* forDrag(const Pointer& p) const;
    Tool* forHover(const Pointer& p) const;
    // The stroke ended: every tool forgets it, and a shape is laid in.
    void release(ToolContext& c);

    const QString& chosen() const { return chosen_; }
    // Drops what the tools have under way; false for a name no tool has.
    bool choose(const QString& name);
    // The tools the user chooses between, in order, each once.
    std::vector<ToolChoice> choices() const;
    // The tool a key chooses, or an empty name.
    QString forKey(int key, bool shifted) const;
    // The first tool of this class.
    template <typename T> T* find() const {
        for (const auto& t : tools_)
            if (auto* found = dynamic_cast<T*>(t.get())) return found;
        return nullptr;
    }

  private:
    template <typename T> void add() { tools_.push_back(std::make_unique<T>()); }
    bool asked(const Tool& t) const;
    std::vector<std::unique_ptr<Tool>> tools_;
    QString chosen_ = kBrushTool;
};

} // namespace vortan
