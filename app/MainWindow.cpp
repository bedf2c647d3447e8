#include "app/MainWindow.h"
#include "app/Readout.h"
#include "app/ToolStrip.h"
#include "view/PictureWidget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>

namespace vortan {

namespace {
const char* kBrushTip = "Left Click = New color,  Right Click = Load Brush";
const char* kViewTip = "If you are in doubt, Click on 'Level'";
// Room for the readout's lines below the navigator.
constexpr int kReadoutHeight = 68;
} // namespace

QPushButton* MainWindow::addButton(const char* caption, int y, const char* tooltip) {
    auto* b = new QPushButton(caption, toolColumn);
    b->setGeometry(16, y, 73, 25);
    if (tooltip) b->setToolTip(tooltip);
    return b;
}

QLabel* MainWindow::addValueLabel(int x, QColor background, const char* tooltip) {
    auto* l = new QLabel("0 ", toolColumn);
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
    resize(760, 573);
    // The application's icon: the window and every dialog carry it.
    QGuiApplication::setWindowIcon(QIcon(":/icon.png"));
    setAcceptDrops(true);

    toolColumn = new QFrame(this);
    toolColumn->setGeometry(8, 0, 105, 412);
    toolColumn->setFrameStyle(QFrame::Box | QFrame::Sunken);

    // Each tooltip names the keys that do the same. Alt+O reaches both Load and Options,
    // so it moves between them; Ctrl+O loads.
    newButton = addButton("&New", 24, "Create a new empty level (Ctrl+N, Alt+N)");
    randomButton = addButton("&Random", 48, "Create a new level with random content (Alt+R)");
    loadButton = addButton("L&oad", 80, "Load a level from disk (Ctrl+O)");
    saveButton = addButton("&Save", 104, "Save your level before it is to late! (Alt+S)");
    exportButton = addButton("&Export", 136, "Make your level ready to play (Alt+E)");
    levelToMapButton = addButton("Le&vel -> Map", 168, "Everything not black becomes wall (Alt+V)");
    optionsButton = addButton("&Options", 200, "Change the name of your level");
    helpButton = addButton("&Help", 232, "View the Help file (F1, Alt+H)");

    redLabel = addValueLabel(8, QColor(255, 180, 180), "The Red portion of your current color");
    greenLabel = addValueLabel(38, QColor(180, 255, 180), "The Green portion of your current color");
    blueLabel = addValueLabel(67, QColor(180, 180, 255), "The Blue portion of your current color");

    colourBrush = new PictureWidget(&editor_.brush().colourBrush(), toolColumn);
    colourBrush->setGeometry(8, 296, Brush::kSide + 2 * kFrame, Brush::kSide + 2 * kFrame);
    colourBrush->setToolTip(kBrushTip);
    materialBrush = new PictureWidget(&editor_.brush().materialBrush(), toolColumn);
    materialBrush->setGeometry(colourBrush->geometry());
    materialBrush->setToolTip(kBrushTip);

    materialList = new QComboBox(toolColumn);
    materialList->setGeometry(8, 384, 89, 21);
    materialList->setToolTip("Choose the property of your brush");
    for (const MaterialEntry& m : kMaterialList)
        materialList->addItem(m.name);

    navigator = new NavigatorWidget(editor_.view(), this);
    navigator->setToolTip("Click to move around on your level");
    readout = new QLabel(this);
    readout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    readout->setToolTip("The level pixel under the pointer, the material there, the brush, the scale\n"
                        "(Ctrl+wheel, + and - zoom; G shows the grid from 8 up), and * while unsaved");

    const char* viewCaptions[3] = {"&Level", "&Map", "&Thumbnail"};
    const char* viewKeys[3] = {" (Alt+L)", " (Alt+M)", " (Alt+T)"};
    for (int i = 0; i < 3; ++i) {
        viewButtons[i] = new QRadioButton(viewCaptions[i], this);
        // The last caption gets the room up to the zoom box so that it is read in full.
        viewButtons[i]->setGeometry(120 + 56 * i, 8, i == 2 ? 72 : 57, 17);
        viewButtons[i]->setToolTip(QString(i == 0 ? "This is where you do most of your drawing" : kViewTip) +
                                   viewKeys[i]);
    }
    viewButtons[0]->setChecked(true);
    zoomBox = new QCheckBox("&Zoom", this);
    zoomBox->setGeometry(304, 8, 57, 17);
    zoomBox->setToolTip("Edit single pixels, six times larger (Alt+Z)");
    materialsBox = new QCheckBox("Materials", this);
    materialsBox->setGeometry(372, 8, 76, 17);
    toolStrip = new ToolStrip(editor_, this);
    toolStrip->move(452, 3);

    viewport = new ViewportWidget(editor_.view(), editor_.level(), this);
    viewport->move(120, 24);
    viewport->setFocusPolicy(Qt::StrongFocus);
    thumbnail = new PictureWidget(&editor_.view().thumbnail(), this);
    thumbnail->setGeometry(QRect({120, 24}, View::kThumbnailOuter));
    thumbnail->setFocusPolicy(Qt::StrongFocus);

    QWidget* order[] = {newButton,        randomButton,   loadButton, saveButton,   exportButton,
                        levelToMapButton, optionsButton,  helpButton, materialList, viewButtons[0],
                        viewButtons[1],   viewButtons[2], zoomBox,    materialsBox, viewport};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(zoomBox, &QCheckBox::clicked, &editor_, &Editor::setZoomed);
    connect(materialsBox, &QCheckBox::clicked, &editor_, &Editor::showMaterials);
    connect(materialList, &QComboBox::activated, this,
            [this](int index) { editor_.chooseMaterial(materialList->itemText(index)); });
    for (int i = 0; i < 3; ++i)
        connect(viewButtons[i], &QRadioButton::clicked, this,
                [this, i] { editor_.showView(View::Shown(i)); });
    connect(colourBrush, &PictureWidget::mousePressed, this,
            [this](Qt::MouseButton button) { editor_.pressOnBrush(button, true); });
    connect(materialBrush, &PictureWidget::mousePressed, this,
            [this](Qt::MouseButton button) { editor_.pressOnBrush(button, false); });
    connect(navigator, &PictureWidget::mousePressed, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, QPointF at) { editor_.pressInNavigator(at); });
    connect(navigator, &PictureWidget::mouseMoved, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPointF at) {
                editor_.moveInNavigator(buttons, at);
            });
    connect(viewport, &PictureWidget::mousePressed, &editor_, &Editor::pressInViewport);
    connect(viewport, &PictureWidget::mouseMoved, &editor_, &Editor::moveInViewport);
    connect(viewport, &PictureWidget::mouseReleased, &editor_, &Editor::releaseInViewport);
    connect(viewport, &PictureWidget::wheelTurned, &editor_, &Editor::wheelInViewport);
    connect(viewport, &PictureWidget::keyPressed, &editor_, &Editor::keyInViewport);
    connect(viewport, &PictureWidget::keyReleased, &editor_, &Editor::keyUpInViewport);
    connect(&editor_.level(), &LevelDocument::modifiedChanged, this, &MainWindow::syncLabels);
    // Window-wide keys; none of them takes a letter that chooses a material.
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newButton->click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_O), [this] { loadButton->click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_R), [this] { editor_.resizeLevel(); }},
        {QKeySequence(Qt::Key_F1), [this] { helpButton->click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); }}};
    for (const auto& [sequence, action] : keys)
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    connect(levelToMapButton, &QPushButton::clicked, &editor_, &Editor::levelToMap);
    connect(saveButton, &QPushButton::clicked, &editor_, &Editor::saveLevel);
    connect(loadButton, &QPushButton::clicked, &editor_, &Editor::loadLevel);
    connect(exportButton, &QPushButton::clicked, &editor_, &Editor::exportToGame);
    connect(newButton, &QPushButton::clicked, &editor_, &Editor::newLevel);
    connect(randomButton, &QPushButton::clicked, &editor_, &Editor::randomLevel);
    connect(optionsButton, &QPushButton::clicked, &editor_, &Editor::renameLevel);
    connect(helpButton, &QPushButton::clicked, &editor_, &Editor::showHelp);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, &editor_, &Editor::refreshNavigatorIfStale);
    timer->start(2500);
    connect(&editor_, &Editor::controlsChanged, this, &MainWindow::syncControls);
    connect(&editor_, &Editor::labelsChanged, this, &MainWindow::syncLabels);
    connect(&editor_, &Editor::pictureChanged, this, &MainWindow::showPicture);
    connect(&editor_, &Editor::focusRequested, this, [this](FocusTarget t) {
        // Qt ignores the focus on a disabled widget: the viewport is enabled first.
        syncControls();
        (t == FocusTarget::Viewport ? viewport : thumbnail)->setFocus();
    });
    connect(&editor_, &Editor::closeRequested, this,
            [this] { QTimer::singleShot(0, this, &QWidget::close); });
    editor_.setYieldHook([] { QCoreApplication::processEvents(); });
    syncControls();
}

