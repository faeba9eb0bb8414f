#include "converter/model/shadow_grid.h"

#include "converter/model/double3.h"
#include "converter/model/scene_model.h"

#include <algorithm>
#include <cmath>

namespace kzo {

namespace {

// Two cells per lit vertex: a face's triangle then covers a few cells, and
// the window around it holds few of its neighbours' vertices.
constexpr double kCellsPerVertex = 2.0;
constexpr int kPartCount = 6;

std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

// Two unit axes square to the unit axis a and to each other.
void completeFrame(const double* a, double* b, double* c) {
    int least = 0;
    for (int i = 1; i < 3; ++i) {
        if (std::fabs(a[i]) < std::fabs(a[least])) {
            least = i;
        }
    }
    double e[3] = {0, 0, 0};
    e[least] = 1;
    cross3(a, e, b);
    const double length = std::sqrt(dot3(b, b));
    for (int i = 0; i < 3; ++i) {
        b[i] /= length;
    }
    cross3(a, b, c);
}

// The unit vector along v, or the x axis when v has no direction.
void unitOrX(const double* v, double* out) {
    const double length = std::sqrt(dot3(v, v));
    const bool usable = length > 0 && std::isfinite(length);
    for (int i = 0; i < 3; ++i) {
        out[i] = usable ? v[i] / length : (i == 0 ? 1 : 0);
    }
}

// Index of the cell along one axis. Monotone in x, so a query span that holds
// a vertex's coordinate also holds its cell; NaN goes to cell 0. Clamped in
// double, without branches: a face's window takes four of these.
std::int32_t clampIndex(double x, std::int32_t count) {
    const double low = 0 < x ? x : 0.0; // NaN fails the comparison
    const double last = static_cast<double>(count - 1);
    return static_cast<std::int32_t>(low < last ? low : last);
}

std::int32_t cellFor(const ShadowGridPart& p, const double* view) {
    const std::int32_t column = clampIndex((view[0] - p.lo[0]) * p.cellsPerUnit[0], p.columns);
    const std::int32_t row = clampIndex((view[1] - p.lo[1]) * p.cellsPerUnit[1], p.rows);
    return p.firstCell + row * p.columns + column;
}

// Cells along one axis of a part: columns or rows, and how many per unit. A
// span that is empty or too wide to divide gets a single cell.
std::int32_t divideAxis(double span, double wanted, std::int32_t most, double& perUnit) {
    std::int32_t count = 1;
    if (wanted >= static_cast<double>(most)) {
        count = most;
    } else if (wanted >= 1) {
        count = static_cast<std::int32_t>(std::lround(wanted));
    }
    perUnit = static_cast<double>(count) / span;
    if (!(perUnit > 0) || !std::isfinite(perUnit)) {
        perUnit = 0;
        count = 1;
    }
    return count;
}

// Lays about kCellsPerVertex cells per vertex over the part's span, in
// columns and rows in proportion to its width and height.
void layOutPart(ShadowGridPart& p, std::int32_t count, std::int32_t firstCell) {
    p.firstCell = firstCell;
    const auto budget = static_cast<std::int32_t>(static_cast<double>(count) * kCellsPerVertex) + 1;
    const double width = p.hi[0] - p.lo[0];
    const double height = p.hi[1] - p.lo[1];
    const double wanted = std::sqrt(static_cast<double>(budget) * width / height);
    p.columns = divideAxis(width, std::isnan(wanted) ? 1 : wanted, budget, p.cellsPerUnit[0]);
    const std::int32_t rowBudget = budget / p.columns;
    p.rows = divideAxis(height, static_cast<double>(rowBudget), rowBudget, p.cellsPerUnit[1]);
}

} // namespace

void sizeShadowGrid(ShadowGrid& grid, std::int32_t vertexCount) {
    const auto count = at(std::max(vertexCount, 0));
    grid.part.assign(count, -1);
    grid.view.assign(2 * count, 0);
    grid.items.assign(count + 1, 0);
    grid.itemView.assign(2 * (count + 1), NAN);
    grid.slotOf.assign(count, -1);
    // Each part's cells number at most its vertices * kCellsPerVertex + 1.
    const auto cells =
        at(static_cast<std::int32_t>(static_cast<double>(count) * kCellsPerVertex)) + kPartCount;
    grid.cellBegin.assign(cells + 1, 0);
}

void viewFromPoint(ShadowGrid& grid, const SceneModel& model, const double* q,
                   const double* toward) {
    double(&axes)[3][3] = grid.axes;
    const double look[3] = {toward[0] - q[0], toward[1] - q[1], toward[2] - q[2]};
    unitOrX(look, axes[0]);
    completeFrame(axes[0], axes[1], axes[2]);
    for (int a = 0; a < 3; ++a) {
        grid.origin[a] = q[a];
    }
    // Copied to locals: the part numbers stored below are bytes, which the
    // compiler must take to alias the axes and the light.
    const double x[3] = {axes[0][0], axes[0][1], axes[0][2]};
    const double y[3] = {axes[1][0], axes[1][1], axes[1][2]};
    const double z[3] = {axes[2][0], axes[2][1], axes[2][2]};
    const double origin[3] = {q[0], q[1], q[2]};
    std::int8_t* parts = grid.part.data();
    double* view = grid.view.data();
    const Vertex* vertices = model.vertices.data();
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& v = vertices[i];
        const double d[3] = {v.x - origin[0], v.y - origin[1], v.z - origin[2]};
        const double c[3] = {dot3(d, x), dot3(d, y), dot3(d, z)};
        parts[i] = -1;
        if (!finite3(c)) {
            continue;
        }
        int major = 0;
        for (int a = 1; a < 3; ++a) {
            if (std::fabs(c[a]) > std::fabs(c[major])) {
                major = a;
            }
        }
        const double depth = std::fabs(c[major]);
        if (!(depth > 0)) {
            continue;
        }
        parts[i] = static_cast<std::int8_t>(2 * major + (c[major] < 0 ? 1 : 0));
        view[2 * at(i)] = c[major == 0 ? 1 : 0] / depth;
        view[2 * at(i) + 1] = c[major == 2 ? 1 : 2] / depth;
    }
}

