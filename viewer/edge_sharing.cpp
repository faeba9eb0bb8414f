#include "viewer/edge_sharing.h"

#include "format/large_memory.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kzoview {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Calls visit(k, a, b) for every corner k in order: the pair it starts, from
// vertex a to the face's next corner b.
template <class Visit>
void forEachCornerPair(const ViewerMesh& mesh, Visit&& visit) {
    for (std::int32_t face = 0; face < mesh.faceCount; ++face) {
        const std::uint32_t first = mesh.faceStart[face];
        const std::uint32_t last = mesh.faceStart[face + 1] - 1;
        for (std::uint32_t k = first; k < last; ++k) {
            visit(k, mesh.corners[k], mesh.corners[k + 1]);
        }
        visit(last, mesh.corners[last], mesh.corners[first]);
    }
}

// Like forEachCornerPair, stopping at the first visit that returns false;
// returns whether every pair was visited.
template <class Visit>
bool everyCornerPair(const ViewerMesh& mesh, Visit&& visit) {
    for (std::int32_t face = 0; face < mesh.faceCount; ++face) {
        const std::uint32_t first = mesh.faceStart[face];
        const std::uint32_t last = mesh.faceStart[face + 1] - 1;
        for (std::uint32_t k = first; k < last; ++k) {
            if (!visit(k, mesh.corners[k], mesh.corners[k + 1])) {
                return false;
            }
        }
        if (!visit(last, mesh.corners[last], mesh.corners[first])) {
            return false;
        }
    }
    return true;
}

// The edges in one walk of the corners, for meshes whose vertices each have
// few edges: every vertex heads a list of the edges made so far whose lower
// end it is, newest first, where a pair looks for its edge. Nothing but two
// arrays of numbers, and for most meshes no second walk. Gives up, returning
// false with the edges to be made again, at a corner that joins a vertex to
// itself (its matches follow other rules) or when the lists have cost more
// steps than a sort would (vertices shared by very many faces).
bool shareEdgesThroughLists(ViewerMesh& mesh, std::uint32_t cornerCount, MeshEdge* edges) {
    const auto vertexCount = static_cast<std::size_t>(mesh.vertexCount);
    const auto newestFrom = kzo::makeLargeArray<std::uint32_t>(vertexCount);
    std::fill(newestFrom.get(), newestFrom.get() + vertexCount, kNone);
    const auto older = kzo::makeLargeArray<std::uint32_t>(cornerCount); // per edge
    std::uint32_t* const edgeOf = mesh.cornerEdges;
    // A walk this long finds a vertex that a sort serves better at once; the
    // budget bounds the steps of many vertices of long lists together.
    constexpr std::uint32_t kLongestWalk = 256;
    constexpr std::uint64_t kStepsPerCorner = 8;
    std::uint64_t stepsLeft = kStepsPerCorner * cornerCount + 4096;
    std::uint32_t made = 0;
    const bool done = everyCornerPair(mesh, [&](std::uint32_t k, std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lo = std::min(a, b);
        const std::uint32_t hi = std::max(a, b);
        if (lo == hi) {
            return false;
        }
        // An edge of lo's list has lo at one end: its ends' exclusive or is
        // lo's with hi exactly when hi is the other end.
        const std::uint32_t key = lo ^ hi;
        std::uint32_t e = newestFrom[lo];
        std::uint32_t steps = 0;
        while (e != kNone && (edges[e].v0 ^ edges[e].v1) != key) {
            if (++steps > kLongestWalk || --stepsLeft == 0) {
                return false;
            }
            e = older[e];
        }
        if (e == kNone) {
            e = made++;
            edges[e] = MeshEdge{a, b};
            older[e] = newestFrom[lo];
            newestFrom[lo] = e;
        }
        edgeOf[k] = e;
        return true;
    });
    if (done) {
        mesh.edgeCount = made;
    }
    return done;
}

