#pragma once

#include "app/Editor.h"
#include "support/ImageCompare.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRandom.h"
#include "support/TestFiles.h"

#include <memory>

namespace vortan::test {

// One layer of a level, drawn on through the level so that each drawing is announced as its edits are.
struct LayerPen {
    LevelDocument& level;
    int index;
    operator const Picture&() const { return level.layer(index); }
    Colour pixelAt(int x, int y) const { return level.layer(index).pixelAt(x, y); }
    const QImage& image() const { return level.layer(index).image(); }
    template <typename Draw> void draw(Draw&& draw) {
        level.draw([&](Picture& colour, Picture& map) { draw(index == 0 ? colour : map); });
    }
    void setPixel(int x, int y, Colour c) {
        draw([&](Picture& p) { p.setPixel(x, y, c); });
    }
    void fillRect(float x1, float y1, float x2, float y2, Colour c) {
        draw([&](Picture& p) { p.fillRect(x1, y1, x2, y2, c); });
    }
};

// A started editor at the window's start size, own folder temporary, dialogs and random draws scripted.
struct TestEditor {
    QTemporaryDir folder;
    ScriptedDialogs ui;
    ScriptedRandom* random = nullptr; // owned by the editor
    std::unique_ptr<Editor> editor;

    // writeFiles runs before start-up, to lay files into the own folder.
    explicit TestEditor(const std::function<void(const QString& folder)>& writeFiles = {});
    // Then a level of this size, as New makes it.
    TestEditor(int width, int height) : TestEditor() { newLevel(width, height); }
    Editor* operator->() { return editor.get(); }
    Editor& operator*() { return *editor; }
    LevelDocument& level() { return editor->level(); }
    LayerPen colour() { return {editor->level(), LevelDocument::kColourLayer}; }
    LayerPen map() { return {editor->level(), LevelDocument::kMaterialMap}; }
    // What the viewport shows now, preview included.
    Picture viewport() const { return pictureOf(editor->view().viewportImage(editor->level())); }
    // A level of this size, as New makes it, without unsaved changes.
    void newLevel(int width, int height);
    // A press on the viewport and its release.
    void click(QPointF at, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = {});
    // A press at the first point and moves through the others with the left button held,
    // released at the end unless `hold`.
    void drag(std::initializer_list<QPointF> path, bool hold = false);
    void key(int key, Qt::KeyboardModifiers modifiers = {}) { editor->keyInViewport(key, modifiers); }
    // The next file dialog takes this file.
    void choose(const QString& path) { ui.choices = {ScriptedDialogs::Choice{path}}; }
    // Save and Load, this file chosen.
    bool saveAs(const QString& path) { return choose(path), editor->saveLevel(); }
    void loadFrom(const QString& path) { choose(path), editor->loadLevel(); }
    void keepCopy(); // A recovery copy written and waited for.
};

} // namespace vortan::test
