#include "support/ImageCompare.h"
#include "support/TestEditor.h"

#include <QDir>
#include <QFile>

using namespace vortan;
using namespace vortan::test;

namespace {

bool inDisc(int x, int y, int radius) {
    const double dx = x - 42, dy = y - 42;
    return dx * dx + dy * dy <= double(radius) * radius;
}

// Writes a brush picture into the editor's brushes folder and returns its path.
QString writeBrushPicture(TestEditor& e, const QString& name, const QImage& picture) {
    QDir(e.folder.path()).mkpath("brushes");
    PictureSurface s(picture.width(), picture.height());
    s.setPicture(picture);
    const QString path = e.folder.filePath("brushes/" + name);
    EXPECT_TRUE(SavePicture(s, path));
    return path;
}

} // namespace

TEST(Materials, ListAndCurrentMaterialKeepStep) {
    TestEditor e;
    EXPECT_EQ(e->controls.comboText, "Wall");
    const Colour colourBefore = e->currentColour;

    e->chooseMaterialEntry("Explosive!");
    EXPECT_EQ(e->currentMaterial, RGB(255, 255, 0));
    EXPECT_EQ(e->currentColour, colourBefore); // only Water changes the colour too
    EXPECT_EQ(GetPixel(e->mapBrush, 42, 42), RGB(255, 255, 0));

    e->chooseMaterialEntry("Water");
    EXPECT_EQ(e->currentMaterial, RGB(0, 0, 255));
    EXPECT_EQ(e->currentColour, RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(e->Brush, 42, 42), RGB(0, 0, 255));

    // Every map colour of the list finds its entry again.
    for (const MaterialEntry& m : kMaterialList) {
        e->currentMaterial = m.colour;
        e->updatePropertyCombo();
        EXPECT_EQ(e->controls.comboText, m.name);
    }
    // A colour that is no material leaves the entry and the material alone.
    e->currentMaterial = kBlack;
    e->updatePropertyCombo();
    EXPECT_EQ(e->controls.comboText, "Explosive!");
    EXPECT_EQ(e->currentMaterial, kBlack);
}

TEST(Brushes, StartUpBrushIsADiscWithItsMask) {
    TestEditor e;
    EXPECT_EQ(e->brushSize, 20);
    EXPECT_TRUE(
        pixelsAre(e->Brush, [](int x, int y) { return inDisc(x, y, 20) ? RGB(55, 100, 120) : kBlack; }));
    EXPECT_TRUE(
        pixelsAre(e->mapBrush, [](int x, int y) { return inDisc(x, y, 20) ? RGB(255, 0, 0) : kBlack; }));
    EXPECT_TRUE(pixelsAre(e->Mask, [](int x, int y) { return inDisc(x, y, 20) ? kBlack : kWhite; }));
    // Row 42 runs from column 22 to 62, symmetric about the middle column: the mirror
    // leaves it in place.
    EXPECT_EQ(GetPixel(e->Brush, 21, 42), kBlack);
    EXPECT_EQ(GetPixel(e->Brush, 22, 42), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->Brush, 62, 42), RGB(55, 100, 120));
    EXPECT_EQ(GetPixel(e->Brush, 63, 42), kBlack);
    const QImage before = e->Brush.Image();
    e->viewPort_KeyDown(70, 0);
    EXPECT_TRUE(sameImage(before, e->Brush.Image()));
}

TEST(Brushes, ABlackColourBrushBecomesWhite) {
    TestEditor e;
    e->currentColour = kBlack;
    e->createBrush(34);
    EXPECT_EQ(e->currentColour, kWhite);
    EXPECT_TRUE(pixelsAre(e->Brush, [](int x, int y) { return inDisc(x, y, 34) ? kWhite : kBlack; }));
}

