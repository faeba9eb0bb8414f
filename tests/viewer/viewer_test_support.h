// Helpers shared by the viewer tests.
#pragma once

#include "tests/support/bytes.h"
#include "tests/viewer/literal_edges.h"
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
                           kzoview::ViewerDocument&, kzoview::LoadScope);

inline void expectEmpty(const kzoview::ViewerDocument& doc) {
    EXPECT_EQ(doc.mesh.vertexCount, 0);
    EXPECT_EQ(doc.mesh.faceCount, 0);
    EXPECT_EQ(doc.mesh.edgeCount, 0u);
    EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u);
    EXPECT_TRUE(doc.captionText.empty());
}

// The message of the FatalError that loading bytes ends with ("" when the load
// succeeds). A failed load must leave the document empty, and a summary load
// must end the same way as a whole one, with the same caption when it succeeds.
inline std::string loadError(LoadBytes load, const Bytes& bytes, const std::string& name) {
    std::string messages[2];
    std::string captions[2];
    const kzoview::LoadScope scopes[2] = {kzoview::LoadScope::wholeMesh,
                                          kzoview::LoadScope::summary};
    for (int i = 0; i < 2; ++i) {
        kzoview::ViewerDocument doc;
        try {
            load(bytes.data, name, doc, scopes[i]);
            captions[i] = doc.captionText;
        } catch (const kzoview::FatalError& e) {
            expectEmpty(doc);
            messages[i] = e.what();
        }
    }
    EXPECT_EQ(messages[1], messages[0]) << "summary load of " << name;
    EXPECT_EQ(captions[1], captions[0]) << "summary load of " << name;
    return messages[0];
}

// Every proper prefix, each in an allocation of exactly its size so that the
// sanitizers see any read past it, must fail with a FatalError, in a whole
// load and in a summary load alike.
inline void expectEveryTruncationFails(LoadBytes load, const Bytes& whole,
                                       const std::string& name) {
    for (std::size_t length = 0; length < whole.size(); ++length) {
        std::vector<std::uint8_t> prefix(whole.data.begin(), whole.data.begin() + length);
        for (const auto scope : {kzoview::LoadScope::wholeMesh, kzoview::LoadScope::summary}) {
            kzoview::ViewerDocument doc;
            EXPECT_THROW(load(prefix, name, doc, scope), kzoview::FatalError)
                << "length " << length;
            EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u) << "length " << length;
        }
    }
}

inline std::size_t edgeCount(const kzoview::ViewerMesh& mesh) {
    return mesh.edgeCount;
}

// A face's corners as vertex numbers.
inline std::vector<long> cornerNumbers(const kzoview::ViewerMesh& mesh, int face) {
    std::vector<long> out;
    for (std::uint32_t k = mesh.faceStart[face]; k < mesh.faceStart[face + 1]; ++k) {
        out.push_back(static_cast<long>(mesh.corners[k]));
    }
    return out;
}

// Every face's edge from corner j joins corners j and j + 1, and the edges are
// exactly those the plain list walk makes, in the same order.
inline void expectFaceEdgesConsistent(const kzoview::ViewerMesh& mesh) {
    std::vector<kzoview::MeshEdge> literal;
    for (int i = 0; i < mesh.faceCount; ++i) {
        const std::uint32_t first = mesh.faceStart[i];
        const std::uint32_t end = mesh.faceStart[i + 1];
        for (std::uint32_t k = first; k < end; ++k) {
            const std::uint32_t a = mesh.corners[k];
            const std::uint32_t b = mesh.corners[k + 1 < end ? k + 1 : first];
            ASSERT_EQ(mesh.cornerEdges[k], findOrAddEdgeLiteral(literal, a, b))
                << "face " << i << " corner " << k - first;
        }
    }
    ASSERT_EQ(mesh.edgeCount, literal.size());
    for (std::uint32_t e = 0; e < mesh.edgeCount; ++e) {
        EXPECT_EQ(mesh.edges[e].v0, literal[e].v0) << "edge " << e;
        EXPECT_EQ(mesh.edges[e].v1, literal[e].v1) << "edge " << e;
    }
}

} // namespace kzotest
