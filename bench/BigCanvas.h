#pragma once

// An 8000 x 8000 level in a window whose viewport is 1920 x 1080, repainted offscreen as
// the window would be.
#include "app/MainWindow.h"
#include "support/TestEditor.h"
#include "view/PictureWidget.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>

namespace vortan {

struct BigCanvas {
    test::TestEditor e;
    MainWindow w{*e};
    // The window whose layout gives a 1920 x 1080 viewport; scale step `step` (or fit).
    explicit BigCanvas(benchmark::State& state, int step) {
        e.newLevel(8000, 8000);
        w.resize(2057, 1137);
        w.show();
        settle();
        w.resize(w.size() * 2 - w.outerSize()); // less the frame the layout counts
        settle();
        if (e->view().viewportSize() != QSize(1920, 1080)) state.SkipWithError("viewport size");
        setStep(step);
    }
    QString scale; // where the bench starts
    void setStep(int step) {
        e->view().setScaleStep(step);
        e->layOut(w.outerSize());
        scale = e->view().scaleName();
        e->view().scrollTo(e->level(), 3000, 3000);
        e->pressInNavigator({-1, -1}); // nothing: settles the view
        w.viewport->repaint();
        settle();
        // Zoomed out, the reduced copies the window makes between its other work.
        while (!e->view().makeReducedCopies(e->level(), std::chrono::seconds(1))) {
        }
    }
    void settle() { QApplication::processEvents(); }
};

} // namespace vortan
