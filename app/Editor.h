#pragma once

#include "app/RecoveryService.h"
#include "app/ViewportInput.h"
#include "core/LevelDocument.h"
#include "core/LongWork.h"
#include "core/RandomSource.h"
#include "dialogs/Forms.h"
#include "dialogs/UserDialogs.h"
#include "files/EditorFolders.h"
#include "files/GameFolder.h"
#include "paint/Brush.h"
#include "view/View.h"

#include <QObject>
#include <QPointF>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

namespace vortan {

// The pictures a window shows; the editor says when one has new pixels.
enum class ShownPicture { Viewport, Navigator, Thumbnail, ColourBrush, MaterialBrush }; // in this order
enum class FocusTarget { Viewport, Thumbnail };

// What the window's controls show. The editor changes it and announces the change;
// widgets only mirror it.
struct Controls {
    QString title = "VORTAN Level Editor 1.0 - EMPTY";
    // The red, green and blue of the pixel under the pointer; the red one also shows the
    // progress of long work.
    QString red = "0 ", green = "0 ", blue = "0 ";
    // The level pixel under the pointer, last seen on the level.
    QPoint pointer;
    bool viewportEnabled = true;
    QSize viewportOuter = View::kStartViewportOuter;
    // A command that rebuilds, loads, saves or exports the level is running: nothing
    // else that changes the level or what the command works on takes input, and a close
    // request waits for it.
    bool busy = false;
};

// The editor: the level, the brush, the view and the game folder, and every command a
// level maker gives, without any widget. The window forwards its input here and shows
// what controls() and the pictures hold; tests drive it the same way. The level says
// what changed, and the viewport, the navigator, the title and the recovery copy follow.
class Editor : public QObject {
    Q_OBJECT
  public:
    // folders: where the editor finds its help and brushes and keeps "gameFolder.txt" and
    // "levels". The random source gives the random names, sizes and caves.
    Editor(UserDialogs& ui, EditorFolders folders, std::unique_ptr<RandomSource> random);
    ~Editor() override;

    // Start-up: the first brushes, the remembered game folder, the navigator and the
    // title. False when the editor was started once already: the program must end.
    bool start();

    // --- the copy of unsaved work --------------------------------------------------------
    void offerRecovery() { recovery_.offer(); }
    void setRecoveryFolder(const QString& folder) { recovery_.setFolder(folder); }
    void writeRecoveryCopy() { recovery_.writeCopy(); }
    void finishRecoveryCopy() { recovery_.finishCopy(); }

    const Controls& controls() const { return controls_; }
    LevelDocument& level() { return level_; }
    const LevelDocument& level() const { return level_; }
    View& view() { return view_; }
    const View& view() const { return view_; }
    Brush& brush() { return brush_; }
    const Brush& brush() const { return brush_; }
    const GameFolder& gameFolder() const { return gameFolder_; }
    const EditorFolders& folders() const { return folders_; }
    const DialogSettings& dialogSettings() const { return dialog_.settings; }

    // Yielding to the event loop during long work. The window sets processEvents; tests
    // leave it empty or script it. After a yield the level may have been replaced.
    void setYieldHook(std::function<void()> hook) { yieldHook_ = std::move(hook); }

    // --- the window ------------------------------------------------------------------
    // The layout rule for a window of this outer size (screen pixels).
    void layOut(QSize windowOuter);
    // A close request: true when the window may close. While a command runs the request
    // waits and closeRequested() is emitted when the command ends.
    bool mayClose();
    // The timer: the navigator is redrawn when the level changed since the last tick.
    void refreshNavigatorIfStale();

