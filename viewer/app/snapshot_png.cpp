#include "viewer/app/snapshot_png.h"

#include "format/file_io.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace kzoview {

std::string writeSnapshotPng(const RasterImage& image, const std::string& path) {
    const QImage frame(reinterpret_cast<const uchar*>(image.pixels.data()), image.width,
                       image.height, static_cast<qsizetype>(image.width) * 4, QImage::Format_RGB32);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (frame.isNull() || !frame.save(&buffer, "PNG")) {
        return "cannot encode the snapshot as PNG";
    }
    kzo::OutputFile out{path, std::vector<std::uint8_t>(png.begin(), png.end())};
    if (!kzo::writeFilesAtomically({out}).empty()) {
        return "cannot write '" + path + "'";
    }
    return {};
}

} // namespace kzoview
