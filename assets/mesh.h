// SPDX-License-Identifier: MIT
// A textured polygon mesh written as Wavefront OBJ with its MTL library, in
// the subset the client's reader takes: v, vt, vn, f in v/t/n form, g,
// usemtl, mtllib; newmtl, Ka, Kd, Ks, Ns. Numbers always use "." as the
// decimal point, whatever the locale.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QVector>

#include <functional>

// Texels are pulled this far in from a region's edge so that filtering does
// not pick up the neighbouring region.
inline constexpr double texelInset = 1.0;

struct Vec3
{
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
double dot(Vec3 a, Vec3 b);
Vec3 normalized(Vec3 v);

struct Material
{
    QString name;
    QColor diffuse;        // roughly the colour of its part of the texture
    double shininess = 20; // "Ns", 0 to 1000
};

struct Bounds
{
    Vec3 min, max;
    Vec3 centre() const { return (min + max) * 0.5; }
    Vec3 size() const { return max - min; }
    double largest() const;
};

class Mesh
{
public:
    // Texture coordinates are given in pixels of a texture of this size
    // (x right, y down, as painted) and written as OBJ's u right, v up.
    explicit Mesh(QSize textureSize);

    // Following faces belong to `group` and use `material`.
    void beginGroup(const QString &group, const QString &material);

    // A convex polygon with one texel per corner. `inside` is any point
    // inside the solid: the winding is chosen so that the face normal points
    // away from it.
    void polygon(const QVector<Vec3> &corners, const QVector<QPointF> &texels, Vec3 inside);

    // A quad whose corners a, b, c, d run bottom-left, bottom-right,
    // top-right, top-left as the texture region `texels` should appear on it.
    void quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const QRect &texels, Vec3 inside);

    // For a texture stored as parts of the painting at other places and
    // scales: moves every face's texels by the transform `placement` gives
    // for the bounds of that face's texels, into a texture of `size`.
    void moveTexels(QSize size, const std::function<QTransform(const QRectF &)> &placement);

    Bounds bounds() const; // of all corners; empty mesh: zero bounds
    int faceCount() const { return faces.size(); }

    // OBJ text with every point p written as (p - offset) / scale, so a mesh
    // built where the scene will show it is stored already fitted.
    QByteArray objText(const QString &title, const QString &mtlFileName, Vec3 offset,
                       double scale) const;

private:
    struct Corner
    {
        Vec3 position;
        QPointF texel;
    };
    struct Face
    {
        int group;
        QVector<Corner> corners;
        Vec3 normal;
    };
    struct Group
    {
        QString name, material;
    };

    QSize textureSize;
    QVector<Group> groups;
    QVector<Face> faces;
};

QByteArray mtlText(const QString &title, const QVector<Material> &materials);