    // --- commands ----------------------------------------------------------------------
    void newLevel();
    void randomLevel();
    void loadLevel();
    // A file dropped on the window: what Load does with that file chosen.
    void loadDroppedFile(const QString& path);
    // Whether a dropped file may be loaded: one .bmp or .gif picture.
    static bool takesDroppedFile(const QString& path);
    // Loads a level set (any member) or a single picture as Load does with that file
    // chosen. False, with *why, when it cannot be read: the level stays as it was.
    bool openFile(const QString& path, QString* why = nullptr);
    // The file named on the command line; a file that cannot be read is told in a message.
    void openAtStart(const QString& path);
    // True when the level was saved.
    bool saveLevel();
    void exportToGame();
    void levelToMap();
    void renameLevel();
    // Ctrl+R: a new width and height, the level kept at one of nine places; one step.
    void resizeLevel();
    void showHelp();
    void showView(View::Shown shown);
    void setZoomed(bool zoomed);
    // V and the Materials box: the map over the colours in the Level view; Shift+V steps
    // its opacity and shows it.
    void showMaterials(bool on);
    void stepMaterialsOpacity();
    void chooseMaterial(const QString& entry);
    // A click on the brush picture of the Level view (colourBrush) or the Map view: left
    // chooses a colour or material, right loads a brush picture.
    void pressOnBrush(Qt::MouseButton button, bool colourBrush);

    // --- the mouse and keys ---------------------------------------------------------------
    void pressInViewport(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF at) {
        input_.press(button, modifiers, at);
    }
    void moveInViewport(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPointF at) {
        input_.move(buttons, modifiers, at);
    }
    void releaseInViewport(Qt::MouseButtons stillHeld = Qt::NoButton) { input_.release(stillHeld); }
    void wheelInViewport(QPoint angle, Qt::KeyboardModifiers modifiers, QPointF at = {}) {
        input_.wheel(angle, modifiers, at);
    }
    void keyInViewport(int key, Qt::KeyboardModifiers modifiers) { input_.key(key, modifiers); }
    void keyUpInViewport(int key) { input_.keyUp(key); }
    // The tools of the strip and their keys; the chosen one; the selected level pixels.
    std::vector<ToolChoice> toolChoices() const { return input_.toolChoices(); }
    const QString& chosenTool() const { return input_.chosenTool(); }
    void chooseTool(const QString& name) { input_.chooseTool(name); }
    const QRect& selection() const { return input_.selection(); }
    void pressInNavigator(QPointF at);
    void moveInNavigator(Qt::MouseButtons buttons, QPointF at);

    // Scope of a command that can fail or that rebuilds, loads, saves or exports the
    // level. While one is open the editor is busy and the viewport disabled; every way
    // out of the command enables the viewport again and gives it the keys.
    class CommandScope {
      public:
        explicit CommandScope(Editor& e);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

      private:
        Editor& e_;
    };
    bool busy() const { return commandDepth_ > 0; }

  signals:
    void controlsChanged();
    // The values under the pointer (or the progress) changed; nothing else did.
    void labelsChanged();
    // A picture has new pixels in `area`, or everywhere when it is empty.
    void pictureChanged(vortan::ShownPicture which, QRect area = {});
    void focusRequested(vortan::FocusTarget target);
    void closeRequested();

  private:
    friend class ViewportInput;
    friend class ViewMoves;

    // The unsaved-work question: true when the level may be replaced.
    bool mayDiscardLevel();
    void loadChosenFile(const QString& path);
    bool saveLevelInside();
    void switchView(View::Shown shown);
    // A new empty level of this size, scrolled home, with a navigator for it.
    void makeEmptyLevel(int width, int height);
    void recoverLevel(const RecoveredLevel& level);
    void undoOrRedo(bool redo);
    // The level took another size: the navigator, the layout and the scroll follow; the
    // level's content moved by `shift`.
    void showNewSize(QPoint shift);
    void brushChanged();
    void focusViewportIfAllowed();
    // The viewport painted anew from the level, without the preview.
    void redrawViewport();
    void buildThumbnail();
    LongWork work(bool withProgress);
    void startProgress(float passes);
    void yield() {
        if (yieldHook_) yieldHook_();
    }

    UserDialogs& ui_;
    EditorFolders folders_;
    std::unique_ptr<RandomSource> random_;
    LevelDocument level_;
    View view_;
    Brush brush_;
    GameFolder gameFolder_;
    SharedDialog dialog_;
    NewLevelForm newLevelForm_;
    OptionsForm optionsForm_;
    ResizeLevelForm resizeForm_;
    Controls controls_;
    std::function<void()> yieldHook_;
    QSize windowOuter_;
    float progressSum_ = 0;
    float progressPasses_ = 1;
    bool started_ = false;
    int commandDepth_ = 0;
    bool closePending_ = false;
    ViewportInput input_{*this};
    RecoveryService recovery_;
};

} // namespace vortan
