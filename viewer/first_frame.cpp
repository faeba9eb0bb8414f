#include "viewer/first_frame.h"

#include "viewer/view_state.h"
#include "viewer/wireframe.h"

#include <algorithm>

namespace kzoview {

RasterImage renderFirstFrame(ViewerMesh& mesh, int width, int height) {
    ViewState view;
    FormCreate(view);
    RasterImage drawn;
    DrawWireframe(mesh, view, width, height, drawn);
    // The drawing is one pixel wider and higher than the client area, which
    // shows only its top-left width x height.
    RasterImage client;
    client.width = std::max(width, 0);
    client.height = std::max(height, 0);
    client.pixels.reserve(static_cast<std::size_t>(client.width) *
                          static_cast<std::size_t>(client.height));
    for (int y = 0; y < client.height; ++y) {
        const auto row = drawn.pixels.begin() + static_cast<std::ptrdiff_t>(y) * drawn.width;
        client.pixels.insert(client.pixels.end(), row, row + client.width);
    }
    return client;
}

} // namespace kzoview
