#pragma once

#include "core/Numbers.h"
#include "core/PictureSurface.h"
#include "core/UserDialogs.h"
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
};

// Window geometry the editor lays out against, in screen pixels.
constexpr int kFrame = 2;               // every picture box has a two-pixel frame
constexpr QSize kStartClient{760, 573}; // client area when the editor starts
constexpr int kThumbOuterWidth = 105;   // the navigator's width never changes
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

    // The Save command. Returns whether the level was saved.
    bool saveLevel_Click();

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

  signals:
    void controlsChanged();
    void surfaceChanged(vortan::ShownSurface which);
    void focusRequested(vortan::FocusTarget target);
    void closeRequested();

  private:
    UserDialogs& ui_;
    void setBusy(bool busy);
    void readGameFolder();
    void sizeNavigator();

    QString ownFolder_;
    QSize windowOuter_ = kStartClient;
    int commandDepth_ = 0;
    bool closePending_ = false;
};

} // namespace vortan
