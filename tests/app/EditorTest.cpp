#include "files/PictureFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TestEditor.h"

using namespace vortan::test;

TEST(StartUp, ABlackLevelNothingToSaveAndTheRememberedGameFolder) {
    TestEditor e;
    EXPECT_EQ(e->controls().title, "VORTAN Level Editor 1.0 - EMPTY");
    EXPECT_TRUE(sameImage(filledImage(821, 669, kBlack), e.map().image()));
    EXPECT_TRUE(e->mayClose() && !e->start()); // a second start ends the program
    QTemporaryDir game, noGame;
    writeFile(game.filePath("Vortan.exe"), "MZ");
    const QString stored = game.path() + "/";
    for (const QString& file : {"  " + stored + "  ", stored + "\nrest", noGame.path() + "/", QString()}) {
        TestEditor with([&](const QString& own) { writeFile(own + "/gameFolder.txt", file.toUtf8()); });
        EXPECT_EQ(with->gameFolder().path(), file.contains(stored) ? stored : "") << file.toStdString();
    }
    // A pipe of that name would never give a line: the editor starts without a folder.
    TestEditor pipe([](const QString& own) { ASSERT_TRUE(makePipe(own + "/gameFolder.txt")); });
    EXPECT_TRUE(pipe->gameFolder().path().isEmpty());
    // A file named on the command line that cannot be opened is told.
    e.ui.answers = {MsgAnswer::OK};
    e->openAtStart(e.folder.filePath("gone.level.bmp"));
    const QString told = e.ui.messages.size() == 1 ? e.ui.messages[0].text : "";
    EXPECT_TRUE(told.contains("gone.level.bmp") && told.contains("does not exist")) << told.toStdString();
}

TEST(Commands, UnsavedWorkIsAskedForAndCommandsNeverInterleave) {
    TestEditor e;
    e.level().setModified(true);
    e.ui.answers = {MsgAnswer::Cancel, MsgAnswer::Yes, MsgAnswer::No};
    e.ui.choices = {std::nullopt};
    EXPECT_FALSE(e->mayClose());
    EXPECT_EQ(e.ui.messages[0].title + "|" + e.ui.messages[0].text,
              "Unsaved work... |You have not saved your level. \n\rDo you want to save it? ");
    EXPECT_FALSE(e->mayClose()); // Yes, then the save is cancelled: the level must not be thrown away
    EXPECT_TRUE(e->mayClose());

    int focus = 0, closes = 0;
    QObject::connect(e.editor.get(), &Editor::focusRequested,
                     [&](FocusTarget t) { focus += t == FocusTarget::Viewport; });
    QObject::connect(e.editor.get(), &Editor::closeRequested, [&] { ++closes; });
    {
        Editor::CommandScope outer(*e);
        { Editor::CommandScope inner(*e); } // a save asked for inside another command
        EXPECT_FALSE(e->controls().viewportEnabled || e->mayClose()); // the close waits for the command
        e->levelToMap();                                              // no command starts inside another
        EXPECT_EQ(e->controls().red, "0 ");
    }
    EXPECT_EQ(std::tuple(e->controls().viewportEnabled, focus, closes), std::tuple(true, 1, 1));
    e->showView(View::Shown::Thumbnail); // in the Thumbnail view the focus stays where it is
    { Editor::CommandScope scope(*e); }
    EXPECT_EQ(focus, 1);
}

TEST(NewAndRandom, NewLevelsTakeTheChosenOrDrawnSizeAndCountAsUnsavedWork) {
    TestEditor e;
    e->view().scrollTo(e.level(), 30, 40);
    e.ui.newLevelScripts = {[](NewLevelForm& f) {
                                f.setName("  Cave ");
                                f.setWidthText("100");
                                f.setHeightText("50");
                                f.accept();
                            },
                            [](NewLevelForm& f) { f.cancel(); }};
    e->newLevel();
    // Framed, scrolled home, the viewport shrunk to the level; 54 / (100 / 101) + 2 rows of navigator.
    EXPECT_EQ(std::tuple(e->controls().title, e.map().pixelAt(16, 25), e->view().xOffset(),
                         e->controls().viewportOuter, e->view().navigatorOuterHeight()),
              std::tuple(QString("VORTAN Level Editor 1.0 - Cave"), kWall, 0, QSize(104, 54), 57));
    EXPECT_TRUE(sameImage(e.colour().image(), e.viewport().image()));
    EXPECT_TRUE(e.level().isModified() && e->view().navigatorStale());
    e.ui.answers = {MsgAnswer::No};
    e->newLevel(); // cancelled: everything stays
    EXPECT_EQ(e.level().width(), 100);

    e->showView(View::Shown::Map);
    e.random->draws = {0.5f, 0.25f, 0.0f, 0.0f}; // 1140 x 640, "Magnificent Castle"
    e.ui.answers = {MsgAnswer::No};
    e->randomLevel();
    EXPECT_EQ(std::tuple(e->view().shown(), QSize(e.level().width(), e.level().height()), e->controls().title,
                         e.level().isModified()),
              std::tuple(View::Shown::Level, QSize(1140, 640),
                         QString("VORTAN Level Editor 1.0 - Magnificent Castle"), true));
    EXPECT_TRUE(sameImage(e.colour().image().copy(0, 0, 623, 516), e.viewport().image()));

    e->showView(View::Shown::Thumbnail); // the Thumbnail view shows a new level at once
    e.ui.answers = {MsgAnswer::No};
    e.newLevel(300, 200);
    EXPECT_EQ(e->view().thumbnail().pixelAt(96, 48), kBlack); // the miniature's frame
}

