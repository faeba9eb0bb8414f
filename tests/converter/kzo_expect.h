// Every engine file the converter tests produce goes through these helpers:
// kzodump's checker must pass it (exact size, indices in range, runs covering
// faces and vertices, no parent cycle, every float finite), and a KZO file
// must also keep the converter's own layout promises.
#pragma once

#include "format/file_io.h"
#include "tools/dump_check.h"
#include "tools/dump_parse.h"
#include "tools/file_kind.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kzotest {

inline void expectWellFormedKzo(const std::vector<std::uint8_t>& bytes) {
    const auto problem = kzo::dump::checkKzo(bytes);
    ASSERT_FALSE(problem) << "byte " << problem->offset << ": " << problem->description;
    const kzo::dump::KzoDump d = kzo::dump::parseKzo(bytes);
    // The converter writes triangles, the fourth slot repeating the third.
    for (std::size_t i = 0; i < d.faces.size(); ++i) {
        const kzo::KzoFaceRecord& f = d.faces[i];
        EXPECT_EQ(f.cornerCount, 3) << "face " << i;
        EXPECT_EQ(f.vertexIndex[3], f.vertexIndex[2]) << "face " << i;
        EXPECT_EQ(f.u[3], f.u[2]) << "face " << i;
        EXPECT_EQ(f.v[3], f.v[2]) << "face " << i;
    }
    for (std::size_t i = 0; i < d.flatColors.size(); ++i) {
        EXPECT_EQ(d.flatColors[i].blueAgain, d.flatColors[i].blue) << "face colour " << i;
    }
    for (std::size_t i = 0; i < d.cornerColors.size(); ++i) {
        const kzo::dump::CornerColors& c = d.cornerColors[i];
        EXPECT_TRUE(c.red[3] == c.red[2] && c.green[3] == c.green[2] && c.blue[3] == c.blue[2])
            << "corner colours " << i;
    }
}

// Any engine file by the kind its path names (.kzo .mot .cam .kzl).
inline void expectWellFormedEngineFile(const std::string& path,
                                       const std::vector<std::uint8_t>& bytes) {
    const auto kind = kzo::dump::fileKindFromPath(path);
    ASSERT_TRUE(kind) << path << " is no engine file";
    if (*kind == kzo::dump::FileKind::kzo) {
        expectWellFormedKzo(bytes);
        return;
    }
    const auto problem = kzo::dump::checkFile(*kind, bytes);
    EXPECT_FALSE(problem) << path << " byte " << problem->offset << ": " << problem->description;
}

// Every file a conversion encoded for writing.
inline void expectWellFormedOutputs(const std::vector<kzo::OutputFile>& outputs) {
    for (const auto& file : outputs) {
        expectWellFormedEngineFile(file.path, file.bytes);
    }
}

} // namespace kzotest
