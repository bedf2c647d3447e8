#include "files/PictureFiles.h"

#include "files/BmpFormat.h"
#include "files/FileSet.h"
#include "files/GifFormat.h"
#include "files/PictureFormat.h"
#include "files/PngFormat.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vortan {

using namespace format;

namespace {

// Opens the file by the name for reading when it is a plain file. Opened without
// waiting, and looked at through the same handle: a pipe or a device by the name would
// otherwise block the editor or never end.
bool openPlainFile(const QString& path, QFile& file, QString& why) {
    auto refuse = [&](const QString& reason) {
        why = reason;
        return false;
    };
    const QString folder = QStringLiteral("The picture's name is a folder.");
    const QString cannotOpen = QStringLiteral("The picture file cannot be opened.");
    const QFileInfo info(path);
    if (!info.exists()) return refuse(QStringLiteral("The picture file does not exist."));
    if (info.isDir()) return refuse(folder);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(cannotOpen);
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (!statted) return refuse(cannotOpen);
        if (S_ISDIR(st.st_mode)) return refuse(folder);
        return refuse(QStringLiteral("The picture's name is not an ordinary file."));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(cannotOpen);
    }
    return true;
}

} // namespace

std::optional<QImage> loadPicture(const QString& path, QString* error) {
    QString why;
    auto result = [&]() -> std::optional<QImage> {
        if (path.isEmpty()) return QImage();
        QFile file;
        if (!openPlainFile(path, file, why)) return std::nullopt;
        // The contents decide the kind, not the name.
        const QByteArray start = file.peek(8);
        if (start.isEmpty()) return failure(why, QStringLiteral("The picture file is empty."));
        if (looksLikeBmp(start)) return readBmp(file, why);
        if (looksLikeGif(start)) return readGif(file, why);
        if (looksLikePng(start)) return readPng(file, why);
        return failure(why, QStringLiteral("The file is not a BMP, GIF or PNG picture."));
    }();
    if (!result && error) *error = why;
    return result;
}

bool savePicture(const Picture& p, const QString& path) {
    FileSet set;
    QFile* file = set.add(path);
    return file && writeBmp(p.image(), *file) && set.commit();
}

} // namespace vortan
