#include "converter/model/bake_transforms.h"

#include "converter/model/angles.h"
#include "converter/model/pivot_hierarchy.h"

#include <cmath>

namespace kzo {
namespace {

using Matrix = float[4][4];

void setIdentity(Matrix& m) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m[i][j] = i == j ? 1.0f : 0.0f;
        }
    }
}

// out = a * b for transforms whose column 3 is (0, 0, 0, 1); out may alias a or b.
void multiplyAffine(const Matrix& a, const Matrix& b, Matrix& out) {
    float r[4][4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
        }
    }
    for (int j = 0; j < 3; ++j) {
        r[3][j] += b[3][j];
    }
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            out[i][j] = r[i][j];
        }
        out[i][3] = i == 3 ? 1.0f : 0.0f;
    }
}

void rotationX(double a, Matrix& m) {
    const auto c = static_cast<float>(std::cos(a));
    const auto s = static_cast<float>(std::sin(a));
    setIdentity(m);
    m[1][1] = c;
    m[1][2] = s;
    m[2][1] = -s;
    m[2][2] = c;
}

void rotationY(double a, Matrix& m) {
    const auto c = static_cast<float>(std::cos(a));
    const auto s = static_cast<float>(std::sin(a));
    setIdentity(m);
    m[0][0] = c;
    m[0][2] = -s;
    m[2][0] = s;
    m[2][2] = c;
}

void rotationZ(double a, Matrix& m) {
    const auto c = static_cast<float>(std::cos(a));
    const auto s = static_cast<float>(std::sin(a));
    setIdentity(m);
    m[0][0] = c;
    m[0][1] = s;
    m[1][0] = -s;
    m[1][1] = c;
}

// ((q - pivotPoint) scaled by the key scale) rotated bank, pitch, heading, then
// moved to the key position.
void buildLocalTransform(Pivot& pivot) {
    const float* key = pivot.firstKey;
    Matrix bank, pitch, heading, rotation;
    rotationZ(transformRadians(key[5]), bank);
    rotationX(transformRadians(key[4]), pitch);
    rotationY(transformRadians(key[3]), heading);
    multiplyAffine(bank, pitch, rotation);
    multiplyAffine(rotation, heading, rotation);
    rotation[3][0] = key[0];
    rotation[3][1] = key[1];
    rotation[3][2] = key[2];

    Matrix scale;
    setIdentity(scale);
    for (int i = 0; i < 3; ++i) {
        scale[i][i] = key[6 + i];
        scale[3][i] = -pivot.pivotPoint[i] * key[6 + i];
    }
    multiplyAffine(scale, rotation, pivot.matrix);
    pivot.matrixReady = 0;
}

// Parents are resolved before their children without recursion: the chain of
// unresolved ancestors is collected first and then resolved from the top down.
void resolveChains(SceneModel& model, const std::vector<std::uint16_t>& parent) {
    std::vector<std::size_t> chain;
    for (std::size_t start = 0; start < parent.size(); ++start) {
        chain.clear();
        for (std::size_t i = start; model.pivots[i].matrixReady == 0;) {
            chain.push_back(i);
            if (parent[i] == kNoParent) {
                break;
            }
            i = parent[i];
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            Pivot& pivot = model.pivots[*it];
            if (parent[*it] != kNoParent) {
                multiplyAffine(pivot.matrix, model.pivots[parent[*it]].matrix, pivot.matrix);
            }
            pivot.matrixReady = 1;
        }
    }
}

void transformVertices(SceneModel& model) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        if (v.pivotIndex >= model.pivotCount) {
            continue;
        }
        const Matrix& m = model.pivots[v.pivotIndex].matrix;
        const float x = v.x, y = v.y, z = v.z;
        v.x = x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0];
        v.y = x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1];
        v.z = x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2];
    }
}

} // namespace

void bakeTransforms(SceneModel& model) {
    if (model.pivotCount <= 0) {
        return;
    }
    for (std::int32_t i = 0; i < model.pivotCount; ++i) {
        buildLocalTransform(model.pivots[static_cast<std::size_t>(i)]);
    }
    resolveChains(model, effectiveParents(model));
    transformVertices(model);
}

} // namespace kzo
