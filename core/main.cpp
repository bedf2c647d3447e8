#include "core/Editor.h"
#include "core/MainWindow.h"
#include "core/QtUserDialogs.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vortan::QtUserDialogs ui;
    vortan::Editor editor(ui, QCoreApplication::applicationDirPath());
    if (!editor.Form_Load()) return 0;
    vortan::MainWindow window(editor);
    ui.setParent(&window);
    window.show();
    return app.exec();
}