void viewAlong(ShadowGrid& grid, const SceneModel& model, const double* travel) {
    double axes[3][3];
    unitOrX(travel, axes[0]);
    completeFrame(axes[0], axes[1], axes[2]);
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& v = model.vertices[at(i)];
        const double p[3] = {v.x, v.y, v.z};
        const bool finite = finite3(p);
        grid.part[at(i)] = finite ? 0 : -1;
        grid.view[2 * at(i)] = finite ? dot3(p, axes[1]) : 0;
        grid.view[2 * at(i) + 1] = finite ? dot3(p, axes[2]) : 0;
    }
}

void bucketLitVertices(ShadowGrid& grid, const std::uint8_t* lit, std::int32_t vertexCount) {
    std::int32_t counts[kPartCount] = {};
    // The spans gathered in locals: the part numbers are bytes, which the
    // compiler must take to alias the parts in the grid.
    double lo[kPartCount][2];
    double hi[kPartCount][2];
    for (int part = 0; part < kPartCount; ++part) {
        lo[part][0] = lo[part][1] = INFINITY;
        hi[part][0] = hi[part][1] = -INFINITY;
    }
    const std::int8_t* parts = grid.part.data();
    const double* view = grid.view.data();
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        const int part = parts[i];
        if (part < 0 || lit[i] == 0) {
            continue;
        }
        ++counts[part];
        const double x = view[2 * at(i)];
        const double y = view[2 * at(i) + 1];
        lo[part][0] = std::min(lo[part][0], x);
        lo[part][1] = std::min(lo[part][1], y);
        hi[part][0] = std::max(hi[part][0], x);
        hi[part][1] = std::max(hi[part][1], y);
    }
    for (int part = 0; part < kPartCount; ++part) {
        ShadowGridPart& p = grid.parts[part];
        p = ShadowGridPart{};
        for (int a = 0; a < 2; ++a) {
            p.lo[a] = lo[part][a];
            p.hi[a] = hi[part][a];
        }
    }
    std::int32_t cells = 0;
    for (int part = 0; part < kPartCount; ++part) {
        if (counts[part] > 0) {
            layOutPart(grid.parts[part], counts[part], cells);
            cells += grid.parts[part].columns * grid.parts[part].rows;
        }
    }
    // A counting sort: sizes, then ends, then the items placed from the
    // back, which leaves cellBegin[c] at the start of cell c. slotOf holds
    // each vertex's cell until it is placed.
    std::fill(grid.cellBegin.begin(), grid.cellBegin.begin() + cells + 1, 0);
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        const int part = parts[i];
        grid.slotOf[at(i)] = -1;
        if (part >= 0 && lit[i] != 0) {
            const std::int32_t cell = cellFor(grid.parts[part], &grid.view[2 * at(i)]);
            grid.slotOf[at(i)] = cell;
            ++grid.cellBegin[at(cell)];
        }
    }
    for (std::int32_t c = 0; c < cells; ++c) {
        grid.cellBegin[at(c) + 1] += grid.cellBegin[at(c)];
    }
    for (std::int32_t i = vertexCount; i-- > 0;) {
        const std::int32_t cell = grid.slotOf[at(i)];
        if (cell >= 0) {
            const std::int32_t slot = --grid.cellBegin[at(cell)];
            grid.items[at(slot)] = i;
            grid.itemView[2 * at(slot)] = grid.view[2 * at(i)];
            grid.itemView[2 * at(slot) + 1] = grid.view[2 * at(i) + 1];
            grid.slotOf[at(i)] = slot;
        }
    }
}

