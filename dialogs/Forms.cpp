#include "dialogs/Forms.h"
#include "core/History.h"
#include "core/Memory.h"
#include "core/Numbers.h"
#include "core/Picture.h"
#include "dialogs/RandomName.h"

#include <cmath>

namespace vortan {

namespace {

// A whole number from 1 upwards, blanks around it allowed; 0 when the text is none.
int64_t wholeSize(const QString& text) {
    bool ok = false;
    const qlonglong v = trimBlanks(text).toLongLong(&ok);
    return ok && v >= 1 ? v : 0;
}

constexpr double kGameLimit = 2097152; // the game loads no level of 2 MB or more

} // namespace

NewLevelForm::NewLevelForm(UserDialogs& ui, RandomSource& random, qint64 memory)
    : ui_(ui), random_(random), memory_(memory) {
    sizeChanged();
}

void NewLevelForm::setWidthText(const QString& text) {
    width_ = text;
    sizeChanged();
}

void NewLevelForm::setHeightText(const QString& text) {
    height_ = text;
    sizeChanged();
}

void NewLevelForm::sizeChanged() {
    const QString size = spacedNumber(leadingValue(width_) * leadingValue(height_));
    if (size == size_) return;
    size_ = size;
    const double n = std::nearbyint(leadingValue(size_));
    if (n >= kGameLimit)
        ui_.message("Level to large!", "VORTAN will not load levels larger than 2MB!", MsgButtons::OKCancel,
                    MsgIcon::None);
    sizeBackground_ = n >= kGameLimit ? rgb(255, 0, 0) : n > 900000 ? rgb(255, 255, 0) : kWhite;
}

void NewLevelForm::pickRandomName() {
    name_ = randomName(random_);
}

void NewLevelForm::pickRandomSize() {
    do {
        // Each draw is written into its field as it comes. In double: in single precision
        // the largest draw rounds up to one pixel past the range.
        const float r1 = random_.rnd();
        setWidthText(spacedNumber(std::floor(double(r1) * 1400.0 + 640.0)));
        const float r2 = random_.rnd();
        setHeightText(spacedNumber(std::floor(double(r2) * 640.0 + 480.0)));
    } while (leadingValue(width_) * leadingValue(height_) >= 2000000);
}

bool NewLevelForm::refuse(const QString& text) {
    ui_.message("New Level", text, MsgButtons::OK, MsgIcon::Exclamation);
    return false;
}

bool NewLevelForm::accept() {
    const int64_t w = wholeSize(width_), h = wholeSize(height_);
    if (w == 0) return refuse("The width must be a whole number of pixels, 1 or more.");
    if (h == 0) return refuse("The height must be a whole number of pixels, 1 or more.");
    const qint64 largest = largestLevel(memory_, History::kDefaultLimit);
    if (w > largest || h > largest || w * h > largest)
        return refuse(QString("A level of %1 x %2 pixels is too large for this computer's memory. "
                              "Try a smaller width or height.")
                          .arg(w)
                          .arg(h));
    chosenSize_ = QSize(int(w), int(h));
    accepted_ = true;
    return true;
}

QString NewLevelForm::chosenName() const {
    return trimBlanks(name_);
}

void OptionsForm::begin(const QString& currentName) {
    name_ = currentName;
    accepted_ = false;
}

void OptionsForm::pickRandomName() {
    name_ = randomName(random_);
}

QString OptionsForm::chosenName() const {
    return trimBlanks(name_);
}

} // namespace vortan
