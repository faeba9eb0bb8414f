#include "viewer/view_session.h"

#include "format/file_io.h"
#include "viewer/first_frame.h"
#include "viewer/viewer_error.h"
#include "viewer/wireframe.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kzoview {

namespace {

bool isKzo(const std::string& name) {
    if (name.size() < 3) {
        return false;
    }
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail == "kzo";
}

MeshPlacement placementOf(const std::vector<Vec3f>& positions) {
    VertexBounds bounds;
    for (const Vec3f& p : positions) {
        addVertex(bounds, p.x, p.y, p.z);
    }
    return placeMesh(bounds);
}

std::vector<std::uint8_t> readSideFile(const std::string& name, const char* what) {
    std::vector<std::uint8_t> bytes;
    if (const auto failure = kzo::readFile(name, bytes)) {
        fatalError("no " + std::string(what) + " '" + name + "': " + failure->reason);
    }
    return bytes;
}

void loadModel(ViewSession& s) {
    if (s.model) {
        return;
    }
    if (isKzo(s.file)) {
        s.model = loadShadedKzoFile(s.file);
    } else {
        // The mesh's vertices have been turned by every paint so far; the
        // orientation turns them back, for it is a pure rotation.
        ShadedModel model = shadedModelFromMesh(*s.mesh, s.surfaces);
        const auto& r = s.orientation.r;
        const Matrix3 back{{r[0], r[3], r[6], r[1], r[4], r[7], r[2], r[5], r[8]}};
        for (Vec3f& p : model.positions) {
            p = {p.x * back.r[0] + p.y * back.r[3] + p.z * back.r[6],
                 p.x * back.r[1] + p.y * back.r[4] + p.z * back.r[7],
                 p.x * back.r[2] + p.y * back.r[5] + p.z * back.r[8]};
        }
        for (Vec3f& n : model.faceNormals) {
            n = {n.x * back.r[0] + n.y * back.r[3] + n.z * back.r[6],
                 n.x * back.r[1] + n.y * back.r[4] + n.z * back.r[7],
                 n.x * back.r[2] + n.y * back.r[5] + n.z * back.r[8]};
        }
        s.model = std::move(model);
    }
    s.restPlacement = placementOf(s.model->positions);
}

void loadMotion(ViewSession& s) {
    if (s.motion) {
        return;
    }
    if (!isKzo(s.file)) {
        fatalError("only a .kzo file plays: '" + s.file + "' has no motion file");
    }
    loadModel(s);
    const std::string motionName = sideFileName(s.file, "mot");
    const std::vector<std::uint8_t> motionBytes = readSideFile(motionName, "motion file");
    MotionFile motion = parseMotionFile(motionBytes, motionName);
    const std::string cameraName = sideFileName(s.file, "cam");
    std::vector<std::uint8_t> cameraBytes;
    if (kzo::readFileBytes(cameraName, cameraBytes)) {
        s.camera = parseCameraFile(cameraBytes, cameraName);
    }
    ShadedFrame first;
    animatedPose(*s.model, motion, 0, first);
    s.playPlacement = placementOf(first.positions);
    s.motion = std::move(motion);
}

// Only a shaded view draws textures: the edges and the lights alone never
// read an image.
void readTextures(ViewSession& s) {
    if (s.texturesRead || !s.textures) {
        return;
    }
    s.texturesRead = true;
    readModelTextures(*s.model, TextureSearch{s.file, s.textureDirectories}, s.warn);
}

bool namesTextures(const MeshSurfaces* surfaces) {
    if (surfaces == nullptr) {
        return false;
    }
    for (const MeshSurfaces::Material& m : surfaces->materials) {
        if (!m.imageName.empty() || !m.embedded.empty()) {
            return true;
        }
    }
    return false;
}

int lastFrame(const ViewSession& s) {
    return s.motion ? std::max(s.motion->lastFrame, 0) : 0;
}

// Runs a load step; a FatalError becomes the returned text.
template <class Step>
std::string attempt(Step&& step) {
    try {
        step();
        return {};
    } catch (const FatalError& e) {
        return e.what();
    } catch (const std::bad_alloc&) {
        return "memory allocation error!!";
    }
}

ViewProjection projectionOf(const ViewSession& s, int width, int height) {
    if (s.playing && s.camera) {
        return cameraProjection(cameraAt(*s.camera, s.frame), s.playPlacement.viewDistance * 0.25f,
                                width, height);
    }
    return turningProjection(s.playing ? s.playPlacement : s.restPlacement, s.orientation, width,
                             height);
}

void drawMarkers(const ViewSession& s, const ViewProjection& view, RasterImage& image) {
    const MeshPlacement& place = s.playing ? s.playPlacement : s.restPlacement;
    drawLightMarkers(s.lightList, s.lightScale, place.viewDistance * 0.05f, view, image);
}

void paintOtherViews(ViewSession& s, int width, int height, RasterImage& image) {
    resetImage(image, width + 1, height + 1, kBlack);
    const ViewProjection view = projectionOf(s, width, height);
    if (s.playing) {
        animatedPose(*s.model, *s.motion, s.frame, s.posed);
    } else {
        restPose(*s.model, s.posed);
    }
    if (s.shaded) {
        readTextures(s);
        resetDepth(s.depth, image.width, image.height);
        drawShaded(*s.model, s.posed, view, image, s.depth, s.scratch);
    } else {
        drawPosedEdges(*s.model, s.posed, view, image);
    }
    if (s.lights) {
        drawMarkers(s, view, image);
    }
}

} // namespace