QSize MainWindow::outerSize() const {
    const QSize frame = frameGeometry().size();
    return frame.width() >= width() && frame.height() >= height() ? frame : size();
}

void MainWindow::syncControls() {
    const Controls& c = editor_.controls();
    const View& view = editor_.view();
    const bool levelOrMap = view.shown() != View::Shown::Thumbnail;
    setWindowTitle(c.title);
    syncLabels();
    // While a command runs (and yields), nothing that starts another or changes what
    // it works on takes input.
    for (QWidget* w :
         std::initializer_list<QWidget*>{newButton, randomButton, loadButton, saveButton, exportButton,
                                         levelToMapButton, optionsButton, viewButtons[0], viewButtons[1],
                                         viewButtons[2], materialList, navigator, colourBrush, materialBrush})
        w->setEnabled(!c.busy);
    viewButtons[int(view.shown())]->setChecked(true);
    zoomBox->setChecked(view.zoomed());
    zoomBox->setEnabled(levelOrMap && !c.busy);
    zoomBox->setVisible(levelOrMap);
    materialsBox->setChecked(view.materialsWanted());
    materialsBox->setEnabled(view.shown() == View::Shown::Level && !c.busy);
    materialsBox->setVisible(levelOrMap);
    materialsBox->setToolTip(QString("Show the materials over the colours in the Level view (V), at %1 % "
                                     "(Shift+V: 25, 50 or 75 %)")
                                 .arg(view.materialsOpacity()));
    toolStrip->sync();
    toolStrip->setVisible(levelOrMap);
    toolStrip->setEnabled(!c.busy);
    materialList->setCurrentIndex(materialList->findText(editor_.brush().listEntry()));
    viewport->resize(c.viewportOuter);
    viewport->setEnabled(c.viewportEnabled);
    viewport->setVisible(levelOrMap);
    thumbnail->setVisible(!levelOrMap);
    // In the Thumbnail view the brush of the last view stays.
    colourBrush->setVisible(view.shownLayer() == LevelDocument::kColourLayer);
    materialBrush->setVisible(view.shownLayer() == LevelDocument::kMaterialMap);
    navigator->setGeometry(8, 416, kNavigatorOuterWidth, view.navigatorOuterHeight());
    readout->setGeometry(8, navigator->geometry().bottom() + 5, kNavigatorOuterWidth, kReadoutHeight);
}

void MainWindow::showPicture(ShownPicture which, QRect area) {
    PictureWidget* const widgets[] = {viewport, navigator, thumbnail, colourBrush, materialBrush};
    widgets[int(which)]->showChange(area);
}

void MainWindow::syncLabels() {
    const Controls& c = editor_.controls();
    redLabel->setText(c.red);
    greenLabel->setText(c.green);
    blueLabel->setText(c.blue);
    readout->setText(readoutText(editor_));
}

void MainWindow::resizeEvent(QResizeEvent*) {
    editor_.layOut(outerSize());
}

QString MainWindow::droppedFile(const QMimeData* data) const {
    if (editor_.controls().busy || !data->hasUrls() || data->urls().size() != 1) return {};
    const QString path = data->urls().first().toLocalFile();
    return Editor::takesDroppedFile(path) ? path : QString();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Left unaccepted, the drag shows the no-drop cursor.
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // The drag's source waits for the drop to end: the load, with its questions, comes after.
    QTimer::singleShot(0, &editor_, [this, path] { editor_.loadDroppedFile(path); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (editor_.mayClose())
        event->accept();
    else
        event->ignore();
}

} // namespace vortan
