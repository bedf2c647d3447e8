#include "app/CommandLine.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "app/QtUserDialogs.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would end the program with an abort; the level maker gets a
// message and status 1 instead.
[[noreturn]] void noDisplay() {
    auto shown = [](const char* name) {
        return qEnvironmentVariableIsEmpty(name) ? QString("not set")
                                                 : '"' + qEnvironmentVariable(name) + '"';
    };
    std::fprintf(stderr,
                 "vortan-editor: the window cannot be opened: no display can be reached (DISPLAY %s, "
                 "WAYLAND_DISPLAY %s).\nThe commands export, check, decode and folders need none; see "
                 "--help.\n",
                 qPrintable(shown("DISPLAY")), qPrintable(shown("WAYLAND_DISPLAY")));
    std::fflush(stderr);
    std::_Exit(1); // in the middle of Qt's start: nothing of ours to end
}

QtMessageHandler qtMessages = nullptr;

// While the window system is being reached, the one fatal message Qt gives is that none
// could be.
void whileReachingTheDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) noDisplay();
    if (qtMessages)
        qtMessages(type, context, text);
    else
        std::fputs(qPrintable(qFormatLogMessage(type, context, text) + "\n"), stderr);
}

bool platformChosen(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0) return true;
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName("vortan-editor");
    QCoreApplication::setApplicationVersion("1.0");
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const vortan::CommandLine line = vortan::parseCommandLine(arguments);
    if (line.exitStatus) return *line.exitStatus;

    if (line.command != vortan::CommandLine::Command::Window) {
        // No display is needed: nothing is shown.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return vortan::runCommand(line);
    }

    if (!platformChosen(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        noDisplay();
    qtMessages = qInstallMessageHandler(whileReachingTheDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);

    vortan::QtUserDialogs ui;
    vortan::Editor editor(ui, vortan::EditorFolders::forProgram(QCoreApplication::applicationDirPath()),
                          std::make_unique<vortan::ClockRandom>());
    if (!editor.start()) return 0;
    vortan::MainWindow window(editor);
    ui.setParent(&window);
    window.show();
    editor.offerRecovery();
    if (!line.files.isEmpty()) editor.openAtStart(line.files.first());
    return app.exec();
}
