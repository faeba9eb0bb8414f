#include "modelimport/module/light_mapping.h"

#include "modelimport/module/library_text.h"

#include <assimp/light.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kzo {
namespace {

constexpr double kOneDegree = std::numbers::pi / 180.0;

bool finite3(const double v[3]) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

bool fitsFloat3(const double v[3]) {
    return fitsFloat(v[0]) && fitsFloat(v[1]) && fitsFloat(v[2]);
}

// Scene-space point of the library as the engine's.
void toEngine(double p[3]) {
    p[2] = -p[2];
}

struct Reference {
    double centre[3] = {};
    double nearest = 1; // the shortest distance a light is taken at
};

Reference referenceOf(const SceneBounds& bounds) {
    Reference r;
    if (bounds.empty()) {
        return r;
    }
    double diagonal = 0;
    for (int i = 0; i < 3; ++i) {
        r.centre[i] = 0.5 * (bounds.min[i] + bounds.max[i]);
        const double d = bounds.max[i] - bounds.min[i];
        diagonal += d * d;
    }
    diagonal = std::sqrt(diagonal);
    if (diagonal > 0 && std::isfinite(diagonal)) {
        r.nearest = 0.5 * diagonal;
    }
    return r;
}

// The light's illuminance at the model, in the file's units.
double illuminance(const aiLight& light, const Light& record, double peak, const Reference& ref) {
    if (record.type == kDistantLight) {
        return peak;
    }
    double d = 0;
    for (int i = 0; i < 3; ++i) {
        const double e = record.position[i] - ref.centre[i];
        d += e * e;
    }
    d = std::max(std::sqrt(d), ref.nearest);
    const double attenuation = double(light.mAttenuationConstant) +
                               double(light.mAttenuationLinear) * d +
                               double(light.mAttenuationQuadratic) * d * d;
    return attenuation > 0 && std::isfinite(attenuation) ? peak / attenuation : peak;
}

std::uint8_t channelByte(double value, double peak) {
    const double scaled = std::round(255.0 * value / peak);
    return static_cast<std::uint8_t>(std::clamp(std::isfinite(scaled) ? scaled : 0.0, 0.0, 255.0));
}

// Cone and edge of a spot light from the file's inner and outer angles.
void setCone(const aiLight& light, bool halfAngles, Light& record) {
    const double share = halfAngles ? 1.0 : 0.5;
    const auto angle = [&](float value) {
        const double a = std::isfinite(value) ? double(value) * share : 0.0;
        return std::clamp(a, 0.0, std::numbers::pi);
    };
    // The cone at most 179 degrees off the axis, so that its edge still fits.
    const double cone = std::min(angle(light.mAngleInnerCone), std::numbers::pi - kOneDegree);
    double edge = angle(light.mAngleOuterCone);
    if (!(cone < edge)) {
        edge = cone + kOneDegree;
    }
    record.coneCos = static_cast<float>(std::cos(cone));
    record.edgeCos = static_cast<float>(std::cos(edge));
}

void addAmbient(const aiLight& light, std::array<float, 3>& ambient) {
    const aiColor3D& a = light.mColorAmbient;
    const bool none = !(a.r > 0 || a.g > 0 || a.b > 0);
    const aiColor3D& c = none ? light.mColorDiffuse : a;
    const float rgb[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) {
        if (std::isfinite(rgb[i]) && rgb[i] > 0) {
            ambient[i] = std::min(255.0f, ambient[i] + 255.0f * rgb[i]);
        }
    }
}

} // namespace

void SceneBounds::add(const double p[3]) {
    if (!finite3(p)) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        min[i] = std::min(min[i], p[i]);
        max[i] = std::max(max[i], p[i]);
    }
}

MappedLights mapLights(const std::vector<PlacedLight>& placed, const SceneBounds& bounds,
                       bool halfAngles) {
    MappedLights out;
    const Reference ref = referenceOf(bounds);
    std::vector<double> strength;
    for (const PlacedLight& p : placed) {
        const aiLight& light = *p.light;
        Light record;
        switch (light.mType) {
        case aiLightSource_DIRECTIONAL:
            record.type = kDistantLight;
            break;
        case aiLightSource_POINT:
            record.type = kPointLight;
            break;
        case aiLightSource_SPOT:
            record.type = kSpotLight;
            break;
        case aiLightSource_AMBIENT:
            addAmbient(light, out.ambient);
            continue;
        default:
            out.leftOut.push_back(libraryText(light.mName));
            continue;
        }
        double position[3];
        const double local[3] = {light.mPosition.x, light.mPosition.y, light.mPosition.z};
        applyPoint(p.place, local, position);
        toEngine(position);
        if (!fitsFloat3(position)) {
            out.unplaced.push_back(libraryText(light.mName));
            continue;
        }
        // The engine's direction points from the lit surface to the light,
        // against the way the light shines.
        double direction[3];
        const double shines[3] = {light.mDirection.x, light.mDirection.y, light.mDirection.z};
        applyVector(p.place, shines, direction);
        toEngine(direction);
        const double length = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                        direction[2] * direction[2]);
        if (length > 0 && std::isfinite(length)) {
            for (double& d : direction) {
                d = -d / length;
            }
        } else {
            direction[0] = direction[1] = 0;
            direction[2] = -1;
        }
        for (int i = 0; i < 3; ++i) {
            record.position[i] = static_cast<float>(position[i]) + 0.0f;
            record.direction[i] = static_cast<float>(direction[i]) + 0.0f;
        }
        const aiColor3D& c = light.mColorDiffuse;
        const double peak = std::max({double(c.r), double(c.g), double(c.b)});
        const bool lit = peak > 0 && std::isfinite(peak);
        record.color[0] = lit ? channelByte(c.r, peak) : 0;
        record.color[1] = lit ? channelByte(c.g, peak) : 0;
        record.color[2] = lit ? channelByte(c.b, peak) : 0;
        // A range beyond the largest float reaches as far as that one.
        record.range =
            p.range >= 0 && std::isfinite(p.range)
                ? static_cast<float>(std::min(p.range, double(std::numeric_limits<float>::max())))
                : -1.0f;
        if (record.type == kSpotLight) {
            setCone(light, halfAngles, record);
        } else {
            // A light without a cone has the cone of a LightWave light that
            // states none: 0 degrees, the edge one degree wider.
            record.coneCos = 1.0f;
            record.edgeCos = static_cast<float>(std::cos(kOneDegree));
        }
        const double e = lit ? illuminance(light, record, peak, ref) : 0.0;
        strength.push_back(std::isfinite(e) && e > 0 ? e : 0.0);
        out.lights.push_back(record);
    }
    const double brightest =
        strength.empty() ? 0.0 : *std::max_element(strength.begin(), strength.end());
    for (std::size_t i = 0; i < out.lights.size(); ++i) {
        out.lights[i].intensity =
            brightest > 0 ? static_cast<float>(strength[i] / brightest) : 0.0f;
    }
    return out;
}

} // namespace kzo
