#include "core/SafeFile.h"

namespace vortan {

bool openForReplace(QSaveFile& file) {
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool writeAll(QSaveFile& file, const char* data, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const qint64 n = file.write(data + done, size - done);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

bool replaceFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return openForReplace(file) && writeAll(file, bytes.constData(), bytes.size()) && file.commit();
}

} // namespace vortan
