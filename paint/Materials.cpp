// The material list and the current material keeping step with each other.
#include "core/Editor.h"

namespace vortan {

void Editor::Combo1_Click() {
    const QString& chosen = controls.comboText;
    for (const MaterialEntry& m : kMaterialList)
        if (chosen == m.name) {
            currentMaterial = m.colour;
            // Water is painted in its own colour too.
            if (m.colour == kWater) currentColour = kWater;
        }
    createBrush(brushSize);
}

void Editor::setComboEntry(const QString& name) {
    if (controls.comboText == name) return;
    controls.comboText = name;
    emit controlsChanged();
    Combo1_Click();
}

void Editor::chooseMaterialEntry(const QString& name) {
    if (!canStartCommand()) return;
    controls.comboText = name;
    emit controlsChanged();
    Combo1_Click();
}

void Editor::updatePropertyCombo() {
    // The map colours in the order Wall, Behind wall, Water, Explosive, Platform FS, Platform FSA.
    static constexpr std::array<int, 6> order{0, 1, 2, 5, 3, 4};
    for (int i : order)
        if (currentMaterial == kMaterialList[i].colour) {
            setComboEntry(kMaterialList[i].name);
            return;
        }
}

} // namespace vortan
