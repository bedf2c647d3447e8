#pragma once

#include <QtGlobal>

namespace vortan {

// The memory this process may use: the smaller of the machine's memory and the limit of
// its control group (a container's), in bytes.
qint64 availableMemory();

// The largest level, in pixels, that fits in that much memory: its two layers and one more
// layer-sized picture (a loaded background, a layer being copied) beside the history's
// limit, never more than the pictures the editor reads.
qint64 largestLevel(qint64 memory, qint64 historyLimit);

} // namespace vortan
