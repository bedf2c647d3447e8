#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace vortan {

// A set of files in one folder that replaces its older versions all at once (a saved
// level's three pictures, the game's three level files, a recovery copy).
//
// Each new file is written in full to a temporary file beside its target, named after
// it with the writer's process id and a tag of the set. Only when every one is complete
// and on the disk does the set give each old file a second name (for undoing), write a
// journal beside the set that names the moves, and rename the new files over their
// targets: every name holds a whole file at every moment. A writer that dies on the way
// leaves its temporaries, maybe a journal; settle() finishes the set when the journal is
// complete, and otherwise only removes the leftovers, since nothing was moved yet. So a
// set always reads back whole old or whole new.
//
// Temporary files are unbuffered: a buffered file can lose a short write in its last
// flush (a full disk) without telling the writer.
class FileSet {
  public:
    FileSet();
    ~FileSet(); // an uncommitted set removes its temporary files
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // The temporary file that will become `target`, open for writing; nullptr when it
    // cannot be created (no such folder, the target is a folder, another folder than the
    // set's). The set is then failed.
    QFile* add(const QString& target);
    // Adds a target and writes all of `bytes` to it.
    bool add(const QString& target, const QByteArray& bytes);
    // Moves every new file into place. False, with the old files as they were, when any
    // write or move failed.
    bool commit();
    // The first thing that went wrong, naming its file: "/levels/castle.map.bmp: No space
    // left on device". Empty when nothing did.
    QString failure() const;

    // Before a set in the folder of `path` is read or written: finishes or undoes what
    // writers that have ended left there, and removes their temporary files. False, with
    // *why, when an unfinished set cannot be finished; it stays for a later try.
    static bool settle(const QString& path, QString* why = nullptr);

    // For tests: runs before every step that changes the folder (creating, linking,
    // renaming or removing a file). False makes that step fail as a failing disk would.
    static inline bool (*beforeStep)() = nullptr;

  private:
    struct Member {
        QString target;
        QString temporary;
        std::unique_ptr<QFile> file;
        bool hadOld = false; // the target existed, and has a second name while moving
    };
    void fail(const QString& target, const QString& reason);
    void removeLeftovers();

    QString folder_, tag_;
    std::vector<Member> members_;
    QString failure_;
    bool failed_ = false;
    bool done_ = false; // commit ran: a set commits once
};

// Writes all bytes or reports failure.
bool writeAll(QIODevice& file, const char* data, qint64 size);
// One file replaced whole, or left as it was.
bool replaceFile(const QString& path, const QByteArray& bytes);

} // namespace vortan
