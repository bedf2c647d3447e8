#pragma once

#include <QSaveFile>
#include <QString>

namespace vortan {

// Every file the editor writes goes to a temporary file beside its target that replaces
// the target only once complete: a failed write never leaves a cut-short file where a
// good one stood. The file is unbuffered because a buffered QSaveFile can lose a short
// write in its last flush (a full disk) and still commit the cut-short file.
bool openForReplace(QSaveFile& file);
// Writes all bytes or reports failure; the caller then drops the file uncommitted.
bool writeAll(QSaveFile& file, const char* data, qint64 size);
// The whole file in one go.
bool replaceFile(const QString& path, const QByteArray& bytes);

} // namespace vortan
