#include "app/Editor.h"
#include "core/FileSet.h"
#include "core/Memory.h"
#include "core/Numbers.h"
#include "dialogs/RandomName.h"
#include "files/Export.h"
#include "files/LevelFiles.h"
#include "files/PictureFiles.h"
#include "generate/RandomCave.h"

#include <QDir>
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
      newLevelForm_(ui, *random_, availableMemory()), optionsForm_(*random_), windowOuter_(kStartWindow) {
    setRecoveryFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/recovery");
}

Editor::~Editor() = default;

bool Editor::start() {
    if (started_) return false;
    started_ = true;
    // A shorter interval for tests that crash the editor on purpose.
    const int seconds = qEnvironmentVariableIntValue("VORTAN_RECOVERY_SECONDS");
    recoveryTimer_.setInterval(1000 * (seconds > 0 ? seconds : 60));
    connect(&recoveryTimer_, &QTimer::timeout, this, &Editor::writeRecoveryCopy);
    recoveryTimer_.start();
    gameFolder_.readRemembered();
    view_.fitNavigator(level_, view_.shownLayer());
    showTitle();
    return true;
}

void Editor::yield() {
    if (yieldHook_) yieldHook_();
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
    emit controlsChanged();
}

void Editor::repaintViewport() {
    yield();
    redrawViewport();
    yield();
}

void Editor::redrawViewport() {
    view_.redraw(level_);
    emit pictureChanged(ShownPicture::Viewport);
}

bool Editor::mayClose() {
    endStroke();
    if (busy()) {
        closePending_ = true;
        return false;
    }
    if (!mayDiscardLevel()) return false;
    forgetRecoveryCopy(); // saved, let go or nothing to keep: nothing to recover
    return true;
}

void Editor::setRecoveryFolder(const QString& folder) {
    recovery_ = folder.isEmpty() ? nullptr : std::make_unique<RecoveryFolder>(folder);
}

void Editor::writeRecoveryCopy() {
    // The last copy is still being written: the next round takes this one.
    if (!recovery_ || recovery_->copying()) return;
    finishRecoveryCopy();
    tellRecoveryTrouble();
    if (!level_.hasUnsavedChanges() || changes_ == copiedChanges_) return;
    // The pictures are shared, not copied, here: a change after this moment copies a
    // layer on the window's thread while the copy is written on a thread of its own.
    const RecoveredLevel copy{level_.colourLayer().image(),
                              level_.materialMap().image(),
                              level_.name(),
                              QDateTime::currentDateTime(),
                              {view_.xOffset(), view_.yOffset()},
                              int(view_.shown()),
                              view_.zoomed()};
    copiedChanges_ = changes_;
    QString why;
    if (recovery_->startCopy(copy, &why)) return;
    recoveryTrouble_ = why;
    copiedChanges_ = 0; // tried again at the next round
    tellRecoveryTrouble();
}

void Editor::finishRecoveryCopy() {
    if (const QString why = recovery_ ? recovery_->finishCopy() : QString(); !why.isEmpty()) {
        recoveryTrouble_ = why;
        copiedChanges_ = 0;
    }
}