TEST(RenameAndHelp, ARenameIsNoUnsavedWorkAndTheThumbnailShowsItAtOnce) {
    TestEditor e;
    e.ui.optionsScripts = {[](OptionsForm& f) {
                               EXPECT_EQ(f.name(), "EMPTY");
                               f.setName(" Vault ");
                               f.accept();
                           },
                           [](OptionsForm& f) { f.cancel(); }};
    e->renameLevel();
    EXPECT_EQ(std::pair(e->controls().title, e.level().isModified()),
              std::pair(QString("VORTAN Level Editor 1.0 - Vault"), false));
    e->showView(View::Shown::Thumbnail);
    EXPECT_EQ(e->view().thumbnail().pixelAt(24, 48), kWhite); // nothing changed: not built
    e->renameLevel(); // cancelled, yet the thumbnail is drawn with the name at once
    EXPECT_EQ(std::pair(e.level().name(), e->view().thumbnail().pixelAt(24, 48)),
              std::pair(QString("Vault"), kBlack));
    e->showHelp();
    EXPECT_EQ(e.ui.openedDocuments, std::vector<QString>{QDir(e.folder.path()).filePath("Help.htm")});
}

TEST(LevelToMap, EveryPixelThatIsNotBlackBecomesWall) {
    TestEditor e(60, 600);
    auto colour = e.colour();
    colour.fillRect(17, 17, 42, 582, kBlack);
    colour.setPixel(20, 20, rgb(1, 0, 0));
    e.map().fillRect(30, 30, 40, 40, kWater); // lost: the map goes back to black
    e->showView(View::Shown::Map);
    e->levelToMap();
    EXPECT_TRUE(
        pixelsAre(e.map(), [&](int x, int y) { return colour.pixelAt(x, y) != kBlack ? kWall : kBlack; }));
    EXPECT_TRUE(sameImage(e.map().image().copy(0, 0, 60, 516), e.viewport().image()));
    EXPECT_TRUE(e->controls().red == "100%" && !e.level().isModified());
}

TEST(LoadAndSave, PlainPicturesGoWhereTheViewSaysAndAFailedSaveKeepsTheOlderSet) {
    TestEditor e;
    const QString folder = e.folder.filePath("old.map.pics/"); // a folder whose name looks like a set member
    QDir().mkpath(folder);
    ASSERT_TRUE(savePicture(Picture(160, 70, rgb(9, 8, 7)), folder + "photo.2.bmp"));
    e->showView(View::Shown::Map);
    e.loadFrom(folder + "photo.2.bmp"); // the colour layer keeps its pixels
    EXPECT_TRUE(sameImage(filledImage(160, 70, rgb(9, 8, 7)), e.map().image()));
    EXPECT_EQ(std::tuple(e.level().name(), e.colour().pixelAt(100, 50), e.level().width()),
              std::tuple(QString("photo"), kBlack, 160));
    e.level().setName("Kept");
    e->showView(View::Shown::Thumbnail);
    e.loadFrom(folder + "photo.2.bmp");
    EXPECT_EQ(std::pair(e.level().name(), e->view().thumbnail().pixelAt(5, 5)),
              std::pair(QString("Kept"), rgb(9, 8, 7)));

    // The disk fills up at the thumbnail: the older set stays whole beside no new file.
    ASSERT_TRUE(e.saveAs(folder + "castle.bmp"));
    const QStringList before = folderContents(folder);
    e.newLevel(200, 100); // 60054 bytes a layer; the thumbnail 102006
    e.level().setModified(true);
    {
        FileSizeLimit limit(80000);
        e.choose(folder + "castle.bmp");
        e.ui.answers = {MsgAnswer::OK};
        EXPECT_FALSE(e->saveLevel());
    }
    EXPECT_EQ(folderContents(folder), before);
    EXPECT_TRUE(e.level().isModified());
    ASSERT_EQ(e.ui.messages.size(), 1u);
    EXPECT_EQ(e.ui.messages[0].title + e.ui.messages[0].text,
              " Level not saved Your level could not be saved; it is still unsaved.\n\r" + folder +
                  "castle.thumb.bmp: " + qt_error_string(EFBIG));
    // A folder that cannot be written, whoever runs the tests: a file where it should be.
    writeFile(e.folder.filePath("file"), "x");
    e.choose(e.folder.filePath("file/castle.bmp"));
    e.ui.answers = {MsgAnswer::OK};
    EXPECT_TRUE(!e->saveLevel() && e.level().isModified());
    EXPECT_TRUE(e.ui.messages.at(1).text.endsWith("\n\r" + e.folder.filePath("file/castle.level.bmp") + ": " +
                                                  qt_error_string(ENOTDIR)));
}
