// Everything one open file shows: the described wireframe by default, and on
// request the shaded view, the animated scene and the lights. The window and
// --snapshot both paint through here, so they show the same pixels.
//
// The wireframe keeps turning its own vertices in place, exactly as before;
// the other views draw the file's untouched positions turned by the
// orientation the turns have added up to, so switching views keeps the
// object where it was.
#pragma once

#include "viewer/model_textures.h"
#include "viewer/raster_image.h"
#include "viewer/scene_motion.h"
#include "viewer/shaded_view.h"
#include "viewer/view_command.h"
#include "viewer/view_state.h"
#include "viewer/viewer_mesh.h"

#include <optional>
#include <string>
#include <vector>

namespace kzoview {

enum class ViewKey {
    shaded,        // S: shaded or wireframe
    play,          // P: play the animation or stop it
    pause,         // Space: hold the current frame or go on
    nextFrame,     // Right
    previousFrame, // Left
};

struct ViewSession {
    ViewerMesh* mesh = nullptr;             // the wireframe's, turned in place by its paints
    const MeshSurfaces* surfaces = nullptr; // what its loader kept of its textures
    std::string file;
    ViewState view;

    bool shaded = false;
    bool playing = false;
    bool paused = false;
    bool lights = false;
    int framesPerSecond = kDefaultFramesPerSecond;
    float lightScale = 1.0f;
    bool textures = true;
    bool texturesRead = false; // read when a shaded view first needs them
    std::vector<std::string> textureDirectories;
    // Where the lines about textures that cannot be shown go; set by the
    // program before the session opens.
    TextureWarning warn;
    int frame = 0;
    double sinceFrameMs = 0;

    // Loaded when a view first needs them.
    std::optional<ShadedModel> model;
    MeshPlacement restPlacement;
    std::optional<MotionFile> motion;
    std::optional<CameraFile> camera;
    MeshPlacement playPlacement; // the scene's place at frame 0, kept while it plays
    std::vector<kzo::Light> lightList;

    Matrix3 orientation = kIdentityMatrix; // every turn applied so far
    Matrix3 wireLag = kIdentityMatrix;     // turns the wireframe's vertices have not had
    bool wireLags = false;

    ShadedFrame posed;
    ShadedScratch scratch;
    DepthBuffer depth;
    std::string notice; // why the last key did nothing, for the user
};

// Sets the session up for the loaded mesh as the command asks, loading the
// side files it names. surfaces, when given, is what the mesh's loader kept
// of the model's textures; it must outlive the session. Returns the error to
// show after "ERROR: ", empty when all is well.
std::string openSession(ViewSession& session, ViewerMesh& mesh, const ViewCommand& command,
                        const MeshSurfaces* surfaces = nullptr);

// Paints a client area of width x height into an image one pixel wider and
// higher, the wireframe's off-screen size; applies the pending turn.
void paintSession(ViewSession& session, int width, int height, RasterImage& image);

// The first frame as a fresh window shows it: exactly width x height pixels.
RasterImage renderSnapshot(ViewSession& session, int width, int height);

// Returns true when the window must redraw.
bool pressKey(ViewSession& session, ViewKey key);
// Moves the playing scene on by the time that passed; true when the frame changed.
bool advancePlay(ViewSession& session, double elapsedMs);

} // namespace kzoview
