// SPDX-License-Identifier: MIT
#include "objroundtrip.h"

#include "glm/textscan.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

namespace fuzzsupport {
namespace {

// A name line is read as one chunk holding the blank after the keyword,
// the name and the line end; the writer cuts longer names to fit.
const std::size_t longestName = glmscan::maxChunkLength - 2;
// "%f" rounds to six decimals; reading rounds once more to a float.
const double sixDecimals = 5e-7;
const double floatRounding = 0x1p-24;
// An MTL "Ns" value is the shininess times 1000 / 128, read back the other
// way in float arithmetic.
const double shininessSlack = 0.128 * sixDecimals;
const double shininessRounding = 4 * floatRounding;

struct Mode
{
    bool flat, smooth, texture, material;
};

// The mode as the writer's adjustment leaves it.
Mode adjusted(const ObjModel &m, GLuint mode)
{
    Mode a;
    a.smooth = (mode & GLM_DRAW_SMOOTH) && m.normals;
    a.flat = (mode & GLM_DRAW_FLAT) && m.facetnorms && !a.smooth;
    a.texture = (mode & GLM_DRAW_TEXTURE) && m.uvcoords;
    a.material = (mode & GLM_DRAW_MATERIAL) && m.materiallist;
    return a;
}

// What a name line holds: a backslash before its end (or before a last
// carriage return) would continue it onto the next line.
std::string cut(const char *name)
{
    std::string s = name ? name : "";
    s = s.substr(0, longestName);
    auto continues = [&] {
        const std::size_t n = s.size();
        return (n > 0 && s[n - 1] == '\\') || (n > 1 && s[n - 1] == '\r' && s[n - 2] == '\\');
    };
    while (continues())
        s.pop_back();
    return s;
}

// What reading "g <name>" gives.
std::string groupNameReadBack(const char *name)
{
    std::string s = " " + cut(name);
    if (!s.empty() && s.back() == '\r')
        s.pop_back();
    return s;
}

bool close(double a, double b, double absolute, double relative)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= absolute + relative * std::max(std::fabs(a), std::fabs(b));
}

bool closeSixDecimals(GLfloat a, GLfloat b)
{
    return close(a, b, sixDecimals, floatRounding);
}

// The reader allocates vertices always, the other arrays only when they
// have elements.
std::string compareArrays(const char *what, const GLfloat *source, GLuint sourceCount,
                          const GLfloat *back, GLuint backCount, std::size_t width,
                          bool always = false)
{
    if (backCount != sourceCount)
        return std::string(what) + ": " + std::to_string(backCount) + " read back, " +
               std::to_string(sourceCount) + " written";
    if ((back != nullptr) != (always || backCount != 0))
        return std::string(what) + ": array present and count disagree";
    for (std::size_t i = width; i < width * (sourceCount + std::size_t{1}); ++i)
        if (!closeSixDecimals(source[i], back[i]))
            return std::string(what) + " element " + std::to_string(i / width) + " component " +
                   std::to_string(i % width) + ": " + std::to_string(back[i]) + " read back, " +
                   std::to_string(source[i]) + " written";
    return std::string();
}

// Corner indices a triangle comes back with: what it carries for all
// three corners, 0 for what it does not.
struct Corners
{
    GLuint vertex[3], normal[3], uv[3];
};

bool carried(const GLuint index[3])
{
    return index[0] != 0 && index[1] != 0 && index[2] != 0;
}

Corners expectedCorners(const ObjTriangle &t, const Mode &mode)
{
    Corners c = {};
    const GLuint facet[3] = {t.facetindex, t.facetindex, t.facetindex};
    const GLuint *normal = mode.smooth ? t.normalindex : mode.flat ? facet : nullptr;
    const bool withNormal = normal && carried(normal);
    const bool withUv = mode.texture && carried(t.uvindex);
    for (int k = 0; k < 3; ++k) {
        c.vertex[k] = t.vertexindex[k];
        c.normal[k] = withNormal ? normal[k] : 0;
        c.uv[k] = withUv ? t.uvindex[k] : 0;
    }
    return c;
}

struct ExpectedGroup
{
    std::vector<const ObjTriangle *> triangles;
    std::string material; // in material mode
};

std::string compareGroups(const ObjModel &source, const ObjModel &back, const Mode &mode)
{
    std::map<std::string, ExpectedGroup> expected;
    std::vector<std::string> firstSeen;
    GLuint triangles = 0;
    for (const ObjGroup *g = source.grouplist; g; g = g->next) {
        const std::string name = groupNameReadBack(g->name);
        if (!expected.count(name))
            firstSeen.push_back(name);
        ExpectedGroup &e = expected[name];
        for (GLuint i = 0; i < g->facecount; ++i)
            e.triangles.push_back(&source.faces[g->faceindices[i]]);
        triangles += g->facecount;
        if (mode.material && g->material < source.materialcount)
            e.material = cut(source.materiallist[g->material].name);
    }
    if (back.facecount != triangles)
        return std::to_string(back.facecount) + " triangles read back, " +
               std::to_string(triangles) + " written";
    // The reader's own "default" last, the others newest first.
    if (back.groupcount != expected.size() + 1)
        return std::to_string(back.groupcount) + " groups read back, " +
               std::to_string(expected.size() + 1) + " expected";

    const ObjGroup *h = back.grouplist;
    for (auto name = firstSeen.rbegin(); name != firstSeen.rend(); ++name, h = h->next) {
        if (!h || *name != h->name)
            return "group [" + *name + "] missing or out of order";
        const ExpectedGroup &e = expected[*name];
        if (h->facecount != e.triangles.size())
            return "group [" + *name + "]: " + std::to_string(h->facecount) +
                   " triangles read back, " + std::to_string(e.triangles.size()) + " written";
        for (GLuint i = 0; i < h->facecount; ++i) {
            const Corners want = expectedCorners(*e.triangles[i], mode);
            const ObjTriangle &got = back.faces[h->faceindices[i]];
            if (std::memcmp(want.vertex, got.vertexindex, sizeof want.vertex) != 0 ||
                std::memcmp(want.normal, got.normalindex, sizeof want.normal) != 0 ||
                std::memcmp(want.uv, got.uvindex, sizeof want.uv) != 0)
                return "group [" + *name + "] triangle " + std::to_string(i) +
                       ": corner indices differ";
        }
        if (mode.material && back.materiallist && e.material != back.materiallist[h->material].name)
            return "group [" + *name + "]: material [" + back.materiallist[h->material].name +
                   "] read back, [" + e.material + "] written";
    }
    if (!h || std::strcmp(h->name, "default") != 0 || h->facecount != 0 || h->next)
        return "the reader's own empty group \"default\" is not last";
    return std::string();
}

std::string compareMaterials(const ObjModel &source, const ObjModel &back, const Mode &mode)
{
    if (!mode.material || !source.materiallib) {
        if (back.materiallib || back.materiallist)
            return "a material library read back where none was written";
        return std::string();
    }
    if (!back.materiallib)
        return "no material library read back";
    if (back.materialcount != source.materialcount + 1)
        return std::to_string(back.materialcount) + " materials read back, " +
               std::to_string(source.materialcount) + " written";
    if (std::strcmp(back.materiallist[0].name, "default") != 0)
        return "the reader's own \"default\" material is not first";
    for (GLuint i = 0; i < source.materialcount; ++i) {
        const ObjMaterial &a = source.materiallist[i];
        const ObjMaterial &b = back.materiallist[i + 1];
        const std::string which = "material " + std::to_string(i) + " [" + cut(a.name) + "]";
        if (cut(a.name) != b.name)
            return which + " read back as [" + b.name + "]";
        for (int c = 0; c < 3; ++c)
            if (!closeSixDecimals(a.ambient[c], b.ambient[c]) ||
                !closeSixDecimals(a.diffuse[c], b.diffuse[c]) ||
                !closeSixDecimals(a.specular[c], b.specular[c]))
                return which + ": colour component " + std::to_string(c) + " differs";
        if (!close(a.shininess, b.shininess, shininessSlack, shininessRounding))
            return which + ": shininess " + std::to_string(b.shininess) + " read back, " +
                   std::to_string(a.shininess) + " written";
    }
    return std::string();
}

} // namespace

std::string roundTripDifference(const ObjModel &source, const ObjModel &back, GLuint mode)
{
    const Mode m = adjusted(source, mode);
    std::string difference = compareArrays("vertices", source.vertices, source.vertexcount,
                                           back.vertices, back.vertexcount, 3, true);
    if (difference.empty()) {
        const GLfloat *normals = m.smooth ? source.normals : m.flat ? source.facetnorms : nullptr;
        const GLuint count = m.smooth ? source.normalcount : m.flat ? source.facetnormcount : 0;
        difference = compareArrays("normals", normals, count, back.normals, back.normalcount, 3);
    }
    if (difference.empty())
        difference = compareArrays("texture coordinates", source.uvcoords,
                                   m.texture ? source.uvcount : 0, back.uvcoords, back.uvcount, 2);
    if (difference.empty())
        difference = compareMaterials(source, back, m);
    if (difference.empty())
        difference = compareGroups(source, back, m);
    return difference;
}

} // namespace fuzzsupport
