#pragma once

#include "core/Numbers.h"
#include "core/PictureSurface.h"
#include "core/RandomSource.h"
#include "core/UserDialogs.h"
#include "dialogs/Forms.h"
#include "files/ColourTable.h"
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <functional>

namespace vortan {

// The on-screen surfaces a window shows; the editor says when one has new pixels.
enum class ShownSurface { ViewPort, Thumb, ThumbNail, Brush, MapBrush };
enum class FocusTarget { ViewPort, ThumbNail };

// What the window's controls show. The editor changes it and announces the change;
// widgets only mirror it.
struct Controls {
    QString title = "VORTAN Level Editor 1.0 - EMPTY";
    QString rValue = "0 ", gValue = "0 ", bValue = "0 ";
    int viewOption = 0; // selected view button: 0 Level, 1 Map, 2 Thumbnail
    bool zoomTicked = false;
    bool zoomEnabled = true;
    bool zoomVisible = true;
    bool viewPortEnabled = true;
    bool viewPortVisible = true;
    bool thumbNailVisible = false;
    bool brushVisible = true;
    bool mapBrushVisible = false;
    QSize viewPortOuter{241, 225};
    int thumbOuterHeight = 121;
    // A command that rebuilds, loads, saves or exports the level is running:
    // the others cannot start, and a close request waits for it.
    bool busy = false;
    QString comboText; // the material list's shown entry
};

// Mouse and key codes as the editor's handlers take them.
enum MouseButtonCode : int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftCode : int16_t { kShiftKey = 1, kCtrlKey = 2, kAltKey = 4 };

// The material colours of the map.
constexpr Colour kWall = RGB(255, 0, 0);
constexpr Colour kBehindWall = RGB(128, 0, 0);
constexpr Colour kWater = RGB(0, 0, 255);
constexpr Colour kPlatformFS = RGB(0, 255, 0);
constexpr Colour kPlatformFSA = RGB(0, 255, 255);
constexpr Colour kExplosive = RGB(255, 255, 0);

// The material list's entries, in list order, with their map colours.
struct MaterialEntry {
    const char* name;
    Colour colour;
};
constexpr std::array<MaterialEntry, 6> kMaterialList{{{"Wall", kWall},
                                                      {"Behind Wall", kBehindWall},
                                                      {"Water", kWater},
                                                      {"PlatformFS", kPlatformFS},
                                                      {"PlatformFSA", kPlatformFSA},
                                                      {"Explosive!", kExplosive}}};

// Window geometry the editor lays out against, in screen pixels.
constexpr int kFrame = 2;               // every picture box has a two-pixel frame
constexpr QSize kStartClient{760, 573}; // client area when the editor starts
constexpr int kThumbOuterWidth = 105;   // the navigator's width never changes
constexpr int kMaxNavigatorOuterHeight = 4096;
constexpr QSize kThumbNailOuter{196, 181};
constexpr QSize kStartLevel{821, 669}; // the start-up level's drawable size
constexpr QSize kBrushOuter{89, 89};
constexpr QSize kUndoOuter{49, 49};

// The main window's state and operations: the level document, the views of it and
// every command, without any widget. The window forwards events here and shows
// what Controls and the surfaces hold.
class Editor : public QObject {
    Q_OBJECT
  public:
    Editor(UserDialogs& ui, QString ownFolder);

    // --- fields the dialogs reach --------------------------------------------------
    int32_t xRes = 0;
    int32_t yRes = 0;
    int32_t viewPortXoff = 0;
    int32_t viewPortYoff = 0;
    QString levelName;
    bool didCancel = false;

