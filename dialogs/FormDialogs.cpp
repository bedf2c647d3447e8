#include "dialogs/FormDialogs.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <functional>

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

// The size on white, yellow or red, as its form says.
void showSizeColour(QLineEdit* field, Colour c) {
    field->setStyleSheet(QString("QLineEdit { background: rgb(%1, %2, %3); color: black; }")
                             .arg(redOf(c))
                             .arg(greenOf(c))
                             .arg(blueOf(c)));
}

// What New Level and Resize Level say under the size.
void sizeAdvice(QWidget* parent) {
    label(parent, "Computers with a 2MB graphics card,", {8, 96, 225, 17});
    label(parent, "can get performance problems if Size is much over 900000.", {8, 112, 313, 17});
}

// Typing into the width or height goes to the form, and `sync` shows the form again.
void takeSizeEdits(QDialog* d, LevelSizeFields& form, QLineEdit* width, QLineEdit* height,
                   const std::function<void()>& sync) {
    QObject::connect(width, &QLineEdit::textEdited, d, [&form, sync](const QString& t) {
        form.setWidthText(t);
        sync();
    });
    QObject::connect(height, &QLineEdit::textEdited, d, [&form, sync](const QString& t) {
        form.setHeightText(t);
        sync();
    });
}

// The form's width, height and size in their fields, the size on its colour; the caller
// blocks the fields' signals.
void showSizeFields(const LevelSizeFields& form, QLineEdit* width, QLineEdit* height, QLineEdit* size) {
    if (width->text() != form.widthText()) width->setText(form.widthText());
    if (height->text() != form.heightText()) height->setText(form.heightText());
    size->setText(form.sizeText());
    showSizeColour(size, form.sizeBackground());
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
    sizeAdvice(this);
    sizeField = field(this, {112, 56, 57, 19});
    sizeField->setEnabled(false); // shows the size, never takes it
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, nameEdit);
    setTabOrder(nameEdit, randomNameButton);
    setTabOrder(randomNameButton, widthEdit);
    setTabOrder(widthEdit, heightEdit);
    setTabOrder(heightEdit, randomSizeButton);

    connect(nameEdit, &QLineEdit::textEdited, this, [this](const QString& t) { form_.setName(t); });
    takeSizeEdits(this, form_, widthEdit, heightEdit, [this] { sync(); });
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
    showSizeFields(form_, widthEdit, heightEdit, sizeField);
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

ResizeLevelDialog::ResizeLevelDialog(ResizeLevelForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    fixedDialog(this, "Resize Level");
    okButton = button(this, "OK", {312, 8, 81, 25});
    okButton->setDefault(true);
    cancelButton = button(this, "Cancel", {312, 40, 81, 25});
    label(this, "Width", {8, 8, 33, 17});
    label(this, "Height", {56, 8, 33, 17});
    label(this, "Size", {112, 8, 25, 17});
    widthEdit = field(this, {8, 24, 41, 19});
    heightEdit = field(this, {56, 24, 41, 19});
    sizeField = field(this, {112, 24, 57, 19});
    sizeField->setEnabled(false);
    auto* now = new QLabel(QString("The level is %1 x %2 pixels.")
                               .arg(form.currentSize().width())
                               .arg(form.currentSize().height()),
                           this);
    now->setGeometry(8, 56, 180, 17);
    label(this, "The level stays at", {192, 8, 110, 17});
    sizeAdvice(this);
    auto* anchors = new QButtonGroup(this);
    const char* arrows[9] = {"\u2196", "\u2191", "\u2197", "\u2190", "\u25CF",
                             "\u2192", "\u2199", "\u2193", "\u2198"};
    const char* places[9] = {"top left", "top",         "top right", "left",        "the middle",
                             "right",    "bottom left", "bottom",    "bottom right"};
    for (int i = 0; i < 9; ++i) {
        QToolButton* b = anchorButtons[i] = new QToolButton(this);
        b->setGeometry(192 + 22 * (i % 3), 26 + 22 * (i / 3), 21, 21);
        b->setText(QString::fromUtf8(arrows[i]));
        b->setCheckable(true);
        b->setToolTip(
            QString("Keep the level at the %1; new area is black, with no material").arg(places[i]));
        anchors->addButton(b, i);
    }
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, widthEdit);
    setTabOrder(widthEdit, heightEdit);
    setTabOrder(heightEdit, anchorButtons[0]);

    takeSizeEdits(this, form_, widthEdit, heightEdit, [this] { sync(); });
    connect(anchors, &QButtonGroup::idClicked, this, [this](int id) { form_.setAnchor(id); });
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (form_.accept()) accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &ResizeLevelDialog::reject);
    form_.onSizeShown([this] { sync(); });
    sync();
}

ResizeLevelDialog::~ResizeLevelDialog() {
    form_.onSizeShown({});
}

void ResizeLevelDialog::sync() {
    const QSignalBlocker b1(widthEdit), b2(heightEdit);
    showSizeFields(form_, widthEdit, heightEdit, sizeField);
    anchorButtons[form_.anchor()]->setChecked(true);
}

void ResizeLevelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    widthEdit->setFocus();
    widthEdit->selectAll();
}

void ResizeLevelDialog::reject() {
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
