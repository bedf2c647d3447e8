#include "core/Editor.h"
#include "core/Layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vortan {

namespace {
QSize drawable(QSize outer) {
    return {std::max(0, outer.width() - 2 * kFrame), std::max(0, outer.height() - 2 * kFrame)};
}
} // namespace

Editor::Editor(UserDialogs& ui, QString ownFolder)
    : Level{PictureSurface(kStartLevel.width(), kStartLevel.height(), kBlack, true),
            PictureSurface(kStartLevel.width(), kStartLevel.height(), kBlack, true)},
      undoLevel{PictureSurface(drawable(kUndoOuter).width(), drawable(kUndoOuter).height(), kBlack, true),
                PictureSurface(drawable(kUndoOuter).width(), drawable(kUndoOuter).height(), kBlack, true)},
      thumbNail(drawable(kThumbNailOuter).width(), drawable(kThumbNailOuter).height(), kWhite),
      // The navigator draws in the system's window colours; the editor's are white on black text.
      Thumb(drawable({kThumbOuterWidth, 121}).width(), drawable({kThumbOuterWidth, 121}).height(), kWhite),
      viewPort(drawable({241, 225}).width(), drawable({241, 225}).height()),
      Brush(drawable(kBrushOuter).width(), drawable(kBrushOuter).height()),
      mapBrush(drawable(kBrushOuter).width(), drawable(kBrushOuter).height()),
      Mask(drawable(kBrushOuter).width(), drawable(kBrushOuter).height()), ui_(ui),
      ownFolder_(std::move(ownFolder)) {
    thumbNail.Font = QFont("Liberation Serif");
    thumbNail.Font.setPointSizeF(14.25);
}

void Editor::yield() {
    if (yieldHook) yieldHook();
}

bool Editor::Form_Load() {
    if (formLoaded) return false;
    formLoaded = true;
    random = std::make_unique<ClockRandom>();
    unsavedChanges = false;
    zoomFactor = 6;
    nameAdjectives = {"Magnificent", "Terrific", "Splendid", "Groovy", "Fantastic",
                      "Frozen",      "Scorched", "Holy",     "Lonely", "Crazy",
                      "Digital",     "Wacky",    "Faulty",   "Fancy",  ""};
    nameNouns = {"Castle",     "Cave",       "Vault",   "Armoury",  "Headquarter",
                 "Fields",     "Hide-Out",   "Parish",  "Basement", "Cathedral",
                 "Dreamspace", "Wilderness", "Factory", "Fjord",    ""};
    nameWordCount = 15;
    levelName = "EMPTY";
    currentColour = RGB(55, 100, 120);
    currentMaterial = RGB(255, 0, 0);
    snapColours = {kWall, kWall, kExplosive, kPlatformFS, kPlatformFSA};
    createBrush(20);
    updatePropertyCombo();
    setComboEntry("Wall");
    readGameFolder();
    xRes = roundHalfEven(Level[layerIndex].ScaleWidth());
    yRes = roundHalfEven(Level[layerIndex].ScaleHeight());
    sizeNavigator(layerIndex);
    lastBrushX = lastBrushY = -10000;
    updateStatus();
    return true;
}

void Editor::readGameFolder() {
    QFile file(QDir(ownFolder_).filePath("gameFolder.txt"));
    // Only a plain file: reading a pipe of that name would never return.
    if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        QString folder = QString::fromLocal8Bit(line);
        // Only spaces are trimmed: a folder name may hold other white space.
        qsizetype a = 0, b = folder.size();
        while (a < b && folder[a] == ' ')
            ++a;
        while (b > a && folder[b - 1] == ' ')
            --b;
        gameFolder = folder.mid(a, b - a);
    }
    if (gameFolder.isEmpty() || !QFileInfo::exists(gameFolder + QDir::separator() + "Vortan.exe"))
        gameFolder.clear();
}

