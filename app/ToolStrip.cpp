#include "app/ToolStrip.h"
#include "app/Editor.h"

#include <QKeySequence>
#include <QPainter>
#include <QToolButton>
#include <map>

namespace vortan {

namespace {
constexpr int kButton = 19;

// A small drawing of what the tool makes.
QIcon iconFor(const QString& name) {
    QPixmap picture(13, 13);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    const QRectF box(1.5, 2.5, 10, 8);
    if (name == "Brush") {
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
    } else if (name == "Line") {
        p.drawLine(QPointF(1.5, 11.5), QPointF(11.5, 1.5));
    } else if (name.contains("rectangle", Qt::CaseInsensitive)) {
        if (name.startsWith("Filled")) p.setBrush(Qt::black);
        p.drawRect(box);
    } else if (name.contains("llipse")) {
        if (name.startsWith("Filled")) p.setBrush(Qt::black);
        p.drawEllipse(box);
    } else {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(box);
    }
    return QIcon(picture);
}

QString tipFor(const ToolChoice& c) {
    static const std::map<QString, QString> tips{
        {"Brush", "Brush: left paints, right erases"},
        {"Line", "Line: drag from end to end; left paints, right erases"},
        {"Rectangle", "Rectangle: drag from corner to corner; left paints, right erases"},
        {"Filled rectangle", "Filled rectangle: drag from corner to corner"},
        {"Ellipse", "Ellipse: drag from corner to corner; left paints, right erases"},
        {"Filled ellipse", "Filled ellipse: drag from corner to corner"},
        {"Select", "Select: drag a rectangle; Ctrl+C copies, Ctrl+X cuts, Ctrl+V pastes, Delete clears"}};
    const auto tip = tips.find(c.name);
    const QKeySequence key(c.shifted ? QKeyCombination(Qt::ShiftModifier, Qt::Key(c.key))
                                     : QKeyCombination(Qt::Key(c.key)));
    return (tip == tips.end() ? c.name : tip->second) + " (" + key.toString(QKeySequence::NativeText) + ")";
}
} // namespace

ToolStrip::ToolStrip(Editor& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    int x = 0;
    for (const ToolChoice& c : editor_.toolChoices()) {
        auto* b = new QToolButton(this);
        b->setGeometry(x, 0, kButton, kButton);
        x += kButton + 1;
        b->setIcon(iconFor(c.name));
        b->setToolTip(tipFor(c));
        b->setAccessibleName(c.name);
        b->setCheckable(true);
        b->setAutoRaise(true);
        // The keys stay with the viewport.
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, name = c.name] {
            editor_.chooseTool(name);
            sync(); // a click on the chosen tool keeps it chosen
        });
        buttons.push_back(b);
    }
    resize(x, kButton);
}

void ToolStrip::sync() {
    for (QToolButton* b : buttons)
        b->setChecked(b->accessibleName() == editor_.chosenTool());
}

} // namespace vortan
