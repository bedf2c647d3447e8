#pragma once

#include "core/LevelDocument.h"
#include "dialogs/UserDialogs.h"
#include "files/RecoveryCopy.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace vortan {

class View;

// The editor's copy of unsaved work: while the level has changes made since the last
// copy, both layers, the name and the view are written in the background at every round
// of a timer. The copy follows the level's own signals. At start, copies that ended
// editors left behind are offered, newest first.
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
    // One round: a copy when there is unsaved work not copied yet. A copy that cannot be
    // written is told of once and tried again at the next round.
    void writeCopy();
    // Waits for a copy being written.
    void finishCopy();
    // The work was saved or let go: nothing to recover.
    void forget();

  private:
    void tellTrouble();

    UserDialogs& ui_;
    const LevelDocument& level_;
    const View& view_;
    std::function<bool()> busy_;
    std::function<void(const RecoveredLevel&)> recover_;
    std::unique_ptr<RecoveryFolder> folder_;
    QTimer timer_;
    // Every change of the level counts; the count at the last copy.
    quint64 changes_ = 0, copiedChanges_ = 0;
    QString trouble_;
    bool told_ = false;
};

} // namespace vortan