void Editor::sizeNavigator(int layer) {
    const int32_t levelOuterHeight = outerSize(Level[layer]).height();
    navScale = float(Level[layer].ScaleWidth()) / float(Thumb.ScaleWidth());
    controls.thumbOuterHeight = navigatorOuterHeight(levelOuterHeight, navScale);
    if (controls.thumbOuterHeight > kMaxNavigatorOuterHeight) {
        // A level far higher than wide: at the width's scale the navigator would be
        // taller than any screen and its picture unbounded. The height sets the scale,
        // less the two border pixels that the outer height adds.
        navScale = float(levelOuterHeight) / float(kMaxNavigatorOuterHeight - 2);
        controls.thumbOuterHeight = kMaxNavigatorOuterHeight;
    }
    Thumb.resize(Thumb.ScaleWidth(), std::max(0, controls.thumbOuterHeight - 2 * kFrame));
    emit controlsChanged();
}

void Editor::Form_Resize(QSize windowOuter) {
    windowOuter_ = windowOuter;
    const QSize outer = layoutViewPort(windowOuter, outerSize(Level[layerIndex]));
    controls.viewPortOuter = outer;
    const QSize inner = drawable(outer);
    if (inner.width() != viewPort.ScaleWidth() || inner.height() != viewPort.ScaleHeight())
        viewPort.resize(inner.width(), inner.height());
    emit controlsChanged();
}

bool Editor::Form_QueryUnload() {
    if (!canStartCommand()) {
        closePending_ = true;
        return false;
    }
    return wantSave();
}

void Editor::createEmpty(int32_t w, int32_t h) {
    undoBelongsToLevel = false;
    viewPortXoff = 0;
    viewPortYoff = 0;
    for (int i = 0; i < 2; ++i) {
        PictureSurface& layer = Level[i];
        layer.resize(std::max(0, w), std::max(0, h));
        layer.BackColor = kBlack;
        layer.setPicture(QImage());
        layer.Cls();
        layer.ForeColor = i == 0 ? currentColour : kWall;
        drawFrame(layer, layer.ForeColor);
    }
    sizeNavigator(layerIndex);
    yield();
    Form_Resize();
    yield();
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
    navigatorStale = true;
}

void Editor::drawFrame(PictureSurface& layer, Colour c) {
    // The lines at the far edges fall just outside: 17 pixels top and left, 16 bottom and right.
    const float W = float(layer.ScaleWidth()), H = float(layer.ScaleHeight());
    for (int j = 0; j <= 16; ++j) {
        layer.Line(0, j, W, j, c);
        layer.Line(0, H - j, W, H - j, c);
        layer.Line(j, 0, j, H, c);
        layer.Line(W - j, 0, W - j, H, c);
    }
}

bool Editor::wantSave() {
    if (!unsavedChanges) return true;
    const MsgAnswer answer =
        ui_.message("Unsaved work... ", "You have not saved your level. \n\rDo you want to save it? ",
                    MsgButtons::YesNoCancel, MsgIcon::None);
    switch (answer) {
    case MsgAnswer::Yes:
        // Going on after a save that did not happen would throw the level away.
        return saveLevel();
    case MsgAnswer::No:
        return true;
    default:
        return false;
    }
}

void Editor::updateStatus() {
    controls.title = "VORTAN Level Editor 1.0 - " + levelName;
    emit controlsChanged();
}

void Editor::displayPercent(float step) {
    progressSum = progressSum + step;
    const float percent = progressSum / 100.0f / progressPhases;
    const int32_t p = minOf(roundHalfEven(percent), 100);
    controls.rValue = QString::number(p) + "%";
    emit controlsChanged();
}

// --- commands -------------------------------------------------------------------------

Editor::CommandScope::CommandScope(Editor& e) : e_(e) {
    if (e_.commandDepth_++ > 0) return;
    e_.controls.viewPortEnabled = false;
    e_.setBusy(true);
}

Editor::CommandScope::~CommandScope() {
    // A command run inside another (a save asked for by New) leaves the outer one's
    // viewport disabled: no painting may slip in while the outer command yields.
    if (--e_.commandDepth_ > 0) return;
    e_.controls.viewPortEnabled = true;
    e_.applyFocusRule();
    e_.setBusy(false);
}

void Editor::setBusy(bool busy) {
    controls.busy = busy;
    emit controlsChanged();
    if (!busy && closePending_) {
        closePending_ = false;
        emit closeRequested();
    }
}

} // namespace vortan
