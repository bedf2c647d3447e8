#pragma once

#include "core/Colour.h"
#include "core/RandomSource.h"
#include "dialogs/UserDialogs.h"

#include <QSize>
#include <QString>
#include <functional>

namespace vortan {

// The New Level dialog's fields and buttons, without any widget. The editor keeps it,
// so that the next New shows what the user last left in it.
class NewLevelForm {
  public:
    // memory: what the process may use, which bounds the level's size.
    NewLevelForm(UserDialogs& ui, RandomSource& random, qint64 memory);

    const QString& name() const { return name_; }
    const QString& widthText() const { return width_; }
    const QString& heightText() const { return height_; }
    // Width times height, and the colour that warns of a size the game may not load.
    const QString& sizeText() const { return size_; }
    Colour sizeBackground() const { return sizeBackground_; }
    // Told whenever the fields change, before any warning about the new size is shown.
    void onSizeShown(std::function<void()> shown) { sizeShown_ = std::move(shown); }

    // Each showing starts with nothing chosen.
    void begin() { accepted_ = false; }
    // The user types (or a random button writes) into a field.
    void setName(const QString& text) { name_ = text; }
    void setWidthText(const QString& text);
    void setHeightText(const QString& text);
    void pickRandomName();
    // Random sizes until the level has fewer than 2 million pixels.
    void pickRandomSize();
    // OK: false when the values cannot make a level (the user was told why) and the
    // dialog stays open; true when the dialog closes with a choice.
    bool accept();
    // Cancel, Escape or the window's close box.
    void cancel() { accepted_ = false; }

    bool accepted() const { return accepted_; }
    QString chosenName() const;
    QSize chosenSize() const { return chosenSize_; }

  private:
    void sizeChanged();
    bool refuse(const QString& text);

    UserDialogs& ui_;
    RandomSource& random_;
    qint64 memory_;
    QString name_ = "Type the name of the level here";
    QString width_ = "1280";
    QString height_ = "768";
    QString size_;
    Colour sizeBackground_ = kWhite;
    bool accepted_ = false;
    QSize chosenSize_;
    std::function<void()> sizeShown_;
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
