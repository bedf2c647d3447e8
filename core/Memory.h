#pragma once

#include <QtGlobal>

namespace vortan {

// The memory this process may use: the smaller of the machine's memory and the limit of
// its control group (a container's), in bytes.
qint64 availableMemory();

// The largest level, in pixels, that fits in that much memory: its two layers and one more
// layer-sized picture (a picture being read, a layer being copied) beside the history's
// limit, never more than the pictures the editor reads.
qint64 largestLevel(qint64 memory, qint64 historyLimit);

// Gives the memory freed since back to the system: the allocator keeps freed small blocks,
// such as the history's tiles, for itself otherwise.
void returnFreedMemory();

} // namespace vortan
