#include "core/MainWindow.h"
#include "view/SurfaceWidget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace vortan {

namespace {
const char* kBrushTip = "Left Click = New color,  Right Click = Load Brush";
const char* kViewTip = "If you are in doubt, Click on 'Level'";
} // namespace

QPushButton* MainWindow::addButton(const char* caption, int y, const char* tooltip) {
    auto* b = new QPushButton(caption, Frame1);
    b->setGeometry(16, y, 73, 25);
    if (tooltip) b->setToolTip(tooltip);
    return b;
}

QLabel* MainWindow::addValueLabel(int x, QColor background, const char* tooltip) {
    auto* l = new QLabel("0 ", Frame1);
    l->setGeometry(x, 280, 30, 17);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setToolTip(tooltip);
    return l;
}

MainWindow::MainWindow(Editor& editor) : editor_(editor) {
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    setFont(font);
    resize(kStartClient);

    Frame1 = new QFrame(this);
    Frame1->setGeometry(8, 0, 105, 412);
    Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);

    Command2 = addButton("&New", 24, "Create a new empty level");
    Command3 = addButton("&Random", 48, "Create a new level with random content");
    Command5 = addButton("L&oad", 80, "Load a level from disk");
    saveLevel = addButton("&Save", 104, "Save your level before it is to late!");
    Command6 = addButton("&Export", 136, "Make your level ready to play");
    Command4 = addButton("Le&vel -> Map", 168, nullptr);
    Command7 = addButton("&Options", 200, "Change the name of your level");
    Command1 = addButton("&Help", 232, "View the Help file");

    rValue = addValueLabel(8, QColor(255, 180, 180), "The Red portion of your current color");
    gValue = addValueLabel(38, QColor(180, 255, 180), "The Green portion of your current color");
    bValue = addValueLabel(67, QColor(180, 180, 255), "The Blue portion of your current color");

    Brush = new SurfaceWidget(editor_.Brush, Frame1);
    Brush->setGeometry(QRect({8, 296}, kBrushOuter));
    Brush->setToolTip(kBrushTip);
    mapBrush = new SurfaceWidget(editor_.mapBrush, Frame1);
    mapBrush->setGeometry(QRect({8, 296}, kBrushOuter));
    mapBrush->setToolTip(kBrushTip);

    Combo1 = new QComboBox(Frame1);
    Combo1->setGeometry(8, 384, 89, 21);
    Combo1->setToolTip("Choose the property of your brush");
    for (const MaterialEntry& m : kMaterialList)
        Combo1->addItem(m.name);

    Thumb = new SurfaceWidget(editor_.Thumb, this);
    Thumb->setToolTip("Click to move around on your level");

    const char* viewCaptions[3] = {"&Level", "&Map", "&Thumbnail"};
    for (int i = 0; i < 3; ++i) {
        vPort[i] = new QRadioButton(viewCaptions[i], this);
        // The last caption gets the room up to the zoom box so that it is read in full.
        vPort[i]->setGeometry(120 + 56 * i, 8, i == 2 ? 72 : 57, 17);
        vPort[i]->setToolTip(i == 0 ? "This is where you do most of your drawing" : kViewTip);
    }
    vPort[0]->setChecked(true);
    zoomEnabled = new QCheckBox("&Zoom", this);
    zoomEnabled->setGeometry(304, 8, 57, 17);

    viewPort = new SurfaceWidget(editor_.viewPort, this);
    viewPort->move(120, 24);
    viewPort->setFocusPolicy(Qt::StrongFocus);
    thumbNail = new SurfaceWidget(editor_.thumbNail, this);
    thumbNail->setGeometry(QRect({120, 24}, kThumbNailOuter));
    thumbNail->setFocusPolicy(Qt::StrongFocus);

    QWidget* order[] = {Command2, Command3, Command5, saveLevel, Command6, Command4,    Command7,
                        Command1, Combo1,   vPort[0], vPort[1],  vPort[2], zoomEnabled, viewPort};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(zoomEnabled, &QCheckBox::clicked, this,
            [this](bool ticked) { editor_.zoomEnabled_Click(ticked); });
    // A repaint request runs the viewport's redraw once the event that asked for it is done.
    connect(viewPort, &SurfaceWidget::repaintRequested, this, [this] {
        if (repaintQueued_) return;
        repaintQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            repaintQueued_ = false;
            editor_.viewPort_Paint();
        });
    });
    connect(Combo1, &QComboBox::activated, this,
            [this](int index) { editor_.chooseMaterialEntry(Combo1->itemText(index)); });
    for (int i = 0; i < 3; ++i)
        connect(vPort[i], &QRadioButton::clicked, this, [this, i] { editor_.vPort_Click(i); });
    connect(Brush, &SurfaceWidget::mousePressed, this,
            [this](int16_t button, int16_t, float, float) { editor_.Brush_MouseDown(button); });
    connect(mapBrush, &SurfaceWidget::mousePressed, this,
            [this](int16_t button, int16_t, float, float) { editor_.mapBrush_MouseDown(button); });
    connect(Thumb, &SurfaceWidget::mousePressed, &editor_, &Editor::Thumb_MouseDown);
    connect(Thumb, &SurfaceWidget::mouseMoved, &editor_, &Editor::Thumb_MouseMove);
    connect(viewPort, &SurfaceWidget::mousePressed, &editor_, &Editor::viewPort_MouseDown);
    connect(viewPort, &SurfaceWidget::mouseMoved, &editor_, &Editor::viewPort_MouseMove);
    connect(viewPort, &SurfaceWidget::keyPressed, &editor_, &Editor::viewPort_KeyDown);
    connect(Command4, &QPushButton::clicked, &editor_, &Editor::Command4_Click);
    connect(saveLevel, &QPushButton::clicked, &editor_, &Editor::saveLevel_Click);
    connect(Command5, &QPushButton::clicked, &editor_, &Editor::Command5_Click);
    connect(Command6, &QPushButton::clicked, &editor_, &Editor::Command6_Click);
    connect(Command2, &QPushButton::clicked, &editor_, &Editor::Command2_Click);
    connect(Command3, &QPushButton::clicked, &editor_, &Editor::Command3_Click);
    connect(Command7, &QPushButton::clicked, &editor_, &Editor::Command7_Click);
    connect(Command1, &QPushButton::clicked, &editor_, &Editor::Command1_Click);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, &editor_, &Editor::Timer1_Timer);
    timer->start(2500);
    connect(&editor_, &Editor::controlsChanged, this, &MainWindow::syncControls);
    connect(&editor_, &Editor::surfaceChanged, this, &MainWindow::showSurface);
    connect(&editor_, &Editor::focusRequested, this, [this](FocusTarget t) {
        // Qt ignores the focus on a disabled widget: the viewport is enabled first.
        syncControls();
        (t == FocusTarget::ViewPort ? viewPort : thumbNail)->setFocus();
    });
    connect(&editor_, &Editor::closeRequested, this,
            [this] { QTimer::singleShot(0, this, &QWidget::close); });
    editor_.yieldHook = [] { QCoreApplication::processEvents(); };
    syncControls();
}

