#pragma once

#include "dialogs/Forms.h"
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vortan {

// The New Level dialog on screen: shows the form and hands it every edit and click.
class NewLevelDialog : public QDialog {
    Q_OBJECT
  public:
    NewLevelDialog(NewLevelForm& form, QWidget* parent);

    QLineEdit *Text1, *Text2, *Text3, *Text4;
    QPushButton *Command1, *Command2, *OKButton, *CancelButton;

    // Cancel, Escape and the close box all cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void sync();
    NewLevelForm& form_;
};

// The Options dialog on screen.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(OptionsForm& form, QWidget* parent);

    QLineEdit* Text1;
    QPushButton *Command1, *OKButton, *CancelButton;

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    OptionsForm& form_;
};

} // namespace vortan
