#include "dialogs/Forms.h"
#include "core/Editor.h"

#include <cmath>

namespace vortan {

namespace {
// A whole number from 1 upwards, blanks around it allowed; 0 when the text is none.
int64_t wholeSize(const QString& text) {
    bool ok = false;
    const qlonglong v = trimBlanks(text).toLongLong(&ok);
    return ok && v >= 1 ? v : 0;
}
} // namespace

NewLevelForm::NewLevelForm(Editor& editor) : editor_(editor) {
    sizeChanged();
}

void NewLevelForm::setText2(const QString& text) {
    text2_ = text;
    sizeChanged();
}

void NewLevelForm::setText3(const QString& text) {
    text3_ = text;
    sizeChanged();
}

void NewLevelForm::sizeChanged() {
    setText4(spacedNumber(leadingValue(text2_) * leadingValue(text3_)));
}

void NewLevelForm::setText4(const QString& text) {
    if (text == text4_) return;
    text4_ = text;
    const double n = std::nearbyint(leadingValue(text4_));
    if (n >= 2097152)
        editor_.ui().message("Level to large!", "VORTAN will not load levels larger than 2MB!",
                             MsgButtons::OKCancel, MsgIcon::None);
    text4Back_ = n >= 2097152 ? RGB(255, 0, 0) : n > 900000 ? RGB(255, 255, 0) : kWhite;
}

void NewLevelForm::command1Click() {
    text1_ = editor_.randomName();
}

void NewLevelForm::command2Click() {
    do {
        // Two draws, each written into its field as it comes.
        // In double: in single precision the largest draw rounds up to one pixel past the range.
        const float r1 = editor_.rnd();
        setText2(spacedNumber(std::floor(double(r1) * 1400.0 + 640.0)));
        const float r2 = editor_.rnd();
        setText3(spacedNumber(std::floor(double(r2) * 640.0 + 480.0)));
    } while (leadingValue(text2_) * leadingValue(text3_) >= 2000000);
}

bool NewLevelForm::refuse(const QString& text) {
    editor_.ui().message("New Level", text, MsgButtons::OK, MsgIcon::Exclamation);
    return false;
}

bool NewLevelForm::okClick() {
    const int64_t w = wholeSize(text2_), h = wholeSize(text3_);
    if (w == 0) return refuse("The width must be a whole number of pixels, 1 or more.");
    if (h == 0) return refuse("The height must be a whole number of pixels, 1 or more.");
    if (w > kMaxPicturePixels || h > kMaxPicturePixels || w * h > kMaxPicturePixels)
        return refuse(QString("A level of %1 x %2 pixels is too large for this computer's memory. "
                              "Try a smaller width or height.")
                          .arg(w)
                          .arg(h));
    editor_.levelName = trimBlanks(text1_);
    editor_.updateStatus();
    editor_.xRes = int32_t(w);
    editor_.yRes = int32_t(h);
    return true;
}

void NewLevelForm::cancelClick() {
    editor_.didCancel = true;
}

void OptionsForm::activate() {
    text1_ = editor_.levelName;
}

void OptionsForm::command1Click() {
    text1_ = editor_.randomName();
}

void OptionsForm::okClick() {
    editor_.levelName = trimBlanks(text1_);
    editor_.updateStatus();
}

} // namespace vortan
