#pragma once

#include "core/LevelDocument.h"
#include "dialogs/UserDialogs.h"
#include "files/RecoveryFolder.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace vortan {

class View;

// The editor's copy of unsaved work: while the level has changes made since the last
// copy, the name, the view and the 64 x 64 tiles of both layers changed since are written
// in the background at every round of a timer. The copy follows the level's own signals.
// The window's thread copies the tiles a handful at a time, between the events it
// handles; a tile changed again before the last is copied is copied again, so that the
// copy holds the level as it was at one moment. At start, copies that ended editors left
// behind are offered, newest first.
class RecoveryService : public QObject {
    Q_OBJECT
  public:
    // busy: a command runs or a button is held, so no message may come now. recover:
    // puts a recovered level into the editor.
    RecoveryService(UserDialogs& ui, const LevelDocument& level, const View& view, std::function<bool()> busy,
                    std::function<void(const RecoveredLevel&)> recover);
    ~RecoveryService() override;

    // Where the copies live, each editor's in a folder of its own; empty keeps none.
    void setFolder(const QString& folder);
    // The rounds begin: every 60 seconds, or VORTAN_RECOVERY_SECONDS.
    void start();
    // Asks whether to bring back a copy an ended editor left; copies that cannot be read
    // are told of once and kept aside.
    void offer();
    // One round: a copy begins when there is unsaved work not copied yet. A copy that
    // cannot be written is told of once and tried again at the next round.
    void writeCopy();
    // Copies what is left of the copy begun, and waits for it to be written.
    void finishCopy();
    // The work was saved or let go: nothing to recover.
    void forget();

  private:
    void tellTrouble();
    // The level's tiles within `area` changed.
    void changed(const QRect& area);
    // A new size: the next copy holds every tile.
    void resized();
    // Gives the writer the next tiles of the copy begun, waiting for room when asked to;
    // the copy ends when none is left.
    void copySome(bool wait = false);
    // The copy begun is let go; the one written last stays.
    void dropCopy();

    UserDialogs& ui_;
    const LevelDocument& level_;
    const View& view_;
    std::function<bool()> busy_;
    std::function<void(const RecoveredLevel&)> recover_;
    std::unique_ptr<RecoveryFolder> folder_;
    QTimer timer_, slices_;
    // Every change of the level counts; the count at the last copy.
    quint64 changes_ = 0, copiedChanges_ = 0;
    // Each tile of the level: as copied last, changed since, or waiting to be copied.
    enum class Tile : quint8 { Copied, Changed, Waiting };
    QSize size_;
    std::vector<Tile> tiles_;
    std::vector<int> waiting_;
    bool copying_ = false; // tiles of a copy are being given to the writer
    bool whole_ = true;    // the next copy holds every tile
    QString trouble_;
    bool told_ = false;
};

} // namespace vortan