    // --- editor state --------------------------------------------------------------
    bool unsavedChanges = false;
    float progressSum = 0;
    float progressPhases = 0;
    int32_t layerIndex = 0;
    int32_t zoomFactor = 0;
    float navScale = 0;
    bool navigatorStale = false;
    Colour currentColour = kBlack;
    Colour currentMaterial = kBlack;
    int32_t brushSize = 0;
    int32_t lastBrushX = 0;
    int32_t lastBrushY = 0;
    QString gameFolder;
    bool formLoaded = false;
    // Colours a chosen material colour snaps to (Wall twice: index 0 is never the last of a tie).
    std::array<Colour, 5> snapColours{};
    // Words of the random level names; the last entry of each list is empty.
    std::array<QString, 15> nameAdjectives;
    std::array<QString, 15> nameNouns;
    int32_t nameWordCount = 0;
    // The random source (seeded at start-up; tests put in their own).
    std::unique_ptr<RandomSource> random;
    float rnd() { return random->rnd(); }
    // The colour lookup table of the game-file writers.
    ColourTable clut;
    // The undo copies hold a state of the level now in the editor (not of a replaced one).
    bool undoBelongsToLevel = false;

    // --- surfaces ------------------------------------------------------------------
    std::array<PictureSurface, 2> Level;
    std::array<PictureSurface, 2> undoLevel;
    PictureSurface thumbNail;
    PictureSurface Thumb;
    PictureSurface viewPort;
    PictureSurface Brush;
    PictureSurface mapBrush;
    PictureSurface Mask;

    Dialog dialog;
    Controls controls;
    // The New Level and Options dialogs' contents, kept between uses.
    NewLevelForm newLevelForm{*this};
    OptionsForm optionsForm{*this};

    // Every question to the user goes here.
    UserDialogs& ui() { return ui_; }

    // The folder of the editor itself: "gameFolder.txt", "Help.htm", "levels", "brushes".
    const QString& ownFolder() const { return ownFolder_; }

    // Yield to the event loop. The window sets processEvents; tests leave it empty.
    // After a yield the level may have been replaced: hold no pixel pointer across it.
    std::function<void()> yieldHook;
    void yield();

    // --- start-up, document, layout -------------------------------------------------
    // Runs the start-up sequence; false when the main window was already loaded once
    // and the program must end.
    bool Form_Load();
    // The layout rule for a window of this outer size (screen pixels). Sizes the
    // viewport; does not redraw it.
    void Form_Resize(QSize windowOuter);
    void Form_Resize() { Form_Resize(windowOuter_); }
    // A close request: true when the window may close. While a command runs the
    // request waits and closeRequested() is emitted when the command ends.
    bool Form_QueryUnload();

    void createEmpty(int32_t w, int32_t h);
    bool wantSave();
    void updateStatus();
    void displayPercent(float step);

    // --- editor files, game files, export ------------------------------------------------
    // Save: the level as three pictures. Returns whether the level was saved.
    bool saveLevel_Click();
    bool saveLevel(); // the same, also from inside another command
    // Load: a saved level, or one picture as the shown layer or the thumbnail.
    void Command5_Click();
    // Export into the game.
    void Command6_Click();
    // Makes sure gameFolder names the game's folder, asking the user when it does not.
    // False when the user cancelled: the calling command ends.
    bool findGameFolder();
    // The game's level folder: gameFolder + "gameData/Gfx/".
    QString gameLevelFolder() const;
    // The three game-file writers for level number n ("07"). False when the file could
    // not be written; a file that stood there before is then left as it was.
    bool saveLevelQUOX(const QString& n);
    bool saveLevelThumb(const QString& n);
    bool saveAMapQUOX(const QString& n);
    // The thumbnail, the level image and the map of level n as one set: all three
    // replace what stood there, or none does.
    bool saveGameLevel(const QString& n);
    enum class GameFile { Thumbnail, LevelImage, MaterialMap };
    QString gameFilePath(GameFile kind, const QString& n) const;

    // --- viewport -------------------------------------------------------------------
    void updateViewPort(float x, float y);
    // The window system asks the viewport to repaint.
    void viewPort_Paint();
    void zoomEnabled_Click(bool ticked);
    void applyFocusRule();

    // Scope of a command that can fail or that rebuilds, loads, saves or exports the
    // level. While one is open the editor is busy and the viewport disabled; every way
    // out of the command enables the viewport again and applies the focus rule.
    class CommandScope {
      public:
        explicit CommandScope(Editor& e);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

