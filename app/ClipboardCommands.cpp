#include "app/ClipboardCommands.h"
#include "app/Editor.h"
#include "core/PixelRows.h"
#include "paint/ShapeTools.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace vortan {

namespace {
const QString kCopyMark = QStringLiteral("application/x-vortan-level-piece");

QClipboard* systemClipboard() {
    // The command line runs without a window system, and has no clipboard.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                        : nullptr;
}
} // namespace

LevelPiece pieceOfPicture(const QImage& picture) {
    // Premultiplied colours are the picture laid over black.
    QImage colour = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    colour.bits(); // its own pixels, not the picture's
    colour.reinterpretAsFormat(QImage::Format_RGB32);
    QImage map(colour.size(), QImage::Format_RGB32);
    const uint32_t wall = toPixel(kWall), black = toPixel(kBlack);
    for (int y = 0; y < colour.height(); ++y) {
        uint32_t* c = rowOf(colour.bits(), colour.bytesPerLine(), y);
        uint32_t* m = rowOf(map.bits(), map.bytesPerLine(), y);
        for (int x = 0; x < colour.width(); ++x) {
            c[x] |= 0xFF000000u;
            m[x] = (c[x] & 0xFFFFFFu) ? wall : black;
        }
    }
    return {colour, map};
}

void ClipboardCommands::copy() {
    const QRect s = input_.selection();
    if (s.isEmpty()) return;
    copied_ = {e_.level().colourLayer().image().copy(s), e_.level().materialMap().image().copy(s)};
    QClipboard* clipboard = systemClipboard();
    if (!clipboard) return;
    static int copies = 0;
    mark_ = QByteArray::number(QCoreApplication::applicationPid()) + ":" + QByteArray::number(++copies);
    auto* data = new QMimeData;
    data->setImageData(copied_.colour);
    data->setData(kCopyMark, mark_);
    clipboard->setMimeData(data);
}

void ClipboardCommands::clear(const QString& stepName) {
    const QRect s = input_.selection();
    if (s.isEmpty()) return;
    LevelDocument& level = e_.level();
    level.history().begin(stepName);
    level.fillRuns(s.top(), boxRuns(s), kBlack, kBlack);
    level.history().end();
}

void ClipboardCommands::cut() {
    copy();
    clear("Cut");
}

LevelPiece ClipboardCommands::pasted() const {
    const QClipboard* clipboard = systemClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasImage() || (!mark_.isEmpty() && data->data(kCopyMark) == mark_)) return copied_;
    const QImage picture = qvariant_cast<QImage>(data->imageData());
    if (picture.isNull() || int64_t(picture.width()) * picture.height() > kMaxPicturePixels) return copied_;
    return pieceOfPicture(picture);
}

void ClipboardCommands::paste() {
    LevelPiece piece = pasted();
    if (piece.isNull()) return;
    input_.lift(std::move(piece));
}

} // namespace vortan
