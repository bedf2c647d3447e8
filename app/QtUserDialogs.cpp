#include "app/QtUserDialogs.h"

#include "dialogs/FormDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace vortan {

MsgAnswer QtUserDialogs::message(const QString& title, const QString& text, MsgButtons buttons,
                                 MsgIcon icon) {
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    // Line breaks come as line feed then carriage return; Qt wants the feed alone.
    box.setText(QString(text).replace("\n\r", "\n"));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MsgButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::OK;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

QStringList QtUserDialogs::nameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns from the label's last brackets: give it only ours.
        QString label = parts[i].trimmed();
        if (label.endsWith(')') && label.contains('(')) label = label.left(label.lastIndexOf('(')).trimmed();
        QString patterns = parts[i + 1];
        out << QString("%1 (%2)").arg(label, patterns.replace(';', ' '));
    }
    return out;
}

bool QtUserDialogs::runFileDialog(DialogSettings& s, bool save) {
    QFileDialog dlg(parent_, s.title, s.initialFolder);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(s.filter);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (s.filterIndex >= 1 && s.filterIndex <= filters.size())
            dlg.selectNameFilter(filters[s.filterIndex - 1]);
    }
    if (!s.defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(QString(s.defaultSuffix).remove(0, s.defaultSuffix.startsWith('.') ? 1 : 0));
    if (save && !s.askBeforeReplacing) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (!s.path.isEmpty()) dlg.selectFile(s.path);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    s.path = dlg.selectedFiles().first();
    s.chosenName = QFileInfo(s.path).fileName();
    return true;
}

bool QtUserDialogs::openFile(DialogSettings& settings) {
    return runFileDialog(settings, false);
}
bool QtUserDialogs::saveFile(DialogSettings& settings) {
    return runFileDialog(settings, true);
}

bool QtUserDialogs::chooseColour(DialogSettings& s) {
    const QColor start(redOf(s.colour), greenOf(s.colour), blueOf(s.colour));
    const QColor c = QColorDialog::getColor(start, parent_);
    if (!c.isValid()) return false;
    s.colour = rgb(c.red(), c.green(), c.blue());
    return true;
}

} // namespace vortan

namespace vortan {

void QtUserDialogs::beep() {
    QApplication::beep();
}

void QtUserDialogs::showNewLevel(NewLevelForm& form) {
    NewLevelDialog dialog(form, parent_);
    dialog.exec();
}

void QtUserDialogs::showOptions(OptionsForm& form) {
    OptionsDialog dialog(form, parent_);
    dialog.exec();
}

void QtUserDialogs::showResizeLevel(ResizeLevelForm& form) {
    ResizeLevelDialog dialog(form, parent_);
    dialog.exec();
}

void QtUserDialogs::openDocument(const QString& path) {
    // The desktop's opener runs on its own. Without one that works (no browser, no
    // xdg-open) the page shows in a window of ours, so Help always opens.
    auto* opener = new QProcess;
    auto showOurs = [this, opener, path] {
        opener->disconnect();
        opener->deleteLater();
        showHelpWindow(path);
    };
    QObject::connect(opener, &QProcess::errorOccurred, [showOurs](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) showOurs();
    });
    QObject::connect(opener, &QProcess::finished, [opener, showOurs](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) return showOurs();
        opener->deleteLater();
    });
    opener->start("xdg-open", {path});
}

void QtUserDialogs::showHelpWindow(const QString& path) {
    if (!helpWindow_) {
        helpWindow_ = new QTextBrowser(parent_);
        helpWindow_->setWindowFlag(Qt::Window);
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
        helpWindow_->setWindowTitle("VORTAN Level Editor Help");
        helpWindow_->setOpenExternalLinks(true); // web links go to the desktop, anchors stay here
        helpWindow_->resize(720, 640);
    }
    helpWindow_->setSource(QUrl::fromLocalFile(path));
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

} // namespace vortan