      private:
        Editor& e_;
    };
    // Whether a user command may start now (no other command is running).
    bool canStartCommand() const { return commandDepth_ == 0; }

    // Outer size of a layer in screen pixels (drawable size plus its frame).
    static QSize outerSize(const PictureSurface& s) {
        return {s.ScaleWidth() + 2 * kFrame, s.ScaleHeight() + 2 * kFrame};
    }
    // Whether a pointer position (in a shown surface's pixels) lies on its pixels rather
    // than on the frame around them.
    static bool insideDrawable(const PictureSurface& s, float x, float y) {
        return x >= 0 && y >= 0 && x < float(s.ScaleWidth()) && y < float(s.ScaleHeight());
    }

    // --- materials and brushes ----------------------------------------------------------
    void Combo1_Click();
    // The user (or a key) chooses an entry of the material list.
    void chooseMaterialEntry(const QString& name);
    void updatePropertyCombo();
    void createBrush(int32_t size);
    void makeMask();
    void brushClick(int16_t button);
    void Brush_MouseDown(int16_t button);
    void mapBrush_MouseDown(int16_t button);

    // --- navigator, thumbnail and views ----------------------------------------------------
    void refreshNavigator();
    void buildThumbnail();
    void Timer1_Timer();
    void Thumb_MouseDown(int16_t button, int16_t shift, float x, float y);
    void Thumb_MouseMove(int16_t button, int16_t shift, float x, float y);
    // A click on a view button; switchView is the switch itself.
    void vPort_Click(int index);
    void switchView(int index);

    // --- editing in the viewport ---------------------------------------------------------
    void drawZoom(float x, float y, int16_t button, int16_t shift);
    void viewPort_MouseDown(int16_t button, int16_t shift, float x, float y);
    void viewPort_MouseMove(int16_t button, int16_t shift, float x, float y);
    void drawBrush(float x, float y, int32_t mode);
    void takeUndoSnapshot();
    void viewPort_KeyDown(int16_t keyCode, int16_t shift);
    void restoreUndo();
    void mirrorBrush();
    // "Level -> Map": every non-black colour pixel becomes wall.
    void Command4_Click();

    // --- new, random and renamed levels, help -------------------------------------------
    // A level name made of an adjective (maybe none) and a noun.
    QString randomName();
    // "Random": a new random cave.
    void Command3_Click();
    // "New": a new empty level of the size the user chooses.
    void Command2_Click();
    // "Options": rename the level.
    void Command7_Click();
    // "Help": open the help page beside the editor.
    void Command1_Click();

    // --- palette -------------------------------------------------------------------------
    // Fills clut (cleared by the caller) from the colour layer (limit 192, with progress
    // and the too-many-colours warning) or from the thumbnail (limit 128).
    enum class ClutSource { LevelImage, Thumbnail };
    void fillClut(ClutSource source);

  signals:
    void controlsChanged();
    void surfaceChanged(vortan::ShownSurface which);
    void focusRequested(vortan::FocusTarget target);
    void closeRequested();

  private:
    void setBusy(bool busy);
    void readGameFolder();
    // navScale and the navigator's height for the proportions of Level[layer].
    void sizeNavigator(int layer);
    // After a load: the level's size is that of Level[s]; the other layer follows it.
    void adoptLevelSize(int s);
    void setComboEntry(const QString& name);
    void showValues(float levelX, float levelY);
    // A modifier press at level pixel (lx, ly): left fills both layers, right picks.
    // True when the level changed.
    // *changed tells whether the fill changed any pixel.
    bool fillOrPick(int16_t button, int32_t lx, int32_t ly, bool* changed = nullptr);
    // The brush preview on the viewport at (lastBrushX, lastBrushY): put back what lies
    // under it, or draw it.
    void restoreUnderPreview();
    void drawPreview();
    // The wall frame of a level: rows 0 to 16 and the last 16, columns likewise.
    static void drawFrame(PictureSurface& layer, Colour c);

    UserDialogs& ui_;
    QString ownFolder_;
    QSize windowOuter_ = kStartClient;
    int commandDepth_ = 0;
    bool closePending_ = false;
};

} // namespace vortan
