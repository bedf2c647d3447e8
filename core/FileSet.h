#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace vortan {

// A set of files that replaces its older versions all at once (a saved level's three
// pictures, the game's three level files). Each new file is written in full to a
// temporary file beside its target; only when every one is complete do the old files
// move aside and the new ones take their names. Any failure puts the old files back and
// leaves no new or temporary file behind, so a level is never half replaced on disk.
//
// Temporary files are unbuffered: a buffered file can lose a short write in its last
// flush (a full disk) without telling the writer.
class FileSet {
  public:
    FileSet() = default;
    virtual ~FileSet(); // an uncommitted set removes its temporary files
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // The temporary file that will become `target`, open for writing; nullptr when it
    // cannot be created (no such folder, or the target is a folder). The set is then failed.
    QFile* add(const QString& target);
    // Adds a target and writes all of `bytes` to it.
    bool add(const QString& target, const QByteArray& bytes);
    // Moves every new file into place. False, with the old files as they were, when any
    // write or move failed.
    bool commit();

  protected:
    // Renames a file whose new name does not exist. Tests make it fail at a chosen step.
    virtual bool move(const QString& from, const QString& to);

  private:
    struct Member {
        QString target;
        QString temporary;
        QString aside; // where the old file waits while the new one moves in
        std::unique_ptr<QFile> file;
        bool placed = false;
    };
    void rollBack();
    void removeTemporaries();

    std::vector<Member> members_;
    bool failed_ = false;
    bool committed_ = false;
};

// Writes all bytes or reports failure.
bool writeAll(QIODevice& file, const char* data, qint64 size);
// One file replaced whole, or left as it was.
bool replaceFile(const QString& path, const QByteArray& bytes);

} // namespace vortan
