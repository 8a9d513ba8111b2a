// SPDX-License-Identifier: MIT
#include "tinyobjcompare.h"

#include <tiny_obj_loader.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace glmtest {

namespace {

constexpr std::size_t maxDifferences = 20;
// Both readers round decimal text to the nearest float; the peer's own
// conversion may land one float away.
constexpr float relativeTolerance = 1e-6f;
// The reader keeps shininess scaled from the file's 0..1000 to GL's 0..128.
constexpr float shininessScale = 128.0f / 1000.0f;

// Each reader's value for a colour or shininess no line of the file set.
constexpr float ownDefaultAmbient = 0.2f;
constexpr float ownDefaultDiffuse = 0.8f;
constexpr float ownDefaultSpecular = 0.0f;
constexpr float ownDefaultShininess = 65.0f;
constexpr float peerDefaultColour = 0.0f;
constexpr float peerDefaultShininess = 1.0f;

std::string joinContinuedLines(const std::string &text)
{
    std::string joined;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\n') {
            joined += ' ';
            ++i;
        } else if (text[i] == '\\' && i + 2 < text.size() && text[i + 1] == '\r' &&
                   text[i + 2] == '\n') {
            joined += ' ';
            i += 2;
        } else {
            joined += text[i];
        }
    }
    return joined;
}

class Comparer
{
public:
    explicit Comparer(PeerComparison &result) : result_(result) {}

    void differ(const std::string &what)
    {
        if (result_.differences.size() < maxDifferences)
            result_.differences.push_back(what);
    }

    // where() names the value, called only when it differs.
    template <class Where> void value(float own, float peer, const Where &where)
    {
        if (own == peer || (std::isnan(own) && std::isnan(peer)))
            return;
        if (std::fabs(own - peer) <= relativeTolerance * std::fmax(1.0f, std::fabs(peer))) {
            ++result_.inexactValues;
            return;
        }
        char text[96];
        std::snprintf(text, sizeof text, ": %.9g here, %.9g by the peer", own, peer);
        differ(where() + text);
    }

    // A value the file may have left unset, where the readers differ.
    template <class Where>
    void setting(float own, float peer, float ownDefault, float peerDefault, const Where &where)
    {
        if (own == ownDefault && peer == peerDefault)
            return;
        value(own, peer, where);
    }

private:
    PeerComparison &result_;
};

struct PeerCorner
{
    int vertex, uv, normal; // 0-based, -1 when the face form carries none
    int material;
    const std::string *group; // the shape's name
};

// The peer's polygons in file order, fanned around their first corner.
std::vector<PeerCorner> peerTriangles(const std::vector<tinyobj::shape_t> &shapes)
{
    std::vector<PeerCorner> corners;
    for (const tinyobj::shape_t &shape : shapes) {
        std::size_t first = 0;
        for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const std::size_t n = shape.mesh.num_face_vertices[f];
            const int material = shape.mesh.material_ids[f];
            for (std::size_t k = 2; k < n; ++k)
                for (std::size_t c : {first, first + k - 1, first + k}) {
                    const tinyobj::index_t &index = shape.mesh.indices[c];
                    corners.push_back({index.vertex_index, index.texcoord_index, index.normal_index,
                                       material, &shape.name});
                }
            first += n;
        }
    }
    return corners;
}

// What a triangle lacks: a material, or a group.
constexpr const char *none = "(none)";

const char *ownMaterialName(const ObjModel *model, GLuint material)
{
    // Material 0 is the reader's "default": the model's faces have none.
    if (!model->materiallist || material == 0)
        return none;
    return model->materiallist[material].name;
}

// A group's name as the peer gives it: the reader keeps a "g" line's text
// after the keyword as it is, the peer joins its words with one blank; the
// reader's own group for faces before any "g" line, last in its list, is
// the peer's unnamed shape.
std::string ownGroupName(const ObjGroup *group)
{
    std::string joined;
    if (!group->next)
        return joined;
    std::istringstream words(group->name);
    for (std::string word; words >> word;)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

} // namespace

