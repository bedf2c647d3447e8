#pragma once

#include "core/Colour.h"
#include "core/RandomSource.h"
#include "dialogs/UserDialogs.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <algorithm>
#include <functional>
#include <optional>

namespace vortan {

// A level's width and height as typed, with their product and the colour that warns of
// a size the game may not load (New Level and Resize Level).
class LevelSizeFields {
  public:
    // memory: what the process may use, which bounds the level's size. `title` names the
    // dialog in its refusals.
    LevelSizeFields(UserDialogs& ui, qint64 memory, QString title);

    const QString& widthText() const { return width_; }
    const QString& heightText() const { return height_; }
    // Width times height, and the colour that warns of a size the game may not load.
    const QString& sizeText() const { return size_; }
    Colour sizeBackground() const { return sizeBackground_; }
    // Told whenever the fields change, before any warning about the new size is shown.
    void onSizeShown(std::function<void()> shown) { sizeShown_ = std::move(shown); }
    // The user types (or a random button writes) into a field.
    void setWidthText(const QString& text);
    void setHeightText(const QString& text);
    // OK: false when the values cannot make a level (the user was told why) and the
    // dialog stays open; true when the dialog closes with a choice.
    bool accept();
    // Cancel, Escape or the window's close box.
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }
    QSize chosenSize() const { return chosenSize_; }

  protected:
    // Each showing starts with nothing chosen.
    void beginChoice() { accepted_ = false; }
    // Both fields at once, without the warning.
    void showSize(QSize size);
    UserDialogs& ui_;

  private:
    void sizeChanged(bool warn = true);
    std::nullopt_t refuse(const QString& text);
    // The size the fields give: nothing when they cannot make a level (the user was told why).
    std::optional<QSize> typedSize();

    qint64 memory_;
    QString title_;
    QString width_ = "1280";
    QString height_ = "768";
    QString size_;
    Colour sizeBackground_ = kWhite;
    std::function<void()> sizeShown_;
    bool accepted_ = false;
    QSize chosenSize_;
};

// The New Level dialog's fields and buttons, without any widget. The editor keeps it,
// so that the next New shows what the user last left in it.
class NewLevelForm : public LevelSizeFields {
  public:
    NewLevelForm(UserDialogs& ui, RandomSource& random, qint64 memory);

    const QString& name() const { return name_; }

    void begin() { beginChoice(); }
    void setName(const QString& text) { name_ = text; }
    void pickRandomName();
    // Random sizes until the level has fewer than 2 million pixels.
    void pickRandomSize();
    QString chosenName() const;

  private:
    RandomSource& random_;
    QString name_ = "Type the name of the level here";
};

// The Resize Level dialog: the new width and height, and which of nine places (0 to 8,
// row by row from the top left) of the new size keeps the level.
class ResizeLevelForm : public LevelSizeFields {
  public:
    ResizeLevelForm(UserDialogs& ui, qint64 memory) : LevelSizeFields(ui, memory, "Resize Level") {}

    // Each showing starts from the level's size; the anchor stays as last left.
    void begin(QSize current);
    QSize currentSize() const { return current_; }
    int anchor() const { return anchor_; }
    void setAnchor(int anchor) { anchor_ = std::clamp(anchor, 0, 8); }
    // Where the level's top-left corner lands in the new size: at the anchor's side, or
    // in the middle, an odd pixel more or less falling to the right and the bottom.
    QPoint shift() const;

  private:
    QSize current_;
    int anchor_ = 4; // the middle
};

// The Options dialog: the level's name.
class OptionsForm {
  public:
    explicit OptionsForm(RandomSource& random) : random_(random) {}

    const QString& name() const { return name_; }
    void setName(const QString& text) { name_ = text; }
    // Each showing starts from the level's current name.
    void begin(const QString& currentName);
    void pickRandomName();
    void accept() { accepted_ = true; }
    void cancel() { accepted_ = false; }

    bool accepted() const { return accepted_; }
    QString chosenName() const;

  private:
    RandomSource& random_;
    QString name_;
    bool accepted_ = false;
};

} // namespace vortan
