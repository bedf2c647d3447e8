#include "app/RecoveryService.h"
#include "view/View.h"

namespace vortan {

namespace {
// Tiles copied at once on the window's thread: 4 MB at most, a millisecond or two.
constexpr int kTilesAtOnce = 128;
// How soon to look again when the writer has no room for more tiles.
constexpr int kWaitForWriterMs = 5;
} // namespace

RecoveryService::RecoveryService(UserDialogs& ui, const LevelDocument& level, const View& view,
                                 std::function<bool()> busy,
                                 std::function<void(const RecoveredLevel&)> recover)
    : ui_(ui), level_(level), view_(view), busy_(std::move(busy)), recover_(std::move(recover)) {
    resized();
    connect(&level, &LevelDocument::areaChanged, this, &RecoveryService::changed);
    connect(&level, &LevelDocument::sizeChanged, this, [this] {
        ++changes_;
        resized();
    });
    connect(&level, &LevelDocument::nameChanged, this, [this] { ++changes_; });
    connect(&timer_, &QTimer::timeout, this, &RecoveryService::writeCopy);
    slices_.setSingleShot(true);
    connect(&slices_, &QTimer::timeout, this, [this] { copySome(); });
}

RecoveryService::~RecoveryService() {
    finishCopy();
}

void RecoveryService::setFolder(const QString& folder) {
    dropCopy();
    finishCopy();
    folder_ = folder.isEmpty() ? nullptr : std::make_unique<RecoveryFolder>(folder);
    whole_ = true;
}

void RecoveryService::start() {
    // A shorter interval for tests that crash the editor on purpose.
    const int seconds = qEnvironmentVariableIntValue("VORTAN_RECOVERY_SECONDS");
    timer_.setInterval(1000 * (seconds > 0 ? seconds : 60));
    timer_.start();
}

void RecoveryService::changed(const QRect& area) {
    ++changes_;
    const QRect on = area & QRect(QPoint(0, 0), size_);
    if (on.isEmpty()) return;
    constexpr int t = RecoveryTiles::kTile;
    const int across = (size_.width() + t - 1) / t;
    for (int ty = on.top() / t; ty <= on.bottom() / t; ++ty)
        for (int tx = on.left() / t; tx <= on.right() / t; ++tx) {
            const int index = ty * across + tx;
            Tile& tile = tiles_[size_t(index)];
            if (tile == Tile::Waiting) continue;
            // Copied already in the copy being taken: again, as it is now.
            if (copying_) waiting_.push_back(index);
            tile = copying_ ? Tile::Waiting : Tile::Changed;
        }
}

void RecoveryService::resized() {
    dropCopy();
    size_ = level_.size();
    tiles_.assign(size_t(RecoveryTiles::count(size_)), Tile::Changed);
    whole_ = true;
}

void RecoveryService::writeCopy() {
    // The last copy is still being taken or written: the next round takes this one.
    if (!folder_ || copying_ || folder_->copying()) return;
    finishCopy();
    tellTrouble();
    if (!level_.isModified() || changes_ == copiedChanges_) return;
    bool whole = whole_;
    QString why;
    if (!folder_->beginCopy(size_, &whole, &why)) {
        trouble_ = why;
        tellTrouble();
        return;
    }
    whole_ = false;
    waiting_.clear();
    for (size_t i = 0; i < tiles_.size(); ++i)
        if (whole || tiles_[i] == Tile::Changed) {
            tiles_[i] = Tile::Waiting;
            waiting_.push_back(int(i));
        }
    copying_ = true;
    copySome();
}

void RecoveryService::copySome(bool wait) {
    if (!copying_) return;
    if (!waiting_.empty() && folder_->wantsTiles(wait)) {
        RecoveryTiles tiles;
        tiles.pixels.reserve(size_t(kTilesAtOnce) * 2 * RecoveryTiles::kTile * RecoveryTiles::kTile);
        // Read, never written: the layers' pixels stay the level's own.
        const QImage& colour = level_.colourLayer().image();
        const QImage& map = level_.materialMap().image();
        while (!waiting_.empty() && tiles.indices.size() < size_t(kTilesAtOnce)) {
            const int index = waiting_.back();
            waiting_.pop_back();
            tiles_[size_t(index)] = Tile::Copied;
            tiles.take(colour, map, index);
        }
        folder_->addTiles(std::move(tiles));
    }
    if (!waiting_.empty()) {
        slices_.start(folder_->wantsTiles() ? 0 : kWaitForWriterMs);
        return;
    }
    // Every tile as it is now: the copy is the level at this moment.
    copying_ = false;
    folder_->endCopy({{},
                      {},
                      level_.name(),
                      QDateTime::currentDateTime(),
                      view_.offset(),
                      int(view_.shown()),
                      view_.zoomed()});
    copiedChanges_ = changes_;
}

void RecoveryService::dropCopy() {
    if (!copying_) return;
    copying_ = false;
    slices_.stop();
    folder_->cancelCopy();
    // Its tiles are copied again by the next copy.
    for (const int index : waiting_)
        tiles_[size_t(index)] = Tile::Changed;
    waiting_.clear();
    whole_ = true;
}

void RecoveryService::finishCopy() {
    while (copying_)
        copySome(true);
    if (const QString why = folder_ ? folder_->finishCopy() : QString(); !why.isEmpty()) {
        trouble_ = why;
        copiedChanges_ = 0; // tried again at the next round, with every tile
        whole_ = true;
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
    dropCopy();
    finishCopy();
    if (folder_) folder_->forgetOwn();
    copiedChanges_ = changes_;
    whole_ = true;
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
