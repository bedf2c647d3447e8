#include "app/Editor.h"
#include "app/MainWindow.h"
#include "app/QtUserDialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vortan::QtUserDialogs ui;
    vortan::Editor editor(ui, QCoreApplication::applicationDirPath(),
                          std::make_unique<vortan::ClockRandom>());
    if (!editor.start()) return 0;
    vortan::MainWindow window(editor);
    ui.setParent(&window);
    window.show();
    return app.exec();
}
