#pragma once

#include "dialogs/UserDialogs.h"
#include <QPointer>
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
    void openDocument(const QString& path) override;

    // "label|*.a;*.b|label2|*.c" as Qt's name filters.
    static QStringList nameFilters(const QString& filter);

  private:
    bool runFileDialog(DialogSettings& settings, bool save);
    QPointer<QWidget> parent_;
};

} // namespace vortan
