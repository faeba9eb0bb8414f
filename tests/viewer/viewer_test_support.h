// Helpers shared by the viewer tests.
#pragma once

#include "tests/support/bytes.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kzotest {

using LoadBytes = void (*)(std::span<const std::uint8_t>, const std::string&,
                           kzoview::ViewerDocument&);

// The message of the FatalError that loading bytes ends with ("" when the load
// succeeds). A failed load must leave the document empty.
inline std::string loadError(LoadBytes load, const Bytes& bytes, const std::string& name) {
    kzoview::ViewerDocument doc;
    try {
        load(bytes.data, name, doc);
    } catch (const kzoview::FatalError& e) {
        EXPECT_EQ(doc.mesh.vertexCount, 0);
        EXPECT_EQ(doc.mesh.faceCount, 0);
        EXPECT_EQ(doc.mesh.edgeList, nullptr);
        EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u);
        EXPECT_TRUE(doc.captionText.empty());
        return e.what();
    }
    return "";
}

// Every proper prefix, each in an allocation of exactly its size so that the
// sanitizers see any read past it, must fail with a FatalError.
inline void expectEveryTruncationFails(LoadBytes load, const Bytes& whole,
                                       const std::string& name) {
    for (std::size_t length = 0; length < whole.size(); ++length) {
        std::vector<std::uint8_t> prefix(whole.data.begin(), whole.data.begin() + length);
        kzoview::ViewerDocument doc;
        EXPECT_THROW(load(prefix, name, doc), kzoview::FatalError) << "length " << length;
        EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u) << "length " << length;
    }
}

inline std::size_t edgeCount(const kzoview::ViewerMesh& mesh) {
    std::size_t n = 0;
    for (const kzoview::MeshEdge* e = mesh.edgeList; e != nullptr; e = e->next) {
        ++n;
    }
    return n;
}

// A face's corners as vertex numbers.
inline std::vector<long> cornerNumbers(const kzoview::ViewerMesh& mesh, int face) {
    std::vector<long> out;
    const kzoview::MeshFace& f = mesh.faceArray[face];
    for (int j = 0; j < f.cornerCount; ++j) {
        out.push_back(static_cast<long>(f.corners[j] - mesh.vertexArray));
    }
    return out;
}

// Every face's edges[j] joins corners[j] and corners[j + 1], and is on the list.
inline void expectFaceEdgesConsistent(const kzoview::ViewerMesh& mesh) {
    std::set<const kzoview::MeshEdge*> listed;
    for (const kzoview::MeshEdge* e = mesh.edgeList; e != nullptr; e = e->next) {
        listed.insert(e);
    }
    for (int i = 0; i < mesh.faceCount; ++i) {
        const kzoview::MeshFace& f = mesh.faceArray[i];
        for (int j = 0; j < f.cornerCount; ++j) {
            const kzoview::MeshEdge* e = f.edges[j];
            ASSERT_TRUE(listed.count(e));
            const std::set<const kzoview::MeshVertex*> ends{e->v0, e->v1};
            const std::set<const kzoview::MeshVertex*> corners{f.corners[j],
                                                               f.corners[(j + 1) % f.cornerCount]};
            EXPECT_EQ(ends, corners) << "face " << i << " edge " << j;
        }
    }
}

} // namespace kzotest
