// SPDX-License-Identifier: MIT
#include "assets/mesh.h"

#include <QHash>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int decimals = 6;

QByteArray num(double v)
{
    if (std::abs(v) < 0.5e-6)
        v = 0.0; // no "-0.000000"
    return QByteArray::number(v, 'f', decimals);
}

// Newell's normal: sound for any planar polygon.
Vec3 polygonNormal(const QVector<Vec3> &p)
{
    Vec3 n;
    for (int i = 0; i < p.size(); ++i) {
        const Vec3 &a = p[i];
        const Vec3 &b = p[(i + 1) % p.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return normalized(n);
}

// Keeps the first index of each distinct line.
class Pool
{
public:
    int index(const QByteArray &line)
    {
        auto it = seen.constFind(line);
        if (it != seen.constEnd())
            return *it;
        lines.push_back(line);
        const int i = lines.size(); // OBJ indices are 1-based
        seen.insert(line, i);
        return i;
    }
    QVector<QByteArray> lines;

private:
    QHash<QByteArray, int> seen;
};

} // namespace

double dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 normalized(Vec3 v)
{
    const double l = std::sqrt(dot(v, v));
    return l > 0 ? v * (1.0 / l) : v;
}

double Bounds::largest() const
{
    const Vec3 s = size();
    return std::max({s.x, s.y, s.z});
}

Mesh::Mesh(QSize textureSize) : textureSize(textureSize) {}

void Mesh::beginGroup(const QString &group, const QString &material)
{
    groups.push_back({group, material});
}

void Mesh::polygon(const QVector<Vec3> &corners, const QVector<QPointF> &texels, Vec3 inside)
{
    Q_ASSERT(corners.size() >= 3 && corners.size() == texels.size() && !groups.isEmpty());
    Face face{int(groups.size()) - 1, {}, polygonNormal(corners)};
    for (int i = 0; i < corners.size(); ++i)
        face.corners.push_back({corners[i], texels[i]});
    if (dot(face.normal, corners[0] - inside) < 0) {
        std::reverse(face.corners.begin(), face.corners.end());
        face.normal = face.normal * -1.0;
    }
    faces.push_back(face);
}

void Mesh::quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, const QRect &texels, Vec3 inside)
{
    const QRectF r = QRectF(texels).adjusted(texelInset, texelInset, -texelInset, -texelInset);
    polygon({a, b, c, d}, {r.bottomLeft(), r.bottomRight(), r.topRight(), r.topLeft()}, inside);
}

void Mesh::moveTexels(QSize size, const std::function<QTransform(const QRectF &)> &placement)
{
    for (Face &face : faces) {
        QPolygonF texels;
        for (const Corner &c : face.corners)
            texels << c.texel;
        const QTransform t = placement(texels.boundingRect());
        for (Corner &c : face.corners)
            c.texel = t.map(c.texel);
    }
    textureSize = size;
}

Bounds Mesh::bounds() const
{
    Bounds b;
    bool first = true;
    for (const Face &f : faces)
        for (const Corner &c : f.corners) {
            const Vec3 &p = c.position;
            if (first) {
                b.min = b.max = p;
                first = false;
                continue;
            }
            b.min = {std::min(b.min.x, p.x), std::min(b.min.y, p.y), std::min(b.min.z, p.z)};
            b.max = {std::max(b.max.x, p.x), std::max(b.max.y, p.y), std::max(b.max.z, p.z)};
        }
    return b;
}

QByteArray Mesh::objText(const QString &title, const QString &mtlFileName, Vec3 offset,
                         double scale) const
{
    Pool vertices, uvs, normals;
    QByteArray faceText;
    int currentGroup = -1;
    for (const Face &f : faces) {
        if (f.group != currentGroup) {
            currentGroup = f.group;
            faceText += "g " + groups[currentGroup].name.toUtf8() + "\nusemtl " +
                        groups[currentGroup].material.toUtf8() + "\n";
        }
        const int n =
            normals.index(num(f.normal.x) + ' ' + num(f.normal.y) + ' ' + num(f.normal.z));
        faceText += 'f';
        for (const Corner &c : f.corners) {
            const Vec3 p = (c.position - offset) * (1.0 / scale);
            const int v = vertices.index(num(p.x) + ' ' + num(p.y) + ' ' + num(p.z));
            const int t = uvs.index(num(c.texel.x() / textureSize.width()) + ' ' +
                                    num(1.0 - c.texel.y() / textureSize.height()));
            faceText += ' ' + QByteArray::number(v) + '/' + QByteArray::number(t) + '/' +
                        QByteArray::number(n);
        }
        faceText += '\n';
    }

    QByteArray out = "# " + title.toUtf8() + "\nmtllib " + mtlFileName.toUtf8() + "\n";
    for (const QByteArray &l : vertices.lines)
        out += "v " + l + '\n';
    for (const QByteArray &l : uvs.lines)
        out += "vt " + l + '\n';
    for (const QByteArray &l : normals.lines)
        out += "vn " + l + '\n';
    return out + faceText;
}

QByteArray mtlText(const QString &title, const QVector<Material> &materials)
{
    constexpr double ambientShare = 0.25;
    constexpr double specular = 0.3;
    QByteArray out = "# " + title.toUtf8() + '\n';
    for (const Material &m : materials) {
        const QColor &d = m.diffuse;
        out += "\nnewmtl " + m.name.toUtf8() + '\n';
        out += "Ka " + num(d.redF() * ambientShare) + ' ' + num(d.greenF() * ambientShare) + ' ' +
               num(d.blueF() * ambientShare) + '\n';
        out += "Kd " + num(d.redF()) + ' ' + num(d.greenF()) + ' ' + num(d.blueF()) + '\n';
        out += "Ks " + num(specular) + ' ' + num(specular) + ' ' + num(specular) + '\n';
        out += "Ns " + num(m.shininess) + '\n';
    }
    return out;
}
