// SPDX-License-Identifier: MIT
// The OBJ and MTL reader. Each file is loaded into memory once and both
// passes run over its bytes with stream-like reading (textscan.h), so the
// token rules stay those of a formatted stream reader while the numbers are
// scanned without the C library's locale-dependent conversions.
#include "glm/glm.h"

#include "glm/filebytes.h"
#include "glm/glmalloc.h"
#include "glm/keywords.h"
#include "glm/modelbuild.h"
#include "glm/objface.h"
#include "glm/textscan.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <unordered_map>

namespace {

using glmface::Corner;
using glmface::FaceForm;
using glmface::FaceSite;
using glmface::readFace;
using glmkeyword::MtlStatement;
using glmkeyword::ObjStatement;
using glmscan::TextScanner;
using glmscan::TextView;

constexpr const char *readerName = "glmReadOBJ";
constexpr const char *libraryReaderName = "glmReadMTL";
constexpr const char *defaultGroupName = "default";

// ---- materials -------------------------------------------------------------

void setDefaults(ObjMaterial &material)
{
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const GLfloat specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::memcpy(material.diffuse, diffuse, sizeof diffuse);
    std::memcpy(material.ambient, ambient, sizeof ambient);
    std::memcpy(material.specular, specular, sizeof specular);
    material.shininess = 65.0f;
}

constexpr GLfloat shininessFileScale = 1000.0f;
constexpr GLfloat shininessGlScale = 128.0f;

void freeMaterials(ObjModel *model)
{
    if (!model->materiallist)
        return;
    for (GLuint i = 0; i < model->materialcount; ++i)
        std::free(model->materiallist[i].name);
    std::free(model->materiallist);
    model->materiallist = nullptr;
    model->materialcount = 0;
}

// Reads the library name, found beside the model's file, into materialcount
// and materiallist, replacing a library read before.
void glmReadMTL(ObjModel *model, const char *name)
{
    char *directory = glmDirectoryOf(model->path);
    const std::string filename = std::string(directory) + name;
    std::free(directory);

    FileBytes file;
    if (!file.load(filename.c_str(), libraryReaderName)) {
        std::fprintf(stderr, "glmReadMTL() failed: can't open material file \"%s\".\n",
                     filename.c_str());
        std::exit(1);
    }

    GLuint count = 1; // "default"
    TextScanner counting = file.scanner();
    TextView token;
    while (counting.token(token)) {
        if (glmkeyword::mtlStatement(token) == MtlStatement::material)
            ++count;
        counting.skipLine(); // the name, read the same way
    }

    freeMaterials(model);
    ObjMaterial *materials = static_cast<ObjMaterial *>(
        glmAllocateZeroed(count, sizeof(ObjMaterial), libraryReaderName));
    for (GLuint i = 0; i < count; ++i)
        setDefaults(materials[i]);
    materials[0].name = glmDuplicate("default", libraryReaderName);
    model->materiallist = materials;
    model->materialcount = count;

    // A "newmtl" the counting pass did not see (hidden in a skipped line's
    // rest there) fills a scratch material instead of writing past the list.
    ObjMaterial scratch;
    setDefaults(scratch);
    ObjMaterial *current = &materials[0];
    GLuint next = 1;
    TextScanner filling = file.scanner();
    while (filling.token(token)) {
        switch (glmkeyword::mtlStatement(token)) {
        case MtlStatement::material: {
            char word[glmscan::nameBufferSize];
            glmscan::firstWord(filling.lineChunk(), word);
            if (next < count) {
                current = &materials[next++];
                current->name = glmDuplicate(word, libraryReaderName);
            } else {
                current = &scratch;
            }
            break;
        }
        case MtlStatement::shininess:
            filling.readFloats(&current->shininess, 1);
            current->shininess = current->shininess / shininessFileScale * shininessGlScale;
            break;
        case MtlStatement::ambient:
            filling.readFloats(current->ambient, 3);
            break;
        case MtlStatement::diffuse:
            filling.readFloats(current->diffuse, 3);
            break;
        case MtlStatement::specular:
            filling.readFloats(current->specular, 3);
            break;
        case MtlStatement::skipped:
            filling.skipLine();
            break;
        }
    }
    // Materials counted but never reached keep their defaults and get a name.
    for (GLuint i = 0; i < count; ++i)
        if (!materials[i].name)
            materials[i].name = glmDuplicate("", libraryReaderName);
}

// ---- names -----------------------------------------------------------------

// The model's groups and materials by name, so that each "g" and "usemtl"
// line is found at once however many came before; the model's group list
// and material array keep their order.
class NameIndex
{
public:
    struct Group
    {
        ObjGroup *group;
        GLuint capacity; // triangles counted for it
    };

    // The group named name, linked in as a new group when there is none.
    ObjGroup *appendGroup(ObjModel *model, const char *name)
    {
        const auto [entry, added] = groups_.try_emplace(name, Group{nullptr, 0});
        if (added)
            entry->second.group = glmNewGroup(model, name);
        return entry->second.group;
    }