// On a fresh start nothing has made a cancel a failure yet; a cancel still changes nothing.
TEST(Brushes, CancellingTheColourDialogKeepsTheColourAndTheMaterial) {
    TestEditor e;
    const QImage brush = e->Brush.Image(), mapBrush = e->mapBrush.Image();
    e.ui.choices = {std::nullopt, std::nullopt};
    e->Brush_MouseDown(kLeftButton);
    EXPECT_EQ(e.ui.dialogsShown.back().colour, RGB(55, 100, 120)); // opens on the colour
    e->vPort_Click(1);
    e->mapBrush_MouseDown(kLeftButton);
    EXPECT_EQ(e.ui.dialogsShown.back().colour, kWall); // and on the material in the Map view
    EXPECT_EQ(e->currentColour, RGB(55, 100, 120));
    EXPECT_EQ(e->currentMaterial, kWall);
    EXPECT_TRUE(sameImage(brush, e->Brush.Image()));
    EXPECT_TRUE(sameImage(mapBrush, e->mapBrush.Image()));
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST(Brushes, ColourDialogSetsTheColourOrSnapsTheMaterial) {
    TestEditor e;
    e.ui.choices = {ScriptedDialogs::Choice{{}, RGB(10, 20, 30)}};
    e->Brush_MouseDown(kLeftButton);
    EXPECT_EQ(e->currentColour, RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(e->Brush, 42, 42), RGB(10, 20, 30));
    EXPECT_TRUE(e->controls.viewPortEnabled);

    // In the Map view a chosen colour never becomes the colour: pure blue snaps to cyan.
    e->vPort_Click(1);
    e.ui.choices = {ScriptedDialogs::Choice{{}, RGB(0, 0, 255)}};
    e->mapBrush_MouseDown(kLeftButton);
    EXPECT_EQ(e->currentColour, RGB(10, 20, 30));
    EXPECT_EQ(e->currentMaterial, RGB(0, 255, 255));
    EXPECT_EQ(e->controls.comboText, "PlatformFSA");

    // Cancel: nothing changes, the viewport is usable again.
    const QImage brush = e->Brush.Image();
    e.ui.choices = {std::nullopt};
    e->mapBrush_MouseDown(kLeftButton);
    EXPECT_EQ(e->currentMaterial, RGB(0, 255, 255));
    EXPECT_TRUE(sameImage(brush, e->Brush.Image()));
    EXPECT_TRUE(e->controls.viewPortEnabled);
    EXPECT_FALSE(e->controls.busy);
}

TEST(Brushes, TaggedPicturePaintsItsMaterial) {
    TestEditor e;
    QImage picture = filledImage(10, 6, kBlack);
    picture.setPixel(0, 0, toPixel(RGB(255, 255, 0))); // Explosive tag
    picture.setPixel(1, 0, toPixel(RGB(9, 8, 7)));
    picture.setPixel(5, 3, toPixel(RGB(200, 100, 50)));
    const QString path = writeBrushPicture(e, "tagged.bmp", picture);

    e.ui.choices = {ScriptedDialogs::Choice{path}};
    e->Brush_MouseDown(kRightButton);
    const DialogSettings& shown = e.ui.dialogsShown.back();
    EXPECT_EQ(shown.title, "Load Brush...");
    EXPECT_EQ(shown.filter, "Pictures (*.bmp;*.gif)|*.bmp;*.gif");
    EXPECT_EQ(shown.initDir, QDir(e.folder.path()).filePath("brushes"));
    EXPECT_TRUE(shown.cancelError);

    EXPECT_EQ(e->currentMaterial, RGB(255, 255, 0));
    EXPECT_EQ(e->controls.comboText, "Explosive!");
    auto brushAt = [](int x, int y) -> Colour {
        if (x == 0 && y == 0) return RGB(9, 8, 7); // the tag paints as its neighbour
        if (x == 1 && y == 0) return RGB(9, 8, 7);
        if (x == 5 && y == 3) return RGB(200, 100, 50);
        return kBlack;
    };
    EXPECT_TRUE(pixelsAre(e->Brush, brushAt));
    EXPECT_TRUE(
        pixelsAre(e->mapBrush, [&](int x, int y) { return brushAt(x, y) ? RGB(255, 255, 0) : kBlack; }));
    EXPECT_TRUE(pixelsAre(e->Mask, [&](int x, int y) { return brushAt(x, y) ? kBlack : kWhite; }));

    // Choosing a material brings the disc back.
    e->chooseMaterialEntry("Wall");
    EXPECT_TRUE(pixelsAre(e->mapBrush, [](int x, int y) { return inDisc(x, y, 20) ? kWall : kBlack; }));
}

TEST(Brushes, UntaggedPictureKeepsTheMaterialBrush) {
    TestEditor e;
    for (Colour tag : {RGB(128, 0, 0), RGB(0, 0, 255)}) {
        QImage picture = filledImage(100, 90, RGB(1, 2, 3)); // larger than the brush: cut
        picture.setPixel(0, 0, toPixel(tag));
        const QString path = writeBrushPicture(e, "plain.bmp", picture);
        const QImage mapBrush = e->mapBrush.Image();
        e.ui.choices = {ScriptedDialogs::Choice{path}};
        e->Brush_MouseDown(kRightButton);
        EXPECT_EQ(e->currentMaterial, kWall);
        EXPECT_TRUE(sameImage(mapBrush, e->mapBrush.Image()));
        EXPECT_EQ(GetPixel(e->Brush, 0, 0), tag); // untagged: pixel (0, 0) paints as it is
        EXPECT_EQ(GetPixel(e->Brush, 84, 84), RGB(1, 2, 3));
        EXPECT_TRUE(pixelsAre(e->Mask, [](int, int) { return kBlack; }));
    }
}

TEST(Brushes, UnreadableOrMissingPictureChangesNothing) {
    TestEditor e;
    QDir(e.folder.path()).mkpath("brushes");
    const QString bad = e.folder.filePath("brushes/bad.bmp");
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is no picture");
    f.close();
    const QImage brush = e->Brush.Image(), mapBrush = e->mapBrush.Image(), mask = e->Mask.Image();
    for (const QString& path : {bad, e.folder.filePath("brushes/missing.bmp")}) {
        e.ui.choices = {ScriptedDialogs::Choice{path}};
        e->Brush_MouseDown(kRightButton);
        EXPECT_TRUE(sameImage(brush, e->Brush.Image())) << path.toStdString();
        EXPECT_TRUE(sameImage(mapBrush, e->mapBrush.Image()));
        EXPECT_TRUE(sameImage(mask, e->Mask.Image()));
        EXPECT_EQ(e->currentMaterial, kWall);
        EXPECT_EQ(e->currentColour, RGB(55, 100, 120));
        EXPECT_TRUE(e->controls.viewPortEnabled);
    }
    // Cancelling the picture dialog likewise.
    e.ui.choices = {std::nullopt};
    e->Brush_MouseDown(kRightButton);
    EXPECT_TRUE(sameImage(brush, e->Brush.Image()));
    EXPECT_TRUE(e->controls.viewPortEnabled);
}

TEST(Brushes, ShippedBrushPicturesLoadWithTheirTags) {
    const QDir dir(QStringLiteral(VORTAN_SOURCE_DIR "/assets/brushes"));
    const QStringList files = dir.entryList({"*.bmp", "*.gif"}, QDir::Files);
    ASSERT_GE(files.size(), 2);
    int tagged = 0;
    for (const QString& f : files) {
        TestEditor e;
        e.ui.choices = {ScriptedDialogs::Choice{dir.filePath(f)}};
        const QImage mapBrush = e->mapBrush.Image();
        e->Brush_MouseDown(kRightButton);
        EXPECT_NE(GetPixel(e->Mask, 42, 42), kWhite) << f.toStdString(); // the shape covers the middle
        if (!sameImage(mapBrush, e->mapBrush.Image())) ++tagged;
    }
    EXPECT_GE(tagged, 1);
    EXPECT_LT(tagged, files.size());
}
