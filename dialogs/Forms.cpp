#include "dialogs/Forms.h"
#include "core/History.h"
#include "core/Memory.h"
#include "core/Numbers.h"
#include "core/Picture.h"
#include "dialogs/RandomName.h"

#include <cmath>

namespace vortan {

namespace {

// The whole text read as a number and taken to the nearest whole pixel ("1280.6" is 1281,
// "1e3" is 1000), blanks around it allowed; 0 when the text is no number or not 1 or more.
int64_t sizeValue(const QString& text) {
    bool ok = false;
    const double v = trimBlanks(text).toDouble(&ok);
    if (!ok || !std::isfinite(v) || v >= 2147483647.5) return 0;
    return std::max(roundHalfEven(v), 0);
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
    sizeBackground_ = n >= kGameLimit ? rgb(255, 0, 0) : n > 900000 ? rgb(255, 255, 0) : kWhite;
    // The field shows the size that the warning is about while the warning is up.
    if (sizeShown_) sizeShown_();
    if (n >= kGameLimit)
        ui_.message("Level to large!", "VORTAN will not load levels larger than 2MB!", MsgButtons::OKCancel,
                    MsgIcon::None);
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
    const int64_t w = sizeValue(width_), h = sizeValue(height_);
    if (w == 0) return refuse("The width must be a number of pixels, 1 or more.");
    if (h == 0) return refuse("The height must be a number of pixels, 1 or more.");
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
