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
    OKButton = button(this, "OK", {312, 8, 81, 25});
    OKButton->setDefault(true); // Enter presses OK
    CancelButton = button(this, "Cancel", {312, 40, 81, 25});
    Text1 = field(this, {8, 8, 177, 19});
    Command1 = button(this, "Random", {192, 8, 65, 25});
    Text2 = field(this, {8, 56, 41, 19});
    Text3 = field(this, {56, 56, 41, 19});
    Command2 = button(this, "Random", {192, 56, 65, 25});
    label(this, "Width", {8, 40, 33, 17});
    label(this, "Height", {56, 40, 33, 17});
    label(this, "Size", {112, 40, 25, 17});
    label(this, "Computers with a 2MB graphics card,", {8, 96, 225, 17});
    label(this, "can get performance problems if Size is much over 900000.", {8, 112, 313, 17});
    Text4 = field(this, {112, 56, 57, 19});
    Text4->setReadOnly(true);
    Text4->setFocusPolicy(Qt::NoFocus);
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Command2);

    connect(Text1, &QLineEdit::textEdited, this, [this](const QString& t) { form_.setText1(t); });
    connect(Text2, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.setText2(t);
        sync();
    });
    connect(Text3, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.setText3(t);
        sync();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        form_.command1Click();
        sync();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        form_.command2Click();
        sync();
    });
    connect(OKButton, &QPushButton::clicked, this, [this] {
        if (form_.okClick()) accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, &NewLevelDialog::reject);
    sync();
}

void NewLevelDialog::sync() {
    const QSignalBlocker b1(Text1), b2(Text2), b3(Text3);
    if (Text1->text() != form_.text1()) Text1->setText(form_.text1());
    if (Text2->text() != form_.text2()) Text2->setText(form_.text2());
    if (Text3->text() != form_.text3()) Text3->setText(form_.text3());
    Text4->setText(form_.text4());
    const Colour c = form_.text4Back();
    Text4->setStyleSheet(QString("QLineEdit { background: rgb(%1, %2, %3); color: black; }")
                             .arg(redOf(c))
                             .arg(greenOf(c))
                             .arg(blueOf(c)));
}

void NewLevelDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Typing replaces the proposed name.
    Text1->setFocus();
    Text1->selectAll();
}

void NewLevelDialog::reject() {
    form_.cancelClick();
    QDialog::reject();
}

OptionsDialog::OptionsDialog(OptionsForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    fixedDialog(this, "Options");
    OKButton = button(this, "OK", {312, 8, 81, 25});
    OKButton->setDefault(true);
    CancelButton = button(this, "Cancel", {312, 40, 81, 25});
    Text1 = field(this, {8, 32, 177, 19});
    label(this, "Name", {8, 16, 81, 17});
    Command1 = button(this, "&Random", {192, 32, 65, 25});
    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Text1);
    setTabOrder(Text1, Command1);

    connect(Text1, &QLineEdit::textEdited, this, [this](const QString& t) { form_.setText1(t); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        form_.command1Click();
        Text1->setText(form_.text1());
    });
    connect(OKButton, &QPushButton::clicked, this, [this] {
        form_.okClick();
        accept();
    });
    connect(CancelButton, &QPushButton::clicked, this, &OptionsDialog::reject);
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    form_.activate();
    Text1->setText(form_.text1());
    // The name is what the user came for: ready to be typed over.
    Text1->setFocus();
    Text1->selectAll();
}

void OptionsDialog::reject() {
    form_.cancelClick();
    QDialog::reject();
}

} // namespace vortan
