#include "app/Editor.h"
#include "app/BrushActions.h"
#include "app/LevelActions.h"
#include "core/Memory.h"
#include "core/Numbers.h"
#include "dialogs/RandomName.h"
#include "generate/RandomCave.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

namespace vortan {

namespace {
// The window's client area when the editor starts, before the window system says more.
constexpr QSize kStartWindow{760, 573};
} // namespace

Editor::Editor(UserDialogs& ui, EditorFolders folders, std::unique_ptr<RandomSource> random)
    : ui_(ui), folders_(std::move(folders)), random_(std::move(random)), gameFolder_(folders_.state),
      newLevelForm_(ui, *random_, availableMemory()), optionsForm_(*random_),
      resizeForm_(ui, availableMemory()), windowOuter_(kStartWindow),
      recovery_(
          ui, level_, view_,
          [this] { return busy() || input_.stroking() || QGuiApplication::mouseButtons() != Qt::NoButton; },
          [this](const RecoveredLevel& level) { recoverLevel(level); }) {
    recovery_.setFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery");
    // The level says what changed; the viewport, the navigator and the title follow.
    connect(&level_, &LevelDocument::areaChanged, this, [this](QRect area) {
        view_.levelChanged(area);
        view_.markNavigatorStale();
        emit pictureChanged(ShownPicture::Viewport, view_.onScreen(area));
    });
    connect(&level_, &LevelDocument::sizeChanged, this, [this] { view_.markNavigatorStale(); });
    connect(&level_, &LevelDocument::nameChanged, this, [this](const QString& name) {
        controls_.title = "VORTAN Level Editor 1.0 - " + name;
        emit controlsChanged();
    });
}

Editor::~Editor() = default;

bool Editor::start() {
    if (started_) return false;
    started_ = true;
    recovery_.start();
    gameFolder_.readRemembered();
    view_.fitNavigator(level_, view_.shownLayer());
    return true;
}

LongWork Editor::work(bool withProgress) {
    LongWork w{[this] { yield(); }, nullptr};
    if (withProgress)
        w.advance = [this](float step) {
            // The display shows whole percent of all passes, never past 100.
            progressSum_ = progressSum_ + step;
            const int32_t p = std::min(roundHalfEven(progressSum_ / 100.0f / progressPasses_), 100);
            controls_.red = QString::number(p) + "%";
            emit labelsChanged();
        };
    return w;
}

void Editor::startProgress(float passes) {
    progressSum_ = 0;
    progressPasses_ = passes;
}

// --- the window ------------------------------------------------------------------------

void Editor::layOut(QSize windowOuter) {
    windowOuter_ = windowOuter;
    controls_.viewportOuter = view_.layOut(windowOuter, level_);
    view_.keepInside(level_);
    emit controlsChanged();
}

void Editor::redrawViewport() {
    view_.keepInside(level_);
    view_.setPreview({}, {});
    emit pictureChanged(ShownPicture::Viewport);
    emit pictureChanged(ShownPicture::Navigator); // it marks where the viewport is
}

bool Editor::mayClose() {
    input_.endStroke();
    if (busy()) {
        closePending_ = true;
        return false;
    }
    if (!mayDiscardLevel()) return false;
    recovery_.forget(); // saved, let go or nothing to keep: nothing to recover
    return true;
}

void Editor::recoverLevel(const RecoveredLevel& level) {
    CommandScope scope(*this);
    level_.takeLayers(level.colour, level.map);
    level_.setName(level.name);
    switchView(View::Shown(std::clamp(level.shown, 0, 2)));
    view_.setZoomed(level.zoomed);
    view_.fitNavigator(level_, view_.shownLayer());
    layOut(windowOuter_);
    view_.scrollTo(level_, float(level.offset.x()), float(level.offset.y()));
    redrawViewport();
    level_.setModified(true); // unsaved work again, copied again at the next round
}

void Editor::refreshNavigatorIfStale() {
    const bool stale = view_.navigatorStale();
    view_.refreshNavigatorIfStale(level_, work(false));
    if (stale) emit pictureChanged(ShownPicture::Navigator);
}

void Editor::focusViewportIfAllowed() {
    if (view_.shown() != View::Shown::Thumbnail && controls_.viewportEnabled)
        emit focusRequested(FocusTarget::Viewport);
}

void Editor::brushChanged() {
    emit pictureChanged(ShownPicture::ColourBrush);
    emit pictureChanged(ShownPicture::MaterialBrush);
    emit controlsChanged(); // the material list may show another entry
}

void Editor::buildThumbnail() {
    view_.buildThumbnail(level_, work(false));
    emit pictureChanged(ShownPicture::Thumbnail);
}

// --- commands --------------------------------------------------------------------------

Editor::CommandScope::CommandScope(Editor& e) : e_(e) {
    // A stroke still held ends as its own step before the command acts.
    e_.input_.endStroke();
    if (e_.commandDepth_++ > 0) return;
    e_.controls_.viewportEnabled = false;
    e_.controls_.busy = true;
    emit e_.controlsChanged();
}

Editor::CommandScope::~CommandScope() {
    // A command run inside another (a save asked for by New) leaves the outer one's
    // viewport disabled: no painting may slip in while the outer command yields.
    if (--e_.commandDepth_ > 0) return;
    e_.controls_.viewportEnabled = true;
    e_.controls_.busy = false;
    emit e_.controlsChanged();
    e_.focusViewportIfAllowed();
    if (e_.closePending_) {
        e_.closePending_ = false;
        emit e_.closeRequested();
    }
}

bool Editor::mayDiscardLevel() {
    if (!level_.isModified()) return true;
    switch (ui_.message("Unsaved work... ", "You have not saved your level. \n\rDo you want to save it? ",
                        MsgButtons::YesNoCancel, MsgIcon::None)) {
    case MsgAnswer::Yes:
        // Going on after a save that did not happen would throw the level away.
        return saveLevelInside();
    case MsgAnswer::No:
        recovery_.forget(); // the user let the work go
        return true;
    default:
        return false;
    }
}

void Editor::makeEmptyLevel(int width, int height) {
    view_.resetScroll();
    level_.makeEmpty(width, height, brush_.colour());
    view_.fitNavigator(level_, view_.shownLayer());
    emit controlsChanged();
    yield();
    layOut(windowOuter_);
    yield();
    redrawViewport();
    yield();
}

void Editor::newLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    newLevelForm_.begin();
    ui_.showNewLevel(newLevelForm_);
    if (!newLevelForm_.accepted()) return;
    level_.setName(newLevelForm_.chosenName());
    makeEmptyLevel(newLevelForm_.chosenSize().width(), newLevelForm_.chosenSize().height());
    if (view_.shown() == View::Shown::Thumbnail) buildThumbnail(); // the Thumbnail view shows the new level
    level_.setModified(true);
}