    // Null when the counting pass made no group of that name.
    Group *findGroup(const char *name)
    {
        const auto entry = groups_.find(name);
        return entry == groups_.end() ? nullptr : &entry->second;
    }

    template <class Visit> void forEachGroup(Visit visit)
    {
        for (auto &entry : groups_)
            visit(entry.second);
    }

    // After the model's materials were (re)placed: the first of a name wins,
    // as in glmFindMaterial.
    void indexMaterials(const ObjModel *model)
    {
        materials_.clear();
        for (GLuint i = 0; i < model->materialcount; ++i)
            materials_.try_emplace(model->materiallist[i].name, i);
    }

    // glmFindMaterial without its search: 0 with its message when unknown.
    GLuint findMaterial(const char *name) const
    {
        const auto entry = materials_.find(name);
        if (entry != materials_.end())
            return entry->second;
        glmReportMissingMaterial(name);
        return 0;
    }

private:
    std::unordered_map<std::string, Group> groups_;
    std::unordered_map<std::string, GLuint> materials_;
};

// ---- OBJ passes ------------------------------------------------------------

struct Counts
{
    GLuint vertices = 0;
    GLuint normals = 0;
    GLuint uvs = 0;
    GLuint triangles = 0;
};

[[noreturn]] void unknownToken(const TextView &token)
{
    char text[glmscan::maxTokenLength + 1];
    token.copyTo(text);
    std::printf("glmFirstPass(): Unknown token \"%s\".\n", text);
    std::exit(1);
}

Counts glmFirstPass(ObjModel *model, TextScanner &scanner, NameIndex &names)
{
    Counts counts;
    ObjGroup *group = model->grouplist; // "default"
    TextView token;
    while (scanner.token(token)) {
        switch (glmkeyword::objStatement(token)) {
        case ObjStatement::vertex:
            ++counts.vertices;
            scanner.skipLine();
            break;
        case ObjStatement::normal:
            ++counts.normals;
            scanner.skipLine();
            break;
        case ObjStatement::uv:
            ++counts.uvs;
            scanner.skipLine();
            break;
        case ObjStatement::unknownVertex:
            unknownToken(token);
        case ObjStatement::face: {
            GLuint corners = glmface::countPlainCorners(scanner);
            if (corners == 0)
                readFace(scanner, [&](const Corner &, int, auto, const FaceSite &) { ++corners; });
            const GLuint triangles = corners - 2;
            counts.triangles += triangles;
            group->facecount += triangles;
            break;
        }
        case ObjStatement::group: {
            char name[glmscan::nameBufferSize];
            glmscan::groupName(scanner.lineChunk(), name);
            group = names.appendGroup(model, name);
            break;
        }
        case ObjStatement::library: {
            char name[glmscan::nameBufferSize];
            glmscan::firstWord(scanner.lineChunk(), name);
            std::free(model->materiallib);
            model->materiallib = glmDuplicate(name, readerName);
            glmReadMTL(model, name);
            names.indexMaterials(model);
            break;
        }
        case ObjStatement::material: // resolved by the filling pass
        case ObjStatement::skipped:
            scanner.skipLine();
            break;
        }
    }
    return counts;
}

// Index k of a corner as written: 1..count directly, -1 the last element
// read so far. Anything else ends the program.
[[noreturn, gnu::noinline, gnu::cold]] void failIndex(long long k, const char *kind,
                                                      const FaceSite &site)
{
    char problem[96];
    std::snprintf(problem, sizeof problem, "%s index %lld out of range", kind, k);
    site.fail(problem);
}

inline GLuint resolveIndex(long long k, GLuint readSoFar, GLuint count, const char *kind,
                           const FaceSite &site)
{
    if (k > 0 && k <= static_cast<long long>(count))
        return static_cast<GLuint>(k);
    if (k < 0 && -k <= static_cast<long long>(readSoFar))
        return static_cast<GLuint>(readSoFar + 1 + k);
    failIndex(k, kind, site);
}

struct ResolvedCorner
{
    GLuint vertex = 0;
    GLuint uv = 0;
    GLuint normal = 0;
};

// The filling pass reads what the counting pass counted. On ordinary files
// both see the same statements; where they do not (a statement hidden in
// the skipped rest of a line in one pass only), every store stays within
// what was counted and the rest is dropped.
void glmFillPass(ObjModel *model, TextScanner &scanner, NameIndex &names)
{
    const GLuint vertexCapacity = model->vertexcount;
    const GLuint normalCapacity = model->normalcount;
    const GLuint uvCapacity = model->uvcount;
    const GLuint triangleCapacity = model->facecount;
    GLuint vertices = 0;
    GLuint normals = 0;
    GLuint uvs = 0;
    GLuint triangles = 0;
    const NameIndex::Group *current = names.findGroup(defaultGroupName);
    ObjGroup *group = current->group;
    GLuint capacity = current->capacity;
    GLuint material = 0;
    GLfloat scratch[3];

    TextView token;
    while (scanner.token(token)) {
        switch (glmkeyword::objStatement(token)) {
        case ObjStatement::vertex:
            scanner.readFloats(
                vertices < vertexCapacity ? &model->vertices[3 * ++vertices] : scratch, 3);
            break;
        case ObjStatement::normal:
            scanner.readFloats(normals < normalCapacity ? &model->normals[3 * ++normals] : scratch,
                               3);
            break;
        case ObjStatement::uv:
            scanner.readFloats(uvs < uvCapacity ? &model->uvcoords[2 * ++uvs] : scratch, 2);
            break;
        case ObjStatement::face: {
            ResolvedCorner first;
            ResolvedCorner previous;
            readFace(scanner, [&](const Corner &c, int number, auto form, const FaceSite &site) {
                constexpr FaceForm kind = decltype(form)::value;
                ResolvedCorner r;
                r.vertex = resolveIndex(c.vertex, vertices, vertexCapacity, "vertex", site);
                if constexpr (glmface::carriesUv<kind>())
                    r.uv = resolveIndex(c.uv, uvs, uvCapacity, "texture coordinate", site);
                if constexpr (glmface::carriesNormal<kind>())
                    r.normal = resolveIndex(c.normal, normals, normalCapacity, "normal", site);
                if (number == 0) {
                    first = r;
                } else if (number >= 2 && triangles < triangleCapacity &&
                           group->facecount < capacity) {
                    // Fan around the first corner.
                    ObjTriangle &t = model->faces[triangles];
                    t.vertexindex[0] = first.vertex;
                    t.vertexindex[1] = previous.vertex;
                    t.vertexindex[2] = r.vertex;
                    t.normalindex[0] = first.normal;
                    t.normalindex[1] = previous.normal;
                    t.normalindex[2] = r.normal;
                    t.uvindex[0] = first.uv;
                    t.uvindex[1] = previous.uv;
                    t.uvindex[2] = r.uv;
                    t.facetindex = 0;
                    group->faceindices[group->facecount++] = triangles++;
                }
                previous = r;
            });
            break;
        }
        case ObjStatement::group: {
            char name[glmscan::nameBufferSize];
            glmscan::groupName(scanner.lineChunk(), name);
            if (const NameIndex::Group *found = names.findGroup(name)) {
                group = found->group;
                group->material = material;
                capacity = found->capacity;
            }
            break;
        }
        case ObjStatement::material: {
            char name[glmscan::nameBufferSize];
            glmscan::firstWord(scanner.lineChunk(), name);
            material = names.findMaterial(name);
            group->material = material;
            break;
        }
        case ObjStatement::library:       // read by the counting pass
        case ObjStatement::unknownVertex: // ends the counting pass
        case ObjStatement::skipped:
            scanner.skipLine();
            break;
        }
    }
    model->facecount = triangles;
}

ObjModel *newModel(const char *path, NameIndex &names)
{
    ObjModel *model = static_cast<ObjModel *>(glmAllocateZeroed(1, sizeof(ObjModel), readerName));
    model->path = glmDuplicate(path, readerName);
    names.appendGroup(model, defaultGroupName);
    return model;
}

} // namespace

