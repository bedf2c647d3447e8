// A scripted session on an 8000 x 8000 level, to measure what memory it takes at its peak:
//   /usr/bin/time -v ./build/editor_session
// New, 10 strokes, 3 fills, 5 undos, 2 redos, as a user would give them.
#include "support/TestEditor.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    using namespace vortan;
    test::TestEditor e;
    e.newLevel(8000, 8000);
    Editor& editor = *e;
    for (int stroke = 0; stroke < 10; ++stroke) {
        editor.pressInViewport(Qt::LeftButton, {}, QPointF(50 + 20 * stroke, 50));
        for (int move = 1; move <= 30; ++move)
            editor.moveInViewport(Qt::LeftButton, {}, QPointF(50 + 20 * stroke + 5 * move, 50 + 12 * move));
        editor.releaseInViewport();
    }
    for (const QPointF at : {QPointF(500, 400), QPointF(30, 480), QPointF(590, 20)}) {
        editor.pressInViewport(Qt::LeftButton, Qt::ControlModifier, at);
        editor.releaseInViewport();
    }
    for (int i = 0; i < 5; ++i)
        editor.keyInViewport(Qt::Key_Z, Qt::ControlModifier);
    for (int i = 0; i < 2; ++i)
        editor.keyInViewport(Qt::Key_Y, Qt::ControlModifier);
    std::printf("level %d x %d, %d steps, history %.1f MB\n", editor.level().width(), editor.level().height(),
                editor.level().history().steps(), double(editor.level().history().bytes()) / 1e6);
    return 0;
}
