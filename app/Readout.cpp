#include "app/Readout.h"
#include "app/Editor.h"

namespace vortan {

namespace {
QString materialName(Colour c) {
    if (c == kNoColour) return "-";
    if (c == kBlack) return "Nothing";
    for (const MaterialEntry& m : kMaterialList)
        if (m.colour == c) return m.name;
    return "Wall (other colour)"; // the game takes any other colour for wall
}
} // namespace

QString readoutText(const Editor& e) {
    const QPoint at = e.controls().pointer;
    const View& v = e.view();
    const QString scale = v.zoomed() ? "6 (Zoom box)" : v.scaleName();
    return QString("x %1  y %2\n%3\nBrush %4\nScale %5\n%6")
        .arg(at.x())
        .arg(at.y())
        .arg(materialName(e.level().materialMap().pixelAt(at.x(), at.y())))
        .arg(e.brush().radius())
        .arg(scale)
        .arg(e.level().isModified() ? "* Unsaved" : "");
}

} // namespace vortan
