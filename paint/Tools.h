#pragma once

#include "paint/Tool.h"

#include <memory>
#include <vector>

namespace vortan {

// Every tool of the viewport, asked in the order they are registered: the first that
// takes a press, a move or a hover gets it.
class ToolBox {
  public:
    ToolBox();
    Tool* forPress(const Pointer& p) const;
    Tool* forDrag(const Pointer& p) const;
    Tool* forHover(const Pointer& p) const;
    // The stroke ended: every tool forgets it.
    void release();

  private:
    template <typename T> void add() { tools_.push_back(std::make_unique<T>()); }
    std::vector<std::unique_ptr<Tool>> tools_;
};

} // namespace vortan