PeerComparison compareWithTinyObj(const ObjModel *model, const std::string &obj,
                                  const std::string &mtl)
{
    PeerComparison result;
    Comparer compare(result);

    std::istringstream objStream(joinContinuedLines(obj));
    std::istringstream mtlStream(joinContinuedLines(mtl));
    tinyobj::MaterialStreamReader library(mtlStream);
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning;
    std::string error;
    result.peerRead = tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, &objStream,
                                       &library, /*triangulate=*/false,
                                       /*default_vcols_fallback=*/false);
    if (!result.peerRead) {
        compare.differ("the peer refused the file: " + error);
        return result;
    }

    if (attrib.vertices.size() != 3 * std::size_t(model->vertexcount) ||
        attrib.normals.size() != 3 * std::size_t(model->normalcount) ||
        attrib.texcoords.size() != 2 * std::size_t(model->uvcount))
        compare.differ("vertex, normal or texture coordinate counts differ");

    std::vector<const ObjGroup *> groupOf(model->facecount, nullptr);
    for (const ObjGroup *g = model->grouplist; g; g = g->next)
        for (GLuint i = 0; i < g->facecount; ++i)
            groupOf[g->faceindices[i]] = g;

    const std::vector<PeerCorner> corners = peerTriangles(shapes);
    if (corners.size() != 3 * std::size_t(model->facecount)) {
        compare.differ("triangles: " + std::to_string(model->facecount) + " here, " +
                       std::to_string(corners.size() / 3) + " by the peer");
        return result;
    }
    for (GLuint t = 0; t < model->facecount; ++t) {
        const ObjTriangle &own = model->faces[t];
        const ObjGroup *group = groupOf[t];
        const std::string ownGroup = group ? ownGroupName(group) : none;
        if (ownGroup != *corners[3 * t].group)
            compare.differ("triangle " + std::to_string(t) + " group: " + ownGroup + " here, " +
                           *corners[3 * t].group + " by the peer");
        for (int k = 0; k < 3; ++k) {
            const PeerCorner &peer = corners[3 * t + k];
            const auto at = [&](const char *what) {
                return [=] {
                    return "triangle " + std::to_string(t) + " corner " + std::to_string(k) + " " +
                           what;
                };
            };
            if (std::size_t(peer.vertex) >= attrib.vertices.size() / 3 ||
                (peer.uv >= 0 && std::size_t(peer.uv) >= attrib.texcoords.size() / 2) ||
                (peer.normal >= 0 && std::size_t(peer.normal) >= attrib.normals.size() / 3) ||
                (peer.material >= 0 && std::size_t(peer.material) >= materials.size())) {
                compare.differ(at("index: outside the peer's arrays")());
                continue;
            }
            // One corner's point in an array of each reader; the own index
            // is 0 and the peer's negative where the face form carries none.
            const auto point = [&](const GLfloat *ownArray, GLuint ownIndex,
                                   const std::vector<tinyobj::real_t> &peerArray, int peerIndex,
                                   int width, const char *what) {
                if ((ownIndex != 0) != (peerIndex >= 0)) {
                    compare.differ(at(what)() + ": on one side only");
                    return;
                }
                // Both keep the file's elements in its order, the reader from 1.
                if (GLint(ownIndex) != peerIndex + 1) {
                    compare.differ(at(what)() + ": index " + std::to_string(ownIndex) + " here, " +
                                   std::to_string(peerIndex + 1) + " by the peer");
                    return;
                }
                for (int axis = 0; peerIndex >= 0 && axis < width; ++axis)
                    compare.value(ownArray[width * ownIndex + axis],
                                  peerArray[width * std::size_t(peerIndex) + axis], at(what));
            };
            point(model->vertices, own.vertexindex[k], attrib.vertices, peer.vertex, 3, "position");
            point(model->uvcoords, own.uvindex[k], attrib.texcoords, peer.uv, 2,
                  "texture coordinate");
            point(model->normals, own.normalindex[k], attrib.normals, peer.normal, 3, "normal");
            const char *ownMaterial = ownMaterialName(model, group ? group->material : 0);
            const char *peerMaterial =
                peer.material >= 0 ? materials[std::size_t(peer.material)].name.c_str() : none;
            if (std::strcmp(ownMaterial, peerMaterial) != 0)
                compare.differ(at("material: ")() + ownMaterial + " here, " + peerMaterial +
                               " by the peer");
        }
    }
    result.triangles = model->facecount;

    const std::size_t ownMaterials = model->materiallist ? model->materialcount - 1 : 0;
    if (ownMaterials != materials.size()) {
        compare.differ("materials: " + std::to_string(ownMaterials) + " here, " +
                       std::to_string(materials.size()) + " by the peer");
        return result;
    }
    for (std::size_t i = 0; i < materials.size(); ++i) {
        const ObjMaterial &own = model->materiallist[i + 1];
        const tinyobj::material_t &peer = materials[i];
        const auto at = [&](const char *what) {
            return [=] { return "material " + peer.name + " " + what; };
        };
        if (peer.name != own.name)
            compare.differ(at("name: ")() + own.name + " here");
        for (int c = 0; c < 3; ++c) {
            compare.setting(own.ambient[c], peer.ambient[c], ownDefaultAmbient, peerDefaultColour,
                            at("ambient"));
            compare.setting(own.diffuse[c], peer.diffuse[c], ownDefaultDiffuse, peerDefaultColour,
                            at("diffuse"));
            compare.setting(own.specular[c], peer.specular[c], ownDefaultSpecular,
                            peerDefaultColour, at("specular"));
        }
        compare.setting(own.shininess, peer.shininess * shininessScale, ownDefaultShininess,
                        peerDefaultShininess * shininessScale, at("shininess"));
    }
    result.materials = materials.size();
    return result;
}

} // namespace glmtest