ObjModel *glmReadOBJ(const char *filename)
{
    FileBytes file;
    if (!file.load(filename, readerName)) {
        std::fprintf(stderr, "glmReadOBJ() failed: can't open data file \"%s\".\n", filename);
        std::exit(1);
    }
    NameIndex names;
    ObjModel *model = newModel(filename, names);

    TextScanner counting = file.scanner();
    const Counts counts = glmFirstPass(model, counting, names);
    model->vertexcount = counts.vertices;
    model->normalcount = counts.normals;
    model->uvcount = counts.uvs;
    model->facecount = counts.triangles;

    names.forEachGroup([](NameIndex::Group &entry) {
        ObjGroup *group = entry.group;
        group->faceindices =
            static_cast<GLuint *>(glmAllocate(group->facecount, sizeof(GLuint), readerName));
        entry.capacity = group->facecount;
        group->facecount = 0;
    });

    // Zeroed, so element 0 and values a line leaves out read as 0.
    model->vertices = glmAllocatePoints(model->vertexcount, 3, readerName);
    model->faces =
        static_cast<ObjTriangle *>(glmAllocate(model->facecount, sizeof(ObjTriangle), readerName));
    if (model->normalcount)
        model->normals = glmAllocatePoints(model->normalcount, 3, readerName);
    if (model->uvcount)
        model->uvcoords = glmAllocatePoints(model->uvcount, 2, readerName);

    TextScanner filling = file.scanner();
    glmFillPass(model, filling, names);
    return model;
}
