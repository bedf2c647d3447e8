#pragma once

#include "core/Numbers.h"
#include "core/PictureSurface.h"
#include <QString>

namespace vortan {

class Editor;

// The New Level dialog's fields and buttons, without any widget. Kept by the editor so
// that the next New shows what the user last left in it.
class NewLevelForm {
  public:
    explicit NewLevelForm(Editor& editor);

    const QString& text1() const { return text1_; }
    const QString& text2() const { return text2_; }
    const QString& text3() const { return text3_; }
    const QString& text4() const { return text4_; }
    Colour text4Back() const { return text4Back_; }

    // The user types (or the random buttons write) into a field.
    void setText1(const QString& text) { text1_ = text; }
    void setText2(const QString& text);
    void setText3(const QString& text);
    void command1Click(); // random name
    void command2Click(); // random size
    // OK: false when the values cannot make a level (the user was told why): the
    // dialog stays open. True: the name and size are the editor's and the dialog closes.
    bool okClick();
    // Cancel, Escape or the window's close box.
    void cancelClick();

  private:
    void sizeChanged();
    void setText4(const QString& text);
    bool refuse(const QString& text);

    Editor& editor_;
    QString text1_ = "Type the name of the level here";
    QString text2_ = "1280";
    QString text3_ = "768";
    QString text4_;
    Colour text4Back_ = kWhite;
};

// The Options dialog: the level's name.
class OptionsForm {
  public:
    explicit OptionsForm(Editor& editor) : editor_(editor) {}

    const QString& text1() const { return text1_; }
    void setText1(const QString& text) { text1_ = text; }
    // Each time the dialog is shown: it starts from the current name.
    void activate();
    void command1Click(); // random name
    void okClick();
    void cancelClick() {}

  private:
    Editor& editor_;
    QString text1_;
};

} // namespace vortan
