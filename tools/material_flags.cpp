#include "tools/material_flags.h"

#include "format/kzo_format.h"

#include <cstdio>

namespace kzo::dump {

std::vector<std::string> materialFlagNames(std::uint16_t flags) {
    struct Named {
        std::uint16_t bit;
        const char* name;
    };
    static const Named kNames[] = {
        {kMaterialTransparent, "transparent"}, {kMaterialAlways, "always"},
        {kMaterialShaded, "shaded"},           {kMaterialTextured, "textured"},
        {kMaterialTextured40, "textured40"},   {kMaterialTextured80, "textured80"},
    };
    std::vector<std::string> names;
    for (unsigned bit = 1; bit <= 0x8000; bit <<= 1) {
        if ((flags & bit) == 0) {
            continue;
        }
        const char* name = nullptr;
        for (const Named& n : kNames) {
            if (n.bit == bit) {
                name = n.name;
            }
        }
        if (name != nullptr) {
            names.emplace_back(name);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%04X", bit);
            names.emplace_back(hex);
        }
    }
    return names;
}

} // namespace kzo::dump
