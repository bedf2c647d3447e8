#include "app/RecoveryService.h"
#include "view/View.h"

namespace vortan {

RecoveryService::RecoveryService(UserDialogs& ui, const LevelDocument& level, const View& view,
                                 std::function<bool()> busy,
                                 std::function<void(const RecoveredLevel&)> recover)
    : ui_(ui), level_(level), view_(view), busy_(std::move(busy)), recover_(std::move(recover)) {
    const auto changed = [this] { ++changes_; };
    connect(&level, &LevelDocument::areaChanged, this, changed);
    connect(&level, &LevelDocument::sizeChanged, this, changed);
    connect(&level, &LevelDocument::nameChanged, this, changed);
    connect(&timer_, &QTimer::timeout, this, &RecoveryService::writeCopy);
}

RecoveryService::~RecoveryService() {
    finishCopy();
}

void RecoveryService::setFolder(const QString& folder) {
    finishCopy();
    folder_ = folder.isEmpty() ? nullptr : std::make_unique<RecoveryFolder>(folder);
}

void RecoveryService::start() {
    // A shorter interval for tests that crash the editor on purpose.
    const int seconds = qEnvironmentVariableIntValue("VORTAN_RECOVERY_SECONDS");
    timer_.setInterval(1000 * (seconds > 0 ? seconds : 60));
    timer_.start();
}

void RecoveryService::writeCopy() {
    // The last copy is still being written: the next round takes this one.
    if (!folder_ || folder_->copying()) return;
    finishCopy();
    tellTrouble();
    if (!level_.isModified() || changes_ == copiedChanges_) return;
    // The pictures are shared, not copied, here: a change after this moment copies a
    // layer on the window's thread while the copy is written on a thread of its own.
    const RecoveredLevel copy{level_.colourLayer().image(),
                              level_.materialMap().image(),
                              level_.name(),
                              QDateTime::currentDateTime(),
                              view_.offset(),
                              int(view_.shown()),
                              view_.zoomed()};
    copiedChanges_ = changes_;
    QString why;
    if (folder_->startCopy(copy, &why)) return;
    trouble_ = why;
    copiedChanges_ = 0; // tried again at the next round
    tellTrouble();
}

void RecoveryService::finishCopy() {
    if (const QString why = folder_ ? folder_->finishCopy() : QString(); !why.isEmpty()) {
        trouble_ = why;
        copiedChanges_ = 0;
    }
}

void RecoveryService::tellTrouble() {
    // Once a run, and never into a command or a stroke.
    if (trouble_.isEmpty() || told_ || busy_()) return;
    told_ = true;
    ui_.message("Unsaved work... ",
                "No copy of your unsaved work can be kept in case the editor ends unexpectedly.\n\r" +
                    trouble_,
                MsgButtons::OK, MsgIcon::Exclamation);
}

void RecoveryService::forget() {
    finishCopy();
    if (folder_) folder_->forgetOwn();
    copiedChanges_ = changes_;
}

void RecoveryService::offer() {
    if (!folder_) return;
    QStringList unreadable;
    auto left = folder_->leftBehind(&unreadable);
    const auto cannotRead = [&](const QString& why) {
        ui_.message("Unsaved work... ", "A copy of unsaved work could not be read.\n\r" + why, MsgButtons::OK,
                    MsgIcon::Exclamation);
    };
    if (!unreadable.isEmpty()) cannotRead(unreadable.join("\n\r"));
    for (std::size_t i = 0; i < left.size(); ++i) {
        const auto& [copy, about] = left[i];
        const QString when = about.taken.toString("yyyy-MM-dd hh:mm");
        if (ui_.message("Unsaved work... ",
                        QString("Recover the unsaved level '%1' from %2?").arg(about.name, when),
                        MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes) {
            folder_->remove(copy);
            continue;
        }
        for (std::size_t j = i + 1; j < left.size(); ++j)
            folder_->release(left[j].first); // for a later start
        QString why;
        const std::optional<RecoveredLevel> level = copy.read(&why);
        if (!level) {
            folder_->release(copy);
            cannotRead(why);
            return;
        }
        folder_->takeOver(copy);
        recover_(*level);
        return;
    }
}

} // namespace vortan
