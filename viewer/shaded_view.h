// Drawing a ShadedModel: filled and lit (the shaded view), as edges when the
// animated scene is shown without filling, and the lights of a .kzl as
// markers. Everything is drawn into the off-screen image the window copies,
// so the window and --snapshot show the same pixels.
#pragma once

#include "format/side_formats.h"
#include "viewer/normalize_mesh.h"
#include "viewer/scene_motion.h"
#include "viewer/shaded_model.h"
#include "viewer/triangle_raster.h"

#include <span>
#include <vector>

namespace kzoview {

// How scene points reach the window: v = (p - origin) x turn, then
// v.z += depthOffset, then window = centre + scale * (v.x, -v.y) / v.z.
struct ViewProjection {
    Vec3f origin;
    Matrix3 turn = kIdentityMatrix;
    float depthOffset = 0;
    float scale = 0;
    float centreX = 0, centreY = 0;
    float nearZ = 0; // nothing nearer than this is drawn
};

// The wireframe's own view: the placement's centre in the middle, the eye
// viewDistance in front of it, 1.5 x the smaller side as the scale.
ViewProjection turningProjection(const MeshPlacement& placement, const Matrix3& orientation,
                                 int width, int height);

// Through the camera, with a fixed horizontal field of view of 90 degrees
// (the camera file stores none). sceneSize sets how near the camera sees.
inline constexpr double kCameraFieldOfViewDegrees = 90.0;
ViewProjection cameraProjection(const CameraPose& camera, float sceneSize, int width, int height);

// Share of the material colour a face turned away from the head light keeps.
inline constexpr float kHeadLightAmbient = 0.25f;

// The model's vertices placed at one frame of its animation, or as the file
// has them.
struct ShadedFrame {
    // The model's own positions at rest, else moved; valid while the model
    // and this frame are.
    std::span<const Vec3f> positions;
    std::vector<Vec3f> moved;
    std::vector<Matrix3> normalTurns;      // per pivot: how its normals turn
    std::vector<std::int32_t> vertexPivot; // per vertex; -1 when no pivot moves it
};

// The vertices as stored: no pivot moves anything.
void restPose(const ShadedModel& model, ShadedFrame& frame);
// Every vertex moved by its pivot's transform at the frame.
void animatedPose(const ShadedModel& model, const MotionFile& motion, double frameNumber,
                  ShadedFrame& frame);

// A vertex as the eye sees it, where it is not nearer than the near plane:
// its window position, 1 / depth, and the first row of pixels whose centres
// lie at or below it; row -1 where it is nearer.
struct SeenVertex {
    float x = 0, y = 0, inverseDepth = 0;
    std::int32_t row = -1;
};

// Memory the shaded paint reuses from frame to frame.
struct ShadedScratch {
    std::vector<SeenVertex> seen;
    std::vector<std::uint32_t> translucent;
    std::vector<float> translucentDepth;
};

// Fills the front faces of the model over the image, nearest in front.
// Solid faces first; then faces of transparent materials from the farthest
// to the nearest (by their corners' mean depth), each mixed over what is
// drawn and hidden by solid faces in front of it. The depth buffer must be
// empty and of the image's size.
void drawShaded(const ShadedModel& model, const ShadedFrame& frame, const ViewProjection& view,
                RasterImage& image, DepthBuffer& depth, ShadedScratch& scratch);

// The edges of every triangle the way the wireframe draws them: white for
// faces that face the viewer, grey under them for the others.
void drawPosedEdges(const ShadedModel& model, const ShadedFrame& frame, const ViewProjection& view,
                    RasterImage& image);

// Each light as a marker of size (scene units) in its own colour: a point
// light a three-axis cross, a spot light a cross with its cone, a distant
// light an arrow along its light's travel. Positions are multiplied by
// positionScale first, the factor the scene's geometry was converted with.
void drawLightMarkers(const std::vector<kzo::Light>& lights, float positionScale, float size,
                      const ViewProjection& view, RasterImage& image);

} // namespace kzoview