void Editor::tellRecoveryTrouble() {
    // Once a run, and never into a command or a stroke.
    if (recoveryTrouble_.isEmpty() || recoveryTold_ || busy() ||
        QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    recoveryTold_ = true;
    ui_.message("Unsaved work... ",
                "No copy of your unsaved work can be kept in case the editor ends unexpectedly.\n\r" +
                    recoveryTrouble_,
                MsgButtons::OK, MsgIcon::Exclamation);
}

void Editor::forgetRecoveryCopy() {
    finishRecoveryCopy();
    if (recovery_) recovery_->forgetOwn();
    copiedChanges_ = changes_;
}

void Editor::offerRecovery() {
    if (!recovery_) return;
    QStringList unreadable;
    auto left = recovery_->leftBehind(&unreadable);
    if (!unreadable.isEmpty())
        ui_.message("Unsaved work... ",
                    "A copy of unsaved work could not be read.\n\r" + unreadable.join("\n\r"), MsgButtons::OK,
                    MsgIcon::Exclamation);
    for (std::size_t i = 0; i < left.size(); ++i) {
        const auto& [copy, about] = left[i];
        const QString when = about.taken.toString("yyyy-MM-dd hh:mm");
        if (ui_.message("Unsaved work... ",
                        QString("Recover the unsaved level '%1' from %2?").arg(about.name, when),
                        MsgButtons::YesNo, MsgIcon::Information) != MsgAnswer::Yes) {
            recovery_->remove(copy);
            continue;
        }
        for (std::size_t j = i + 1; j < left.size(); ++j)
            recovery_->release(left[j].first); // for a later start
        QString why;
        const std::optional<RecoveredLevel> level = copy.read(&why);
        if (!level) {
            recovery_->release(copy);
            ui_.message("Unsaved work... ", "A copy of unsaved work could not be read.\n\r" + why,
                        MsgButtons::OK, MsgIcon::Exclamation);
            return;
        }
        recovery_->takeOver(copy);
        recoverLevel(*level);
        return;
    }
}

void Editor::recoverLevel(const RecoveredLevel& level) {
    CommandScope scope(*this);
    level_.colourLayer().takePixels(level.colour);
    level_.materialMap().takePixels(level.map);
    level_.matchSizeTo(LevelDocument::kColourLayer);
    level_.setName(level.name);
    showTitle();
    switchView(View::Shown(std::clamp(level.shown, 0, 2)));
    view_.setZoomed(level.zoomed);
    view_.fitNavigator(level_, view_.shownLayer());
    layOut(windowOuter_);
    view_.scrollTo(level_, float(level.offset.x()), float(level.offset.y()));
    emit pictureChanged(ShownPicture::Viewport);
    levelChanged(); // unsaved work again, copied again at the next round
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

void Editor::showTitle() {
    ++changes_; // the name is part of the recovery copy
    controls_.title = "VORTAN Level Editor 1.0 - " + level_.name();
    emit controlsChanged();
}

void Editor::levelChanged() {
    ++changes_;
    level_.setUnsavedChanges(true);
    view_.markNavigatorStale();
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
    e_.endStroke();
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
    if (!level_.hasUnsavedChanges()) return true;
    switch (ui_.message("Unsaved work... ", "You have not saved your level. \n\rDo you want to save it? ",
                        MsgButtons::YesNoCancel, MsgIcon::None)) {
    case MsgAnswer::Yes:
        // Going on after a save that did not happen would throw the level away.
        return saveLevelInside();
    case MsgAnswer::No:
        forgetRecoveryCopy(); // the user let the work go
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
    view_.markNavigatorStale();
}

void Editor::newLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    newLevelForm_.begin();
    ui_.showNewLevel(newLevelForm_);
    if (!newLevelForm_.accepted()) return;
    level_.setName(newLevelForm_.chosenName());
    showTitle();
    makeEmptyLevel(newLevelForm_.chosenSize().width(), newLevelForm_.chosenSize().height());
    if (view_.shown() == View::Shown::Thumbnail) buildThumbnail(); // the Thumbnail view shows the new level
    levelChanged();
}

void Editor::randomLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    if (view_.shown() != View::Shown::Level) switchView(View::Shown::Level);
    const QSize size = randomCaveSize(*random_);
    level_.setName(randomName(*random_));
    showTitle();
    makeEmptyLevel(size.width(), size.height());
    drawRandomCave(level_, *random_, brush_.colour());
    redrawViewport();
    yield();
    levelChanged();
}

bool Editor::saveLevel() {
    if (busy()) return false;
    return saveLevelInside();
}

bool Editor::saveLevelInside() {
    CommandScope scope(*this);
    DialogSettings& d = dialog_.settings;
    d.title = "Save Level...";
    d.filter = "Levels (*level.bmp;*level.gif)|*level.bmp;*level.gif|Pictures (*.bmp;*.gif)|*.bmp;*.gif";
    d.filterIndex = 1;
    d.initialFolder = folders_.levelFolder();
    d.path = level_.name();
    d.defaultSuffix = ".bmp";
    d.cancelIsFailure = true;
    if (!dialog_.showSave(ui_) || d.chosenName.isEmpty()) return false;
    QString why;
    const bool saved = saveLevelSet(
        saveBaseFor(d.path), level_,
        [this]() -> const Picture& {
            if (level_.hasUnsavedChanges()) buildThumbnail();
            return view_.thumbnail();
        },
        &why);
    if (!saved) {
        ui_.message(" Level not saved ", "Your level could not be saved; it is still unsaved.\n\r" + why,
                    MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    level_.setUnsavedChanges(false);
    forgetRecoveryCopy();
    return true;
}

void Editor::adoptSizeOf(int layer) {
    view_.fitNavigator(level_, layer);
    level_.matchSizeTo(layer);
    emit controlsChanged();
}

void Editor::loadLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    DialogSettings& d = dialog_.settings;
    d.title = "Load Level...";
    d.filter = "Levels (*level.bmp;*level.gif)|*level.bmp;*level.gif|Pictures (*.bmp;*.gif)|*.bmp;*.gif";
    d.initialFolder = folders_.levelFolder();
    d.filterIndex = 1;
    d.path.clear();
    d.cancelIsFailure = true;
    if (!dialog_.showOpen(ui_)) return;
    loadChosenFile(d.chosenName.isEmpty() ? QString() : d.path);
}

void Editor::loadChosenFile(const QString& path) {
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        openFile(path); // a file that cannot be read leaves the level as it was
        return;
    }
    // A name that is no file loads nothing, yet leaves nothing to save.
    redrawViewport();
    yield();
    level_.setUnsavedChanges(false);
}

bool Editor::takesDroppedFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return (suffix == "bmp" || suffix == "gif") && QFileInfo(path).isFile();
}