QSize MainWindow::outerSize() const {
    const QSize frame = frameGeometry().size();
    return frame.width() >= width() && frame.height() >= height() ? frame : size();
}

void MainWindow::syncControls() {
    const Controls& c = editor_.controls;
    setWindowTitle(c.title);
    rValue->setText(c.rValue);
    gValue->setText(c.gValue);
    bValue->setText(c.bValue);
    // While a command runs (and yields), nothing that starts another or changes what
    // it works on takes input.
    for (QWidget* b : std::initializer_list<QWidget*>{Command2, Command3, Command5, saveLevel, Command6,
                                                      Command4, Command7, vPort[0], vPort[1], vPort[2],
                                                      Combo1, Thumb, Brush, mapBrush})
        b->setEnabled(!c.busy);
    vPort[c.viewOption]->setChecked(true);
    zoomEnabled->setChecked(c.zoomTicked);
    Combo1->setCurrentIndex(Combo1->findText(c.comboText));
    zoomEnabled->setEnabled(c.zoomEnabled && !c.busy);
    zoomEnabled->setVisible(c.zoomVisible);
    viewPort->resize(c.viewPortOuter);
    viewPort->setEnabled(c.viewPortEnabled);
    viewPort->setVisible(c.viewPortVisible);
    thumbNail->setVisible(c.thumbNailVisible);
    Brush->setVisible(c.brushVisible);
    mapBrush->setVisible(c.mapBrushVisible);
    Thumb->setGeometry(8, 416, kThumbOuterWidth, c.thumbOuterHeight);
}

void MainWindow::showSurface(ShownSurface which) {
    switch (which) {
    case ShownSurface::ViewPort:
        viewPort->update();
        break;
    case ShownSurface::Thumb:
        Thumb->update();
        break;
    case ShownSurface::ThumbNail:
        thumbNail->update();
        break;
    case ShownSurface::Brush:
        Brush->update();
        break;
    case ShownSurface::MapBrush:
        mapBrush->update();
        break;
    }
}

void MainWindow::resizeEvent(QResizeEvent*) {
    editor_.Form_Resize(outerSize());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (editor_.Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

} // namespace vortan
