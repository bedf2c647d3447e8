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

LevelSizeFields::LevelSizeFields(UserDialogs& ui, qint64 memory, QString title)
    : ui_(ui), memory_(memory), title_(std::move(title)) {
    sizeChanged();
}

void LevelSizeFields::setWidthText(const QString& text) {
    width_ = text;
    sizeChanged();
}

void LevelSizeFields::setHeightText(const QString& text) {
    height_ = text;
    sizeChanged();
}

void LevelSizeFields::showSize(QSize size) {
    width_ = QString::number(size.width());
    height_ = QString::number(size.height());
    sizeChanged(false);
}

void LevelSizeFields::sizeChanged(bool warn) {
    const QString size = spacedNumber(leadingValue(width_) * leadingValue(height_));
    if (size == size_) return;
    size_ = size;
    const double n = std::nearbyint(leadingValue(size_));
    sizeBackground_ = n >= kGameLimit ? rgb(255, 0, 0) : n > 900000 ? rgb(255, 255, 0) : kWhite;
    // The field shows the size that the warning is about while the warning is up.
    if (sizeShown_) sizeShown_();
    if (n >= kGameLimit && warn)
        ui_.message("Level to large!", "VORTAN will not load levels larger than 2MB!", MsgButtons::OKCancel,
                    MsgIcon::None);
}

NewLevelForm::NewLevelForm(UserDialogs& ui, RandomSource& random, qint64 memory)
    : LevelSizeFields(ui, memory, "New Level"), random_(random) {}

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
    } while (leadingValue(widthText()) * leadingValue(heightText()) >= 2000000);
}

std::nullopt_t LevelSizeFields::refuse(const QString& text) {
    ui_.message(title_, text, MsgButtons::OK, MsgIcon::Exclamation);
    return std::nullopt;
}

std::optional<QSize> LevelSizeFields::typedSize() {
    const int64_t w = sizeValue(width_), h = sizeValue(height_);
    if (w == 0) return refuse("The width must be a number of pixels, 1 or more.");
    if (h == 0) return refuse("The height must be a number of pixels, 1 or more.");
    const qint64 largest = largestLevel(memory_, History::kDefaultLimit);
    if (w > largest || h > largest || w * h > largest)
        return refuse(QString("A level of %1 x %2 pixels is too large for this computer's memory. "
                              "Try a smaller width or height.")
                          .arg(w)
                          .arg(h));
    return QSize(int(w), int(h));
}

bool LevelSizeFields::accept() {
    const std::optional<QSize> size = typedSize();
    if (!size) return false;
    chosenSize_ = *size;
    accepted_ = true;
    return true;
}

void ResizeLevelForm::begin(QSize current) {
    current_ = current;
    beginChoice();
    showSize(current); // the level has this size already: no warning about it
}

QPoint ResizeLevelForm::shift() const {
    // Halves taken towards zero: growing by 3 adds 1 on the left and 2 on the right,
    // shrinking by 3 takes 1 from the left and 2 from the right.
    auto along = [](int place, int grown) { return place == 0 ? 0 : place == 1 ? grown / 2 : grown; };
    return {along(anchor_ % 3, chosenSize().width() - current_.width()),
            along(anchor_ / 3, chosenSize().height() - current_.height())};
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
