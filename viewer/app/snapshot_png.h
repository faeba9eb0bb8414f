// Writing a drawn frame as a PNG file.
#pragma once

#include "viewer/raster_image.h"

#include <string>

namespace kzoview {

// Encodes the image as PNG and writes it to path all or nothing (an older file
// there survives a failure). Returns the error message, empty on success.
// Needs no window system: the command line writes it without Qt.
std::string writeSnapshotPng(const RasterImage& image, const std::string& path);

} // namespace kzoview