// For every corner of one bucket (one lower vertex, corners in order, their
// higher vertex in higherEnd), the first corner of the bucket with the same
// higher vertex: its pair's first corner. Written over higherEnd.
void firstCornersOfBucket(const std::uint32_t* bucket, std::size_t size, std::uint32_t* higherEnd,
                          std::vector<std::pair<std::uint32_t, std::uint32_t>>& scratch) {
    constexpr std::size_t kSmall = 16;
    if (size <= kSmall) {
        std::uint32_t hi[kSmall];
        std::uint32_t first[kSmall];
        for (std::size_t i = 0; i < size; ++i) {
            hi[i] = higherEnd[bucket[i]];
            first[i] = bucket[i];
            for (std::size_t j = 0; j < i; ++j) {
                if (hi[j] == hi[i]) {
                    first[i] = first[j];
                    break;
                }
            }
        }
        for (std::size_t i = 0; i < size; ++i) {
            higherEnd[bucket[i]] = first[i];
        }
        return;
    }
    // A vertex shared by many faces: sorting keeps the bucket n log n.
    scratch.clear();
    for (std::size_t i = 0; i < size; ++i) {
        scratch.emplace_back(higherEnd[bucket[i]], bucket[i]);
    }
    std::sort(scratch.begin(), scratch.end());
    std::uint32_t first = 0;
    for (std::size_t i = 0; i < scratch.size(); ++i) {
        if (i == 0 || scratch[i].first != scratch[i - 1].first) {
            first = scratch[i].second;
        }
        higherEnd[scratch[i].second] = first;
    }
}

// Sets cornerEdges[k] to the first corner whose pair is corner k's unordered
// pair, bucketing the corners in room for cornerCount numbers; returns how
// many corners are first of their pair, and whether any corner joins a vertex
// to itself.
std::pair<std::uint32_t, bool> findFirstCorners(ViewerMesh& mesh, std::uint32_t cornerCount,
                                                void* room) {
    const auto vertexCount = static_cast<std::size_t>(mesh.vertexCount);
    std::uint32_t* higherEnd = mesh.cornerEdges;
    const auto bucketEnd = kzo::makeLargeArray<std::uint32_t>(vertexCount + 1);
    std::fill(bucketEnd.get(), bucketEnd.get() + vertexCount + 1, 0u);
    bool loops = false;
    forEachCornerPair(mesh, [&](std::uint32_t k, std::uint32_t a, std::uint32_t b) {
        const std::uint32_t lo = std::min(a, b);
        higherEnd[k] = std::max(a, b);
        ++bucketEnd[lo + 1];
        loops = loops || a == b;
    });
    for (std::size_t v = 1; v <= vertexCount; ++v) {
        bucketEnd[v] += bucketEnd[v - 1];
    }
    // Each bucket is filled in corner order; its fill position ends where the
    // next bucket starts.
    auto* const buckets = static_cast<std::uint32_t*>(room);
    std::uninitialized_default_construct_n(buckets, cornerCount);
    forEachCornerPair(mesh, [&](std::uint32_t k, std::uint32_t a, std::uint32_t b) {
        buckets[bucketEnd[std::min(a, b)]++] = k;
    });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> scratch;
    std::uint32_t firsts = 0;
    std::uint32_t begin = 0;
    for (std::size_t v = 0; v < vertexCount; ++v) {
        const std::uint32_t end = bucketEnd[v];
        firstCornersOfBucket(&buckets[begin], end - begin, higherEnd, scratch);
        for (std::uint32_t i = begin; i < end; ++i) {
            firsts += higherEnd[buckets[i]] == buckets[i];
        }
        begin = end;
    }
    return {firsts, loops};
}

// The arrays every paint fills, once the edges are known.
void finishEdges(ViewerMesh& mesh) {
    mesh.frontFacing = trackedArray<std::uint8_t>(mesh.arena, mesh.edgeCount);
    mesh.screenPoints =
        trackedArray<ScreenPoint>(mesh.arena, static_cast<std::size_t>(mesh.vertexCount));
    mesh.pixelPoints =
        trackedArray<PixelPoint>(mesh.arena, static_cast<std::size_t>(mesh.vertexCount));
}

} // namespace

FacePlacement startFaces(ViewerMesh& mesh, std::size_t faceCount, std::size_t cornerCount) {
    // Corner and edge numbers fit 32 bits, with one value left for "none".
    if (cornerCount >= kNone || faceCount >= kNone) {
        throw std::bad_alloc();
    }
    FacePlacement placement;
    placement.cornerCapacity = cornerCount;
    mesh.faceStart = trackedBuffer<std::uint32_t>(mesh.arena, faceCount + 1);
    mesh.faceStart[0] = 0;
    mesh.corners = trackedBuffer<std::uint32_t>(mesh.arena, cornerCount);
    return placement;
}

