#include "app/CommandLine.h"
#include "app/Editor.h"
#include "app/MainWindow.h"
#include "app/QtUserDialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName("vortan-editor");
    QCoreApplication::setApplicationVersion("1.0");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const vortan::CommandLine line = vortan::parseCommandLine(arguments);
    if (line.exitStatus) return *line.exitStatus;

    if (line.command != vortan::CommandLine::Command::Window) {
        // No display is needed: nothing is shown.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return vortan::runCommand(line);
    }

    QApplication app(argc, argv);
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
