// An FBX file says which of its axes points up, which to the front and which
// to the right; the reader turns the file y up by them before mapping. Each
// declaration below is checked against the same triangle written already y
// up (a y-up file needs no turning), so a wrong row or sign shows as a moved
// corner and a lost mirror as a reversed corner order.
#include "modelimport/module/read_model_file.h"
#include "tests/converter/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Point = std::array<float, 3>;

struct Axes {
    int up, upSign, front, frontSign, coord, coordSign;
};

constexpr Axes kYUp{1, 1, 2, 1, 0, 1};

// A 7.x text FBX of one triangle under one model, declaring the given axes
// (none at all when absent).
std::string fbxTriangle(const std::array<Point, 3>& points, const std::array<int, 3>& corners,
                        const Axes* axes) {
    std::ostringstream out;
    out << "; FBX 7.4.0 project file\n"
           "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
           "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n";
    if (axes != nullptr) {
        const std::pair<const char*, int> declared[] = {
            {"UpAxis", axes->up},       {"UpAxisSign", axes->upSign},
            {"FrontAxis", axes->front}, {"FrontAxisSign", axes->frontSign},
            {"CoordAxis", axes->coord}, {"CoordAxisSign", axes->coordSign}};
        for (const auto& [name, value] : declared) {
            out << "\t\tP: \"" << name << "\", \"int\", \"Integer\", \"\"," << value << '\n';
        }
    }
    out << "\t\tP: \"UnitScaleFactor\", \"double\", \"Number\", \"\",1\n\t}\n}\n"
           "Objects:  {\n\tGeometry: 100, \"Geometry::tri\", \"Mesh\" {\n\t\tVertices: *9 {\n"
           "\t\t\ta: ";
    for (std::size_t i = 0; i < 9; ++i) {
        out << (i > 0 ? "," : "") << points[i / 3][i % 3];
    }
    // The last corner of a polygon is stored as -(index + 1).
    out << "\n\t\t}\n\t\tPolygonVertexIndex: *3 {\n\t\t\ta: " << corners[0] << ',' << corners[1]
        << ',' << -corners[2] - 1
        << "\n\t\t}\n\t}\n"
           "\tModel: 200, \"Model::tri\", \"Mesh\" {\n\t\tVersion: 232\n\t}\n}\n"
           "Connections:  {\n\tC: \"OO\",100,200\n\tC: \"OO\",200,0\n}\n";
    return out.str();
}

// The triangles as read, each corner's position in order.
std::vector<Point> cornersRead(const std::string& text) {
    kzotest::TempDir dir;
    const std::string path = dir / "tri.fbx";
    std::ofstream(path, std::ios::binary) << text;
    const kzo::ImportedModel model = kzo::readModelWithLibrary(path);
    std::vector<Point> corners;
    for (std::uint32_t v : model.triangles) {
        corners.push_back(
            {model.positions[3 * v], model.positions[3 * v + 1], model.positions[3 * v + 2]});
    }
    return corners;
}

// A triangle whose coordinates all differ, so any swapped or negated axis
// moves a corner.
constexpr std::array<Point, 3> kPoints = {{{1, 2, 3}, {5, -4, 6}, {-7, 8, 9}}};
constexpr std::array<int, 3> kOrder = {0, 1, 2};
constexpr std::array<int, 3> kReversed = {0, 2, 1};

// kPoints taken through a change of axes: row i is the y-up axis i in the
// file's axes.
std::array<Point, 3> turned(const int rows[3][3]) {
    std::array<Point, 3> out{};
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < 3; ++i) {
            float sum = 0;
            for (int j = 0; j < 3; ++j) {
                sum += static_cast<float>(rows[i][j]) * kPoints[p][j];
            }
            out[p][i] = sum;
        }
    }
    return out;
}

TEST(FbxAxesTest, declaredAxesTurnTheFileYUpKeepingFrontFaces) {
    const std::vector<Point> asGiven = cornersRead(fbxTriangle(kPoints, kOrder, &kYUp));
    ASSERT_EQ(asGiven.size(), 3u);
    // The engine's space is the library's with z negated.
    EXPECT_EQ(asGiven, (std::vector<Point>{{1, 2, -3}, {5, -4, -6}, {-7, 8, -9}}));

    // z up, y to the back, as a z-up modeller saves: (x, y, z) is (x, z, -y)
    // y up, a turn, so the corner order stays.
    const Axes zUp{2, 1, 1, -1, 0, 1};
    const int zUpRows[3][3] = {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}};
    const std::vector<Point> fromZUp = cornersRead(fbxTriangle(kPoints, kOrder, &zUp));
    EXPECT_EQ(fromZUp, cornersRead(fbxTriangle(turned(zUpRows), kOrder, &kYUp)));
    EXPECT_EQ(fromZUp, (std::vector<Point>{{1, 3, 2}, {5, 6, -4}, {-7, 9, 8}}));

    // Every axis moved: x up, y to the front, z to the right.
    const Axes xUp{0, 1, 1, 1, 2, 1};
    const int xUpRows[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    EXPECT_EQ(cornersRead(fbxTriangle(kPoints, kOrder, &xUp)),
              cornersRead(fbxTriangle(turned(xUpRows), kOrder, &kYUp)));

    // Right pointing along -x mirrors: the front faces stay in front only if
    // the corners are taken in reverse.
    const Axes mirrored{1, 1, 2, 1, 0, -1};
    const int mirroredRows[3][3] = {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    EXPECT_EQ(cornersRead(fbxTriangle(kPoints, kOrder, &mirrored)),
              cornersRead(fbxTriangle(turned(mirroredRows), kReversed, &kYUp)));

    // No axes, two roles on one axis, an axis beyond z, or a sign that is not
    // one: the file is taken as y up.
    const Axes twoOnZ{2, 1, 2, -1, 0, 1};
    const Axes beyondZ{3, 1, 1, -1, 0, 1};
    const Axes zeroSign{2, 0, 1, -1, 0, 1};
    EXPECT_EQ(cornersRead(fbxTriangle(kPoints, kOrder, nullptr)), asGiven);
    for (const Axes* axes : {&twoOnZ, &beyondZ, &zeroSign}) {
        EXPECT_EQ(cornersRead(fbxTriangle(kPoints, kOrder, axes)), asGiven)
            << "up " << axes->up << " sign " << axes->upSign;
    }
}

} // namespace