std::uint32_t* addFace(ViewerMesh& mesh, FacePlacement& placement, std::int32_t face,
                       std::uint32_t cornerCount) {
    if (cornerCount > placement.cornerCapacity - placement.cornersPlaced) {
        throw std::length_error("more corners than the face arrays were made for");
    }
    std::uint32_t* place = mesh.corners + placement.cornersPlaced;
    placement.cornersPlaced += cornerCount;
    mesh.faceStart[face + 1] = placement.cornersPlaced;
    return place;
}

std::uint32_t* addFaces(ViewerMesh& mesh, FacePlacement& placement, std::int32_t firstFace,
                        std::uint32_t faceCount, std::uint32_t cornersEach) {
    const std::size_t room = placement.cornerCapacity - placement.cornersPlaced;
    if (cornersEach != 0 && faceCount > room / cornersEach) {
        throw std::length_error("more corners than the face arrays were made for");
    }
    std::uint32_t* place = mesh.corners + placement.cornersPlaced;
    std::uint32_t* start = mesh.faceStart + firstFace + 1;
    for (std::uint32_t i = 0; i < faceCount; ++i) {
        placement.cornersPlaced += cornersEach;
        start[i] = placement.cornersPlaced;
    }
    return place;
}

void shareEdges(ViewerMesh& mesh) {
    const std::uint32_t cornerCount = mesh.faceCount > 0 ? mesh.faceStart[mesh.faceCount] : 0;
    mesh.cornerEdges = trackedBuffer<std::uint32_t>(mesh.arena, cornerCount);
    mesh.edgeCount = 0;
    // Each corner makes at most one edge. Past the lists, the edge array's
    // room holds the buckets first: they are done with before the first edge
    // is written, and the pages a closed mesh's edges fill are the pages the
    // buckets filled.
    MeshEdge* edges = trackedBuffer<MeshEdge>(mesh.arena, cornerCount);
    mesh.edges = edges;
    if (shareEdgesThroughLists(mesh, cornerCount, edges)) {
        finishEdges(mesh);
        return;
    }
    const auto [firsts, loops] = findFirstCorners(mesh, cornerCount, edges);
    std::uninitialized_default_construct_n(edges, firsts);
    mesh.edges = edges;
    std::uint32_t* edgeOf = mesh.cornerEdges; // first corner until set, then edge number

    if (!loops) {
        forEachCornerPair(mesh, [&](std::uint32_t k, std::uint32_t a, std::uint32_t b) {
            const std::uint32_t first = edgeOf[k];
            if (first == k) {
                mesh.edges[mesh.edgeCount] = MeshEdge{a, b};
                edgeOf[k] = mesh.edgeCount++;
            } else {
                edgeOf[k] = edgeOf[first];
            }
        });
    } else {
        // A loop at a vertex matches every later pair of that vertex, so a pair
        // whose first corner met one is never made, and a pair is given the
        // newest of its own edge and the loops at its ends.
        std::vector<std::uint32_t> loopAt(static_cast<std::size_t>(mesh.vertexCount), kNone);
        const auto newer = [](std::uint32_t x, std::uint32_t y) {
            return x == kNone ? y : (y == kNone ? x : std::max(x, y));
        };
        forEachCornerPair(mesh, [&](std::uint32_t k, std::uint32_t a, std::uint32_t b) {
            const std::uint32_t first = edgeOf[k];
            std::uint32_t found = kNone;
            if (a == b) {
                found = loopAt[a];
            } else {
                if (first != k) {
                    const MeshEdge& e = mesh.edges[edgeOf[first]];
                    found = e.v0 != e.v1 ? edgeOf[first] : kNone;
                }
                found = newer(found, newer(loopAt[a], loopAt[b]));
            }
            if (found == kNone) {
                found = mesh.edgeCount++;
                mesh.edges[found] = MeshEdge{a, b};
                if (a == b) {
                    loopAt[a] = found;
                }
            }
            edgeOf[k] = found;
        });
    }
    finishEdges(mesh);
}

} // namespace kzoview
