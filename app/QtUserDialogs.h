#pragma once

#include "dialogs/UserDialogs.h"
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>

namespace vortan {

// The editor's questions as Qt's message boxes and file and colour dialogs.
class QtUserDialogs : public UserDialogs {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgAnswer message(const QString& title, const QString& text, MsgButtons buttons, MsgIcon icon) override;
    bool openFile(DialogSettings& settings) override;
    bool saveFile(DialogSettings& settings) override;
    bool chooseColour(DialogSettings& settings) override;
    void beep() override;
    void showNewLevel(NewLevelForm& form) override;
    void showOptions(OptionsForm& form) override;
    void showResizeLevel(ResizeLevelForm& form) override;
    void openDocument(const QString& path) override;

    // The help page in a window of the editor's own; the one open already when there is one.
    void showHelpWindow(const QString& path);
    QTextBrowser* helpWindow() const { return helpWindow_; }

    // "label|*.a;*.b|label2|*.c" as Qt's name filters.
    static QStringList nameFilters(const QString& filter);

  private:
    bool runFileDialog(DialogSettings& settings, bool save);
    QPointer<QWidget> parent_;
    QPointer<QTextBrowser> helpWindow_;
};

} // namespace vortan
