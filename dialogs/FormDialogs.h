#pragma once

#include "dialogs/Forms.h"
#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace vortan {

// The New Level dialog on screen: shows the form and hands it every edit and click.
class NewLevelDialog : public QDialog {
    Q_OBJECT
  public:
    NewLevelDialog(NewLevelForm& form, QWidget* parent);
    ~NewLevelDialog() override;

    QLineEdit *nameEdit, *widthEdit, *heightEdit, *sizeField;
    QPushButton *randomNameButton, *randomSizeButton, *okButton, *cancelButton;

    // Cancel, Escape and the close box all cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void sync();
    NewLevelForm& form_;
};

// The Resize Level dialog on screen: width, height and size as in New, and nine buttons
// that choose where the level stays.
class ResizeLevelDialog : public QDialog {
    Q_OBJECT
  public:
    ResizeLevelDialog(ResizeLevelForm& form, QWidget* parent);
    ~ResizeLevelDialog() override;

    QLineEdit *widthEdit, *heightEdit, *sizeField;
    QToolButton* anchorButtons[9];
    QPushButton *okButton, *cancelButton;

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void sync();
    ResizeLevelForm& form_;
};

// The Options dialog on screen.
class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(OptionsForm& form, QWidget* parent);

    QLineEdit* nameEdit;
    QPushButton *randomNameButton, *okButton, *cancelButton;

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    OptionsForm& form_;
};

} // namespace vortan
