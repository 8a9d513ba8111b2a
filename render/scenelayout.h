// SPDX-License-Identifier: MIT
// Where everything in the scene sits and which files it is drawn from.
// World units with +Y up, the viewer on the +Z side; angles in degrees.
// Plain numbers: the view draws with them, the asset generator builds the
// models to fill their placements, and the tests derive their expectations
// from them. File names are relative to the working directory; the build
// reads the quoted mdl/ and textures/ names of this file to list the files
// it stages, so name no other file that way here.
#pragma once

namespace layout {

struct Point
{
    double x, y, z;
};

// Camera: looks from eye at lookAt; vertical field of view; clip planes.
inline constexpr Point eye{2.5, 6.0, 5.3};
inline constexpr Point lookAt{0.0, 0.0, 0.0};
inline constexpr Point up{0.0, 1.0, 0.0};
inline constexpr double fieldOfViewDeg = 45.0;
inline constexpr double nearPlane = 0.1;
inline constexpr double farPlane = 100.0;

// The view fits each model into the cube [-1, 1] (centred on the origin,
// largest size 2), then scales it by `scale` and moves it by `offset`: the
// model's box ends up centred on offset, its largest size 2 x scale.
struct Placement
{
    Point offset;
    double scale;
};

// Texture sizes in texels, powers of two. Each texture is stored at the
// size of the finest mip level the view samples anywhere on its surface on
// a 1280 x 720 screen from this camera, so no texel is decoded or uploaded
// that the picture does not use; a larger screen would want larger sizes.
// The table's texture holds each part of its painting at the size that part
// is seen at (assets/table.cpp).
struct TextureSize
{
    int width, height;
};

struct SceneModel
{
    const char *modelFile;   // OBJ, with its material library beside it
    const char *textureFile; // the one texture the model is drawn with
    TextureSize textureSize;
    Placement placement;
};

inline constexpr SceneModel radarModel{
    "mdl/radar2.obj", "textures/radarr2t2.png", {256, 256}, {{0.0, 1.1, 0.0}, 3.0}};
inline constexpr SceneModel tableModel{
    "mdl/radartisch.obj", "textures/radartischr2t.png", {2048, 1024}, {{0.0, 0.8, -0.32}, 11.0}};
inline constexpr SceneModel displayModel{
    "mdl/radardisplay.obj", "textures/radardisplay.png", {1024, 512}, {{0.01, 1.388, 2.505}, 3.01}};

// Vertex normals are smoothed across edges up to this angle.
inline constexpr double creaseAngleDeg = 90.0;

// The blended squares lie flat above the table top, each a little above the
// one before, so that each blends over the layers below it.
inline constexpr double tableTopY = 1.43;
inline constexpr double sweepHeight = 1.44;
inline constexpr double discHeight = 1.45;
inline constexpr double markerHeight = 1.451;

// The disc and the sweep are squares of side discSide centred on the disc
// centre; the sweep turns about the vertical line through it. A marker is a
// square of side markerSide.
inline constexpr double discCentreX = 0.0;
inline constexpr double discCentreZ = -0.5;
inline constexpr double discSide = 5.0;
inline constexpr double markerSide = 0.3;

inline constexpr const char *discTextureFile = "textures/radarscheibe.png";
inline constexpr const char *sweepTextureFile = "textures/radgreen.png";
inline constexpr const char *markerTextureFile = "textures/person.png";
inline constexpr TextureSize discTextureSize{512, 512};
inline constexpr TextureSize sweepTextureSize{512, 512};
inline constexpr TextureSize markerTextureSize{32, 32};

// Target coordinates: the unit square maps onto a square of side targetSpan
// centred on the disc centre at marker height, x along world X and y along
// world Z (towards the viewer). Values outside [0, 1] map the same way,
// without clamping.
inline constexpr double targetSpan = 3.0;

constexpr Point targetToWorld(double x, double y)
{
    return {discCentreX + (targetSpan * x - targetSpan / 2), markerHeight,
            discCentreZ + (targetSpan * y - targetSpan / 2)};
}

} // namespace layout
