#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>
#include <optional>

namespace vortan {

// A copy of unsaved work, kept while the editor runs so that a crash or a power cut
// loses little: both layers, the level's name and its view, written all or nothing into
// a folder of the user's data.
struct RecoveredLevel {
    QImage colour, map;
    QString name;
    QDateTime taken;
    QPoint offset; // the viewport's top-left level pixel
    int shown = 0; // the view: Level 0, Map 1, Thumbnail 2
    bool zoomed = false;
};

class RecoveryCopy {
  public:
    explicit RecoveryCopy(QString folder) : folder_(std::move(folder)) {}

    // Safe on any thread: the level's pictures come as copies of their own.
    bool write(const RecoveredLevel& level) const;
    // Nothing when there is no whole copy.
    std::optional<RecoveredLevel> read() const;
    bool exists() const;
    void remove() const;

  private:
    QString file(const char* name) const;
    QString folder_;
};

} // namespace vortan