void Editor::loadDroppedFile(const QString& path) {
    if (busy() || !takesDroppedFile(path)) return;
    CommandScope scope(*this);
    if (!mayDiscardLevel()) return;
    loadChosenFile(path);
}

bool Editor::openFile(const QString& path, QString* why) {
    const QString fileName = QFileInfo(path).fileName();
    if (const qsizetype nameEnd = setNameEnd(fileName); nameEnd >= 0) {
        const QString name = fileName.left(nameEnd);
        const std::optional<LevelSetPictures> set =
            readLevelSet(path.left(path.size() - fileName.size()) + name, why);
        if (!set) return false;
        level_.setName(name);
        showTitle();
        if (set->thumbnail) {
            view_.thumbnail().setBackgroundPicture(*set->thumbnail);
            emit pictureChanged(ShownPicture::Thumbnail);
        }
        if (set->colour) level_.colourLayer().setBackgroundPicture(*set->colour);
        if (set->map) level_.materialMap().setBackgroundPicture(*set->map);
        view_.markNavigatorStale();
        adoptSizeOf(LevelDocument::kColourLayer);
    } else {
        FileSet::settle(path);
        const std::optional<QImage> picture = loadPicture(path, why);
        if (!picture) return false;
        if (view_.shown() == View::Shown::Thumbnail) {
            view_.thumbnail().setBackgroundPicture(*picture);
            emit pictureChanged(ShownPicture::Thumbnail);
        } else {
            const int layer = view_.shownLayer();
            level_.layer(layer).setBackgroundPicture(*picture);
            level_.setName(plainPictureName(fileName));
            showTitle();
            view_.markNavigatorStale();
            adoptSizeOf(layer);
        }
    }
    layOut(windowOuter_);
    yield();
    redrawViewport();
    yield();
    level_.setUnsavedChanges(false);
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
    if (!gameFolder_.locate(ui_, dialog_) || gameFolder_.path().isEmpty() || !closeMapForExport()) return;

    const int firstFree = gameFolder_.firstFreeNumber();
    DialogSettings& d = dialog_.settings;
    d.askBeforeReplacing = true;
    d.initialFolder = gameFolder_.levelFolder();
    d.path = "level" + twoDigits(firstFree) + "t.quox";
    d.filter = "VORTAN Levels (*t.quox)|*t.quox";
    d.cancelIsFailure = true;
    if (!dialog_.showSave(ui_) || d.chosenName.isEmpty()) return;
    const int number = exportNumber(d.chosenName, firstFree, ui_);
    if (number < 0) return;

    if (writeToGame(gameFolder_, number)) ui_.beep();
}

