// Saving a level as three pictures and loading it (or a single picture) back.
#include "core/Editor.h"
#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace vortan {

namespace {

const char* kLevelFilter =
    "Levels (*level.bmp;*level.gif)|*level.bmp;*level.gif|Pictures (*.bmp;*.gif)|*.bmp;*.gif";

// The base of a set from the name chosen in the save dialog. Choosing a member of an
// existing set saves over that set rather than nesting its name. Only a ".bmp" ending is
// taken off: the dialog adds none to a name that holds a dot ("Level 2.5"), and cutting
// blindly would save over another level.
QString saveBase(const QString& chosen) {
    for (const char* ending : {".level.bmp", ".map.bmp", ".thumb.bmp"})
        if (chosen.endsWith(QLatin1String(ending))) return chosen.chopped(qsizetype(strlen(ending)));
    if (chosen.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)) return chosen.chopped(4);
    return chosen;
}

// The file's name up to its first dot (all of it when it has none).
QString beforeFirstDot(const QString& title) {
    const qsizetype dot = title.indexOf('.');
    return dot < 0 ? title : title.left(dot);
}

// Where the name of a set ends in the name of one of its files: at the last member
// marker, so that "Level 2.5.level.bmp" is the set "Level 2.5". -1 for a plain picture.
qsizetype setNameEnd(const QString& title) {
    qsizetype end = -1;
    for (const char* marker : {".thumb.", ".map.", ".level."})
        end = std::max(end, title.lastIndexOf(QLatin1String(marker)));
    return end;
}

} // namespace

bool Editor::saveLevel_Click() {
    if (!canStartCommand()) return false;
    return saveLevel();
}

bool Editor::saveLevel() {
    CommandScope scope(*this);
    DialogSettings& d = dialog.settings;
    d.title = "Save Level...";
    d.filter = kLevelFilter;
    d.filterIndex = 1;
    d.initDir = QDir(ownFolder()).filePath("levels");
    d.fileName = levelName;
    d.defaultExt = ".bmp";
    d.cancelError = true;
    if (!dialog.showSave(ui_) || d.fileTitle.isEmpty()) return false;

    const QString base = saveBase(d.fileName);
    // The three pictures replace an older set together or not at all: a map left
    // beside a newer level image would load as a level without walls.
    FileSet set;
    QFile* levelFile = set.add(base + ".level.bmp");
    QFile* mapFile = set.add(base + ".map.bmp");
    QFile* thumbFile = set.add(base + ".thumb.bmp");
    if (!levelFile || !mapFile || !thumbFile) return false;
    if (!writeBmp(Level[0].Image(), *levelFile) || !writeBmp(Level[1].Image(), *mapFile)) return false;
    if (unsavedChanges) buildThumbnail();
    if (!writeBmp(thumbNail.Image(), *thumbFile) || !set.commit()) return false;
    unsavedChanges = false;
    return true;
}

void Editor::adoptLevelSize(int s) {
    sizeNavigator(s);
    xRes = roundHalfEven(Level[s].ScaleWidth());
    yRes = roundHalfEven(Level[s].ScaleHeight());
    // The other layer keeps its pixels, cut or extended to the new size.
    Level[1 - s].resize(Level[s].ScaleWidth(), Level[s].ScaleHeight());
    undoBelongsToLevel = false;
}

void Editor::Command5_Click() {
    if (!canStartCommand()) return;
    CommandScope scope(*this);
    if (!wantSave()) return;
    DialogSettings& d = dialog.settings;
    d.title = "Load Level...";
    d.filter = kLevelFilter;
    d.initDir = QDir(ownFolder()).filePath("levels");
    d.filterIndex = 1;
    d.fileName.clear();
    d.cancelError = true;
    if (!dialog.showOpen(ui_)) return;
    const QString path = d.fileName, title = d.fileTitle;

    if (!title.isEmpty() && QFileInfo::exists(path)) {
        // Only the file's name tells a set member: a dot in a folder's name must not.
        if (const qsizetype nameEnd = setNameEnd(title); nameEnd >= 0) {
            const QString name = title.left(nameEnd);
            const QString base = path.left(path.size() - title.size()) + name;
            struct Member {
                const char* ending;
                PictureSurface* surface;
            };
            const Member members[] = {{".thumb.bmp", &thumbNail}, {".level.bmp", &Level[0]},
                                      {".map.bmp", &Level[1]},    {".thumb.gif", &thumbNail},
                                      {".level.gif", &Level[0]},  {".map.gif", &Level[1]}};
            // Every picture is read before any is assigned: a set with a broken member
            // leaves the level as it was instead of half replaced.
            std::vector<std::pair<PictureSurface*, QImage>> pictures;
            for (const Member& m : members) {
                const QString file = base + m.ending;
                if (!QFileInfo::exists(file)) continue;
                std::optional<QImage> picture = LoadPicture(file);
                if (!picture) return;
                pictures.emplace_back(m.surface, std::move(*picture));
            }
            levelName = name;
            updateStatus();
            for (auto& [surface, picture] : pictures)
                surface->setPicture(picture);
            navigatorStale = true;
            adoptLevelSize(0);
        } else {
            std::optional<QImage> picture = LoadPicture(path);
            if (!picture) return;
            if (controls.viewOption == 2) {
                thumbNail.setPicture(*picture);
                emit surfaceChanged(ShownSurface::ThumbNail);
            } else {
                const int l = layerIndex;
                Level[l].setPicture(*picture);
                levelName = beforeFirstDot(title);
                updateStatus();
                navigatorStale = true;
                adoptLevelSize(l);
            }
        }
        Form_Resize();
        yield();
    }
    updateViewPort(float(viewPortXoff), float(viewPortYoff));
    yield();
    unsavedChanges = false;
}

} // namespace vortan