void Editor::randomLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    if (view_.shown() != View::Shown::Level) switchView(View::Shown::Level);
    const QSize size = randomCaveSize(*random_);
    level_.setName(randomName(*random_));
    makeEmptyLevel(size.width(), size.height());
    drawRandomCave(level_, *random_, brush_.colour());
    redrawViewport();
    yield();
    level_.setModified(true);
}

bool Editor::saveLevel() {
    if (busy()) return false;
    return saveLevelInside();
}

bool Editor::saveLevelInside() {
    CommandScope scope(*this);
    const bool saved = saveLevelAs(level_, view_, dialog_, ui_, folders_.levelFolder(), work(false));
    emit pictureChanged(ShownPicture::Thumbnail);
    if (saved) recovery_.forget();
    return saved;
}

void Editor::loadLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    if (const std::optional<QString> path = chooseLevelFile(dialog_, ui_, folders_.levelFolder()))
        loadChosenFile(*path);
}

void Editor::loadChosenFile(const QString& path) {
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        openFile(path); // a file that cannot be read leaves the level as it was
        return;
    }
    // A name that is no file loads nothing, yet leaves nothing to save.
    redrawViewport();
    yield();
    level_.setModified(false);
}

bool Editor::takesDroppedFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return (suffix == "bmp" || suffix == "gif" || suffix == "png") && QFileInfo(path).isFile();
}

void Editor::loadDroppedFile(const QString& path) {
    if (busy() || !takesDroppedFile(path)) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    loadChosenFile(path);
}

bool Editor::openFile(const QString& path, QString* why) {
    std::optional<LevelFile> file = readLevelFile(path, why);
    if (!file) return false;
    const bool set = file->set.has_value();
    if (openInto(level_, view_, std::move(*file)) == Opened::ThumbnailOnly || set)
        emit pictureChanged(ShownPicture::Thumbnail);
    file.reset();
    emit controlsChanged();
    layOut(windowOuter_);
    yield();
    redrawViewport();
    yield();
    level_.setModified(false);
    return true;
}

void Editor::openAtStart(const QString& path) {
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return; // a recovered level comes first
    QString why = "The file does not exist.";
    if (QFileInfo::exists(path) && openFile(path, &why)) return;
    ui_.message("VORTAN Level Editor 1.0", QString("Cannot open '%1'.\n\r%2").arg(path, why), MsgButtons::OK,
                MsgIcon::Exclamation);
}

void Editor::exportToGame() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!findGameFolder(gameFolder_, ui_, dialog_) || gameFolder_.path().isEmpty() ||
        !prepareForExport(level_, ui_))
        return;
    const int number = chooseExportNumber(gameFolder_, dialog_, ui_);
    if (number < 0) return;
    startProgress(3);
    if (writeLevelToGame(level_, view_, gameFolder_, number, ui_, work(true))) ui_.beep();
    emit pictureChanged(ShownPicture::Thumbnail);
}