void widenViewTriangle(const double* a, const double* b, const double* c, double margin,
                       ViewTriangle& triangle) {
    // Copied first: the triangle could alias the corners, as far as the
    // compiler knows, and would have them read again after every store.
    const double x[3] = {a[0], b[0], c[0]};
    const double y[3] = {a[1], b[1], c[1]};
    triangle.lo[0] = std::min(std::min(x[0], x[1]), x[2]) - margin;
    triangle.lo[1] = std::min(std::min(y[0], y[1]), y[2]) - margin;
    triangle.hi[0] = std::max(std::max(x[0], x[1]), x[2]) + margin;
    triangle.hi[1] = std::max(std::max(y[0], y[1]), y[2]) + margin;
    const double ab[2] = {x[1] - x[0], y[1] - y[0]};
    const double ac[2] = {x[2] - x[0], y[2] - y[0]};
    const double area = ab[0] * ac[1] - ab[1] * ac[0];
    // The computed area is off by a few units in the last place of the
    // product of the sides; far above that its sign is the turning direction.
    const double sides =
        (std::fabs(ab[0]) + std::fabs(ab[1])) * (std::fabs(ac[0]) + std::fabs(ac[1]));
    triangle.thin = !(std::fabs(area) > 1e-9 * sides);
    if (triangle.thin) {
        for (int i = 0; i < 3; ++i) {
            triangle.edgeNormal[i][0] = triangle.edgeNormal[i][1] = triangle.edgeOffset[i] = 0;
        }
        return;
    }
    const double turn = area > 0 ? 1 : -1;
    // Written out per edge: this runs for every face tried.
    auto edge = [&](int i, int to) {
        // Points inward: n . p >= n . from inside. |n| is at most the sum of
        // its parts' magnitudes, so that sum times the margin moves the edge
        // out by at least the margin.
        const double n0 = -(y[to] - y[i]) * turn;
        const double n1 = (x[to] - x[i]) * turn;
        triangle.edgeNormal[i][0] = n0;
        triangle.edgeNormal[i][1] = n1;
        triangle.edgeOffset[i] = n0 * x[i] + n1 * y[i] - margin * (std::fabs(n0) + std::fabs(n1));
    };
    edge(0, 1);
    edge(1, 2);
    edge(2, 0);
}

bool cellsCovering(const ShadowGrid& grid, int part, const ViewTriangle& triangle,
                   ShadowGridWindow& window) {
    const double* lo = triangle.lo;
    const double* hi = triangle.hi;
    const ShadowGridPart& p = grid.parts[part];
    if (p.columns == 0 || hi[0] < p.lo[0] || lo[0] > p.hi[0] || hi[1] < p.lo[1] ||
        lo[1] > p.hi[1]) {
        return false;
    }
    window.firstCell = p.firstCell;
    window.columns = p.columns;
    window.column0 = clampIndex((lo[0] - p.lo[0]) * p.cellsPerUnit[0], p.columns);
    window.column1 = clampIndex((hi[0] - p.lo[0]) * p.cellsPerUnit[0], p.columns);
    window.row0 = clampIndex((lo[1] - p.lo[1]) * p.cellsPerUnit[1], p.rows);
    window.row1 = clampIndex((hi[1] - p.lo[1]) * p.cellsPerUnit[1], p.rows);
    return true;
}

void removeFromShadowGrid(ShadowGrid& grid, std::int32_t vertex) {
    const std::int32_t slot = grid.slotOf[at(vertex)];
    if (slot < 0) {
        return;
    }
    grid.itemView[2 * at(slot)] = NAN;
    grid.itemView[2 * at(slot) + 1] = NAN;
    grid.slotOf[at(vertex)] = -1;
}

} // namespace kzo