bool Editor::closeMapForExport() {
    if (level_.width() > kMaxGameSide || level_.height() > kMaxGameSide) {
        ui_.message(
            " Level too large ",
            QString("VORTAN's level files hold at most %1 pixels in width and in height; this level is "
                    "%2 x %3 pixels.")
                .arg(kMaxGameSide)
                .arg(level_.width())
                .arg(level_.height()),
            MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    // The map is closed with the wall frame at every export.
    level_.history().begin("Wall frame");
    LevelDocument::drawFrame(level_.materialMap(), kWall);
    level_.history().end();
    if (view_.shownLayer() == LevelDocument::kMaterialMap) redrawViewport();
    return true;
}

bool Editor::writeToGame(const GameFolder& game, int number) {
    startProgress(3);
    if (level_.hasUnsavedChanges()) buildThumbnail();
    QString why;
    if (writeGameLevel(game, number, level_, view_.thumbnail(), work(true), ui_, &why)) return true;
    ui_.message(" Level not exported ", "Your level could not be written into the game.\n\r" + why,
                MsgButtons::OK, MsgIcon::Exclamation);
    return false;
}

void Editor::levelToMap() {
    if (busy()) return;
    CommandScope scope(*this);
    startProgress(1);
    level_.history().begin("Level -> Map");
    convertLevelToMap(level_, work(true));
    level_.history().end();
    if (view_.shownLayer() == LevelDocument::kMaterialMap) redrawViewport();
    view_.markNavigatorStale();
}

void Editor::renameLevel() {
    if (busy()) return;
    CommandScope scope(*this);
    optionsForm_.begin(level_.name());
    ui_.showOptions(optionsForm_);
    if (optionsForm_.accepted()) {
        level_.setName(optionsForm_.chosenName());
        showTitle();
    }
    if (view_.shown() == View::Shown::Thumbnail) buildThumbnail(); // shows the (maybe new) name at once
}

void Editor::showHelp() {
    endStroke();
    ui_.openDocument(folders_.helpPage());
    // The keys go on working in the level, not on the Help button.
    focusViewportIfAllowed();
}

void Editor::showView(View::Shown shown) {
    // A view switch takes an undo copy: never of a level a command is still changing.
    if (!busy()) switchView(shown);
}

void Editor::switchView(View::Shown shown) {
    endStroke();
    if (shown == View::Shown::Thumbnail) {
        if (level_.hasUnsavedChanges() || view_.navigatorStale()) buildThumbnail();
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
    endStroke();
    view_.setZoomed(zoomed);
    emit controlsChanged();
    redrawViewport();
    focusViewportIfAllowed();
}

void Editor::chooseMaterial(const QString& entry) {
    if (busy()) return;
    endStroke();
    brush_.chooseMaterial(entry);
    brushChanged();
}

void Editor::pressOnBrush(Qt::MouseButton button, bool colourBrush) {
    if (busy()) return;
    {
        CommandScope scope(*this); // every way out enables the viewport again
        if (button == Qt::LeftButton)
            chooseColour();
        else if (button == Qt::RightButton)
            loadBrushPicture();
    }
    if (colourBrush) focusViewportIfAllowed();
}

void Editor::chooseColour() {
    const bool levelView = view_.shown() == View::Shown::Level;
    // The dialog starts from what the brush paints now; a cancel changes nothing.
    dialog_.settings.colour = levelView ? brush_.colour() : brush_.material();
    if (!dialog_.showColour(ui_)) return;
    const Colour chosen = dialog_.settings.colour & 0xFFFFFF;
    // Outside the Level view a colour chosen is always a material.
    brush_.take(levelView ? chosen : snapToMaterial(chosen), levelView);
    brushChanged();
    redrawViewport(); // removes the preview of the old brush
    yield();
}

void Editor::loadBrushPicture() {
    DialogSettings& d = dialog_.settings;
    d.title = "Load Brush...";
    d.filterIndex = 0;
    d.path.clear();
    d.cancelIsFailure = true;
    d.filter = "Pictures (*.bmp;*.gif)|*.bmp;*.gif";
    d.initialFolder = folders_.brushFolder();
    if (!dialog_.showOpen(ui_) || d.chosenName.isEmpty()) return;
    if (QFileInfo::exists(d.path)) {
        const std::optional<QImage> picture = loadPicture(d.path);
        if (!picture || picture->isNull()) return; // not a readable picture: nothing changes
        brush_.usePicture(*picture);
        brushChanged();
    }
    redrawViewport(); // removes the preview of the old brush
    yield();
}

// --- the mouse and keys ---------------------------------------------------------------------

void Editor::showOutcome(const Painter::Outcome& outcome) {
    if (outcome.brushChanged) brushChanged();
    if (outcome.levelChanged) levelChanged();
    if (outcome.redrawn || !outcome.changed.isEmpty())
        emit pictureChanged(ShownPicture::Viewport, outcome.redrawn ? QRect() : outcome.changed);
    if (!outcome.pointed) return; // beside the level the labels keep their values
    const Colour c = *outcome.pointed;
    const QString red = QString::number(redOf(c)) + " ", green = QString::number(greenOf(c)) + " ",
                  blue = QString::number(blueOf(c)) + " ";
    if (red == controls_.red && green == controls_.green && blue == controls_.blue) return;
    controls_.red = red;
    controls_.green = green;
    controls_.blue = blue;
    emit labelsChanged();
}

void Editor::pressInViewport(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
    // The frame around the viewport is no drawing area: a press there would reach level
    // pixels the user cannot see.
    if (!controls_.viewportEnabled || !view_.onViewport(at)) return;
    // Backspace goes back to here; everything up to the release is one step.
    endStroke();
    level_.history().mark();
    level_.history().begin("Paint");
    strokeOpen_ = true;
    showOutcome(painter_.press(button, modifiers, at));
}

void Editor::moveInViewport(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
    if (!controls_.viewportEnabled) return;
    // Only a stroke with its own step paints: a drag from the frame, or one that went on
    // past Backspace, an undo or a command, only moves the preview.
    showOutcome(painter_.move(strokeOpen_ ? buttons : Qt::NoButton, modifiers, at));
}

void Editor::releaseInViewport(Qt::MouseButtons stillHeld) {
    if (stillHeld == Qt::NoButton) endStroke();
}

void Editor::endStroke() {
    if (!strokeOpen_) return;
    strokeOpen_ = false;
    painter_.release();
    level_.history().end();
}

void Editor::wheelInViewport(QPoint angle, Qt::KeyboardModifiers modifiers) {
    if (!controls_.viewportEnabled) return;
    // Shift turns the wheel sideways; some systems send that as a sideways turn already.
    const bool sideways = modifiers & Qt::ShiftModifier || angle.y() == 0;
    wheelTurn_ += sideways ? (angle.x() != 0 ? angle.x() : angle.y()) : angle.y();
    const int notches = wheelTurn_ / 120; // a notch is 120; smooth wheels add up to one
    wheelTurn_ -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i)
        keyInViewport(sideways ? (notches > 0 ? Qt::Key_Left : Qt::Key_Right)
                               : (notches > 0 ? Qt::Key_Up : Qt::Key_Down),
                      Qt::NoModifier);
}

void Editor::undoOrRedo(bool redo) {
    History& history = level_.history();
    if (!(redo ? history.canRedo() : history.canUndo())) return;
    redo ? history.redo() : history.undo();
    levelChanged();
    redrawViewport();
}

void Editor::keyInViewport(int key, Qt::KeyboardModifiers modifiers) {
    if (!controls_.viewportEnabled) return;
    // A key that does something ends a stroke still held first, as its own step; the
    // modifiers alone only change what the next move does.
    if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt && key != Qt::Key_Meta &&
        key != Qt::Key_AltGr)
        endStroke();
    if (modifiers & Qt::ControlModifier) {
        // Ctrl+Z steps back through the history, Ctrl+Shift+Z or Ctrl+Y forward.
        if (key == Qt::Key_Z) return undoOrRedo(modifiers & Qt::ShiftModifier);
        if (key == Qt::Key_Y) return undoOrRedo(true);
    }
    const int step = view_.zoomed() ? roundHalfEven(50.0 / View::kZoomFactor) : 50;
    const float x = float(view_.xOffset()), y = float(view_.yOffset());
    switch (key) {
    case Qt::Key_W:
        return chooseMaterial("Wall");
    case Qt::Key_B:
        return chooseMaterial("Behind Wall");
    case Qt::Key_T:
        return chooseMaterial("Water");
    case Qt::Key_S:
        return chooseMaterial("PlatformFS");
    case Qt::Key_A:
        return chooseMaterial("PlatformFSA");
    case Qt::Key_E:
        return chooseMaterial("Explosive!");
    case Qt::Key_Up:
        view_.scrollTo(level_, x, y - float(step));
        break;
    case Qt::Key_Down:
        view_.scrollTo(level_, x, y + float(step));
        break;
    case Qt::Key_Left:
        view_.scrollTo(level_, x - float(step), y);
        break;
    case Qt::Key_Right:
        view_.scrollTo(level_, x + float(step), y);
        break;
    case Qt::Key_Backspace:
        // Back to the state at the last press or view switch, as one step; never to a
        // state of another level.
        if (!level_.history().backToMark()) return;
        // The map that Level -> Map clears back to is the one restored here.
        level_.materialMap().keepAsBackground();
        yield();
        view_.redraw(level_);
        yield();
        break;
    case Qt::Key_F:
        brush_.mirror();
        brushChanged();
        emit pictureChanged(ShownPicture::Viewport, painter_.redrawPreview());
        yield();
        return;
    default:
        // Digits 1 to 9, on the main keyboard or the keypad: a disc of radius 4 x digit - 2.
        if (key < Qt::Key_1 || key > Qt::Key_9) return;
        brush_.makeDisc(4 * (key - Qt::Key_0) - 2);
        brushChanged();
        return;
    }
    emit pictureChanged(ShownPicture::Viewport);
}

void Editor::pressInNavigator(QPointF at) {
    // The navigator's frame is not part of its picture.
    if (busy() || !view_.onNavigator(at)) return;
    endStroke();
    view_.scrollTo(level_, view_.navigatorScale() * float(at.x()), view_.navigatorScale() * float(at.y()));
    emit pictureChanged(ShownPicture::Viewport);
    focusViewportIfAllowed();
}

void Editor::moveInNavigator(Qt::MouseButtons buttons, QPointF at) {
    if (busy()) return;
    if (buttons != Qt::NoButton) {
        view_.scrollTo(level_, view_.navigatorScale() * float(at.x()),
                       view_.navigatorScale() * float(at.y()));
        emit pictureChanged(ShownPicture::Viewport);
    }
    focusViewportIfAllowed();
}

} // namespace vortan