void Editor::levelToMap() {
    if (busy()) return;
    CommandScope scope(*this);
    startProgress(1);
    vortan::levelToMap(level_, work(true));
}

void Editor::renameLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    optionsForm_.begin(level_.name());
    ui_.showOptions(optionsForm_);
    if (optionsForm_.accepted()) level_.setName(optionsForm_.chosenName());
    if (view_.shown() == View::Shown::Thumbnail) buildThumbnail(); // shows the (maybe new) name at once
}

void Editor::showHelp() {
    input_.endStroke();
    ui_.openDocument(folders_.helpPage());
    // The keys go on working in the level, not on the Help button.
    focusViewportIfAllowed();
}

void Editor::showView(View::Shown shown) {
    // A view switch takes an undo copy: never of a level a command is still changing.
    if (!busy()) switchView(shown);
}

void Editor::switchView(View::Shown shown) {
    input_.endStroke();
    if (shown == View::Shown::Thumbnail) {
        if (level_.isModified() || view_.navigatorStale()) buildThumbnail();
        view_.setShown(shown);
        emit controlsChanged();
        emit focusRequested(FocusTarget::Thumbnail);
    } else {
        view_.setShown(shown);
        emit controlsChanged();
        focusViewportIfAllowed();
    }
    // Backspace after a view switch returns to the state at the switch.
    level_.history().mark();
    redrawViewport();
    view_.markNavigatorStale();
    refreshNavigatorIfStale();
}

void Editor::setZoomed(bool zoomed) {
    if (busy()) return;
    input_.endStroke();
    view_.setZoomed(zoomed);
    layOut(windowOuter_); // the box shows the level at 6 in the viewport of scale 1
    redrawViewport();
    focusViewportIfAllowed();
}

void Editor::showMaterials(bool on) {
    view_.setMaterialsWanted(on);
    redrawViewport();
    emit controlsChanged();
    focusViewportIfAllowed();
}

void Editor::stepMaterialsOpacity() {
    view_.stepMaterialsOpacity();
    showMaterials(true);
}

void Editor::chooseMaterial(const QString& entry) {
    if (busy()) return;
    input_.endStroke();
    brush_.chooseMaterial(entry);
    brushChanged();
}

void Editor::pressOnBrush(Qt::MouseButton button, bool colourBrush) {
    if (busy()) return;
    {
        CommandScope scope(*this);   // every way out enables the viewport again
        std::optional<bool> changed; // nothing: cancelled; false: only the preview goes
        if (button == Qt::LeftButton &&
            chooseBrushColour(brush_, view_.shown() == View::Shown::Level, dialog_, ui_))
            changed = true;
        else if (button == Qt::RightButton)
            changed = loadBrushPicture(brush_, dialog_, ui_, folders_.brushFolder());
        if (changed) {
            if (*changed) brushChanged();
            redrawViewport(); // removes the preview of the old brush
            yield();
        }
    }
    if (colourBrush) focusViewportIfAllowed();
}

void Editor::undoOrRedo(bool redo) {
    const QSize size = level_.size();
    if (!(redo ? level_.redo() : level_.undo())) return;
    if (level_.size() != size) return showNewSize({});
    redrawViewport();
}

void Editor::resizeLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    input_.endStroke();
    resizeForm_.begin(level_.size());
    ui_.showResizeLevel(resizeForm_);
    if (!resizeForm_.accepted()) return;
    if (!level_.resize(resizeForm_.chosenSize(), resizeForm_.shift())) {
        ui_.message("Resize Level", "There is not enough memory to resize the level.", MsgButtons::OK,
                    MsgIcon::Exclamation);
        return;
    }
    showNewSize(resizeForm_.shift());
}

void Editor::showNewSize(QPoint shift) {
    // The part of the level on screen stays there.
    const QPoint corner = view_.offset() + shift;
    view_.fitNavigator(level_, view_.shownLayer());
    layOut(windowOuter_);
    view_.scrollTo(level_, float(corner.x()), float(corner.y()));
    redrawViewport();
    if (view_.shown() == View::Shown::Thumbnail) buildThumbnail();
    emit controlsChanged();
}

void Editor::pressInNavigator(QPointF at) {
    // The navigator's frame is not part of its picture.
    if (busy() || !view_.onNavigator(at)) return;
    input_.endStroke();
    view_.scrollToNavigatorPoint(level_, at);
    redrawViewport();
    focusViewportIfAllowed();
}

void Editor::moveInNavigator(Qt::MouseButtons buttons, QPointF at) {
    if (busy()) return;
    if (buttons != Qt::NoButton) {
        view_.scrollToNavigatorPoint(level_, at);
        redrawViewport();
    }
    focusViewportIfAllowed();
}

} // namespace vortan