std::string openSession(ViewSession& s, ViewerMesh& mesh, const ViewCommand& command,
                        const MeshSurfaces* surfaces) {
    s.mesh = &mesh;
    s.surfaces = surfaces;
    s.file = command.file;
    FormCreate(s.view);
    s.framesPerSecond = command.framesPerSecond;
    s.lightScale = command.lightScale;
    s.textures = command.textures;
    s.textureDirectories = command.textureDirectories;
    return attempt([&] {
        if (command.shaded) {
            loadModel(s);
            s.shaded = true;
        }
        if (command.autoShaded && (isKzo(s.file) || namesTextures(s.surfaces))) {
            // Only a file with baked light or with textures has more to show
            // than its edges.
            loadModel(s);
            readTextures(s);
            s.shaded = s.shaded || s.model->rule == ShadeRule::storedCornerColor ||
                       s.model->rule == ShadeRule::storedFaceColor || showsTextures(*s.model);
        }
        if (command.play) {
            loadMotion(s);
            s.playing = true;
            s.frame = command.frame;
        }
        if (command.lights) {
            loadModel(s);
            const std::string name = sideFileName(s.file, "kzl");
            s.lightList = parseLightFile(readSideFile(name, "light file"), name);
            s.lights = true;
        }
    });
}

namespace {

void paintTurned(ViewSession& s, int width, int height, RasterImage& image) {
    const Matrix3 turn = s.view.rotation;
    MultiplyMatrix(s.orientation, s.orientation, turn);
    if (!s.shaded && !s.playing) {
        if (s.wireLags) {
            MultiplyMatrix(s.view.rotation, s.wireLag, turn);
            s.wireLags = false;
        }
        DrawWireframe(*s.mesh, s.view, width, height, image);
        if (s.lights) {
            drawMarkers(s, projectionOf(s, width, height), image);
        }
        return;
    }
    if (s.wireLags) {
        MultiplyMatrix(s.wireLag, s.wireLag, turn);
    } else {
        s.wireLag = turn;
        s.wireLags = true;
    }
    s.view.rotation = kIdentityMatrix;
    paintOtherViews(s, width, height, image);
}

} // namespace

void paintSession(ViewSession& s, int width, int height, RasterImage& image) {
    // A paint that runs out of memory leaves every turn where it was, for
    // the next paint to apply once; no vertex has been turned by then.
    const Matrix3 rotation = s.view.rotation;
    const Matrix3 orientation = s.orientation;
    const Matrix3 wireLag = s.wireLag;
    const bool wireLags = s.wireLags;
    try {
        paintTurned(s, width, height, image);
    } catch (...) {
        s.view.rotation = rotation;
        s.orientation = orientation;
        s.wireLag = wireLag;
        s.wireLags = wireLags;
        throw;
    }
}

RasterImage renderSnapshot(ViewSession& s, int width, int height) {
    if (!s.shaded && !s.playing && !s.lights) {
        return renderFirstFrame(*s.mesh, width, height);
    }
    RasterImage drawn;
    paintSession(s, width, height, drawn);
    RasterImage client;
    client.width = width;
    client.height = height;
    for (int y = 0; y < height; ++y) {
        const auto row = drawn.pixels.begin() + std::ptrdiff_t(y) * drawn.width;
        client.pixels.insert(client.pixels.end(), row, row + width);
    }
    return client;
}

bool pressKey(ViewSession& s, ViewKey key) {
    s.notice.clear();
    switch (key) {
    case ViewKey::shaded:
        if (const std::string error = attempt([&] { loadModel(s); }); !error.empty()) {
            s.notice = error;
            return false;
        }
        s.shaded = !s.shaded;
        return true;
    case ViewKey::play:
        if (s.playing) {
            s.playing = false;
            return true;
        }
        if (const std::string error = attempt([&] { loadMotion(s); }); !error.empty()) {
            s.notice = error;
            return false;
        }
        s.playing = true;
        s.paused = false;
        s.sinceFrameMs = 0;
        return true;
    case ViewKey::pause:
        s.paused = !s.paused;
        return false;
    case ViewKey::nextFrame:
    case ViewKey::previousFrame:
        if (!s.playing) {
            return false;
        }
        s.frame = key == ViewKey::nextFrame ? (s.frame >= lastFrame(s) ? 0 : s.frame + 1)
                                            : (s.frame <= 0 ? lastFrame(s) : s.frame - 1);
        return true;
    }
    return false;
}

bool advancePlay(ViewSession& s, double elapsedMs) {
    if (!s.playing || s.paused) {
        return false;
    }
    s.sinceFrameMs += elapsedMs;
    const double perFrame = 1000.0 / s.framesPerSecond;
    const auto steps = static_cast<long long>(s.sinceFrameMs / perFrame);
    if (steps <= 0) {
        return false;
    }
    s.sinceFrameMs -= double(steps) * perFrame;
    const long long count = lastFrame(s) + 1LL;
    // A frame asked for beyond the end starts the loop from its place in it.
    s.frame = int((s.frame % count + steps % count) % count);
    return true;
}

} // namespace kzoview
