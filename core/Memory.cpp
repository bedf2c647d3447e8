#include "core/Memory.h"
#include "core/Picture.h"

#include <QFile>
#include <algorithm>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vortan {

namespace {
// The number in a control group's limit file; "max" (or no file) is no limit.
qint64 groupLimit(const char* path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    bool ok = false;
    const qint64 limit = file.readLine().trimmed().toLongLong(&ok);
    return ok && limit > 0 ? limit : -1;
}
} // namespace

qint64 availableMemory() {
    const qint64 pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    qint64 memory = pages > 0 && pageSize > 0 ? pages * pageSize : INT64_MAX;
    for (const char* limitFile : {"/sys/fs/cgroup/memory.max", "/sys/fs/cgroup/memory/memory.limit_in_bytes"})
        if (const qint64 limit = groupLimit(limitFile); limit > 0) memory = std::min(memory, limit);
    return memory;
}

qint64 largestLevel(qint64 memory, qint64 historyLimit) {
    constexpr qint64 kBytesPerPixel = 3 * 4;
    return std::clamp<qint64>((memory - historyLimit) / kBytesPerPixel, 0, kMaxPicturePixels);
}

void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace vortan
