#include "dialogs/FormDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace vortan {

namespace {

QLineEdit* field(QWidget* parent, QRect geometry) {
    auto* f = new QLineEdit(parent);
    f->setGeometry(geometry);
    return f;
}

QPushButton* button(QWidget* parent, const char* caption, QRect geometry) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

void label(QWidget* parent, const char* text, QRect geometry) {
    (new QLabel(text, parent))->setGeometry(geometry);
}

void fixedDialog(QDialog* d, const char* title) {
    d->setWindowTitle(title);
    d->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                      Qt::WindowCloseButtonHint);
    d->setFixedSize(402, 213);
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    d->setFont(font);
}

} // namespace

NewLevelDialog::NewLevelDialog(NewLevelForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    fixedDialog(this, "New Level");
    okButton = button(this, "OK", {312, 8, 81, 25});
    okButton->setDefault(true); // Enter presses OK
    cancelButton = button(this, "Cancel", {312, 40, 81, 25});
    nameEdit = field(this, {8, 8, 177, 19});
    randomNameButton = button(this, "Random", {192, 8, 65, 25});
    widthEdit = field(this, {8, 56, 41, 19});
    heightEdit = field(this, {56, 56, 41, 19});
    randomSizeButton = button(this, "Random", {192, 56, 65, 25});
    label(this, "Width", {8, 40, 33, 17});
    label(this, "Height", {56, 40, 33, 17});
    label(this, "Size", {112, 40, 25, 17});
    label(this, "Computers with a 2MB graphics card,", {8, 96, 225, 17});
    label(this, "can get performance problems if Size is much over 900000.", {8, 112, 313, 17});
    sizeField = field(this, {112, 56, 57, 19});
    sizeField->setEnabled(false); // shows the size, never takes it
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, nameEdit);
    setTabOrder(nameEdit, randomNameButton);
    setTabOrder(randomNameButton, widthEdit);
    setTabOrder(widthEdit, heightEdit);
    setTabOrder(heightEdit, randomSizeButton);

    connect(nameEdit, &QLineEdit::textEdited, this, [this](const QString& t) { form_.setName(t); });
    connect(widthEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.setWidthText(t);
        sync();
    });
    connect(heightEdit, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.setHeightText(t);
        sync();
    });
    connect(randomNameButton, &QPushButton::clicked, this, [this] {
        form_.pickRandomName();
        sync();
    });
    connect(randomSizeButton, &QPushButton::clicked, this, [this] {
        form_.pickRandomSize();
        sync();
    });
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (form_.accept()) accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &NewLevelDialog::reject);
    // A warning about the size comes up over the fields that caused it.
    form_.onSizeShown([this] { sync(); });
    sync();
}

NewLevelDialog::~NewLevelDialog() {
    form_.onSizeShown({});
}

void NewLevelDialog::sync() {
    const QSignalBlocker b1(nameEdit), b2(widthEdit), b3(heightEdit);
    if (nameEdit->text() != form_.name()) nameEdit->setText(form_.name());
    if (widthEdit->text() != form_.widthText()) widthEdit->setText(form_.widthText());
    if (heightEdit->text() != form_.heightText()) heightEdit->setText(form_.heightText());
    sizeField->setText(form_.sizeText());
    const Colour c = form_.sizeBackground();
    sizeField->setStyleSheet(QString("QLineEdit { background: rgb(%1, %2, %3); color: black; }")
                                 .arg(redOf(c))
                                 .arg(greenOf(c))
                                 .arg(blueOf(c)));
}

void NewLevelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Typing replaces the proposed name.
    nameEdit->setFocus();
    nameEdit->selectAll();
}

void NewLevelDialog::reject() {
    form_.cancel();
    QDialog::reject();
}

OptionsDialog::OptionsDialog(OptionsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    fixedDialog(this, "Options");
    okButton = button(this, "OK", {312, 8, 81, 25});
    okButton->setDefault(true);
    cancelButton = button(this, "Cancel", {312, 40, 81, 25});
    nameEdit = field(this, {8, 32, 177, 19});
    label(this, "Name", {8, 16, 81, 17});
    randomNameButton = button(this, "&Random", {192, 32, 65, 25});
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, nameEdit);
    setTabOrder(nameEdit, randomNameButton);

    connect(nameEdit, &QLineEdit::textEdited, this, [this](const QString& t) { form_.setName(t); });
    connect(randomNameButton, &QPushButton::clicked, this, [this] {
        form_.pickRandomName();
        nameEdit->setText(form_.name());
    });
    connect(okButton, &QPushButton::clicked, this, [this] {
        form_.accept();
        accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    nameEdit->setText(form_.name());
    // The name is what the user came for: ready to be typed over.
    nameEdit->setFocus();
    nameEdit->selectAll();
}

void OptionsDialog::reject() {
    form_.cancel();
    QDialog::reject();
}

} // namespace vortan
