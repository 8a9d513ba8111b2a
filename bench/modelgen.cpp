// SPDX-License-Identifier: MIT
#include "bench/modelgen.h"

#include "glm/glm.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Bump when the generated text changes, so cached files are rewritten.
constexpr int generatorVersion = 2;

constexpr double halfSide = 5.0; // the surface spans [-5, 5] in x and z
constexpr double waveHeight = 0.6;
constexpr double waveX = 1.3; // radians per unit
constexpr double waveZ = 0.9;
// Deterministic noise added to the heights, in grid spacings: small enough
// that neighbouring facets stay well within a 90-degree crease at any size.
constexpr double roughnessInSpacings = 0.25;
constexpr std::uint64_t heightSeed = 0x5EED0001;
constexpr std::uint64_t jitterSeed = 0x5EED0002;
constexpr std::uint64_t choiceSeed = 0x5EED0003;

constexpr int decimals = 6;
constexpr double decimalScale = 1e6;
constexpr std::size_t outputBufferBytes = 1 << 20;

// Welding: grid points sit about 10 / sqrt(points) apart, far above epsilon;
// moved copies stay within a quarter of it per axis, so all copies of a
// point are within half an epsilon of each other.
constexpr GLfloat weldEpsilon = 1e-4f;
constexpr double jitterFraction = 0.25;
constexpr unsigned movedOneIn = 3;
constexpr int cornersPerTriangle = 3;

std::uint64_t mix(std::uint64_t x)
{
    // splitmix64's finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// In [-1, 1], fixed by seed and index.
double noise(std::uint64_t seed, std::uint64_t index)
{
    const std::uint64_t bits = mix(seed ^ mix(index)) >> 11; // 53 bits
    return double(bits) / double(std::uint64_t(1) << 52) - 1.0;
}

struct Point
{
    double x, y, z;    // position
    double nx, ny, nz; // unit normal of the smooth surface
    double u, v;       // texture coordinates in [0, 1]
};

Point gridPoint(const GridShape &shape, std::size_t i, std::size_t j)
{
    Point p;
    p.u = double(i) / double(shape.quadsX);
    p.v = double(j) / double(shape.quadsY);
    p.x = -halfSide + 2.0 * halfSide * p.u;
    p.z = -halfSide + 2.0 * halfSide * p.v;
    const double sx = std::sin(waveX * p.x), cx = std::cos(waveX * p.x);
    const double sz = std::sin(waveZ * p.z), cz = std::cos(waveZ * p.z);
    const double spacing = 2.0 * halfSide / double(std::max(shape.quadsX, shape.quadsY));
    p.y = waveHeight * sx * cz +
          roughnessInSpacings * spacing * noise(heightSeed, j * (shape.quadsX + 1) + i);
    const double dydx = waveHeight * waveX * cx * cz;
    const double dydz = -waveHeight * waveZ * sx * sz;
    const double length = std::sqrt(dydx * dydx + 1.0 + dydz * dydz);
    p.nx = -dydx / length;
    p.ny = 1.0 / length;
    p.nz = -dydz / length;
    return p;
}

// 1-based index of grid point (i, j), as the OBJ file numbers them.
std::size_t pointIndex(const GridShape &shape, std::size_t i, std::size_t j)
{
    return j * (shape.quadsX + 1) + i + 1;
}

// The two triangles of quad (i, j), counter-clockwise seen from above.
void quadTriangles(const GridShape &shape, std::size_t i, std::size_t j, std::size_t out[6])
{
    const std::size_t a = pointIndex(shape, i, j), b = pointIndex(shape, i + 1, j);
    const std::size_t c = pointIndex(shape, i + 1, j + 1), d = pointIndex(shape, i, j + 1);
    const std::size_t corners[6] = {a, d, c, a, c, b};
    std::memcpy(out, corners, sizeof corners);
}

// Buffered writer with its own number formatting: no locale, and fast
// enough that a 100 MB file takes a second or two.
class TextWriter
{
public:
    explicit TextWriter(FILE *file) : file(file), buffer(outputBufferBytes) {}

    void text(const char *s)
    {
        while (*s)
            put(*s++);
    }

    void fixed(double value)
    {
        long long scaled = std::llround(value * decimalScale);
        if (scaled < 0) {
            put('-');
            scaled = -scaled;
        }
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + scaled % 10);
            scaled /= 10;
        } while (scaled > 0 || n <= decimals);
        while (n > decimals)
            put(digits[--n]);
        put('.');
        while (n > 0)
            put(digits[--n]);
    }

    void integer(std::size_t value)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (n > 0)
            put(digits[--n]);
    }

    void put(char c)
    {
        if (used == buffer.size())
            flush();
        buffer[used++] = c;
    }

    bool flush()
    {
        const bool ok = std::fwrite(buffer.data(), 1, used, file) == used;
        used = 0;
        return ok;
    }

private:
    FILE *file;
    std::vector<char> buffer;
    std::size_t used = 0;
};

bool fileExists(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

GLfloat *allocateFloats(std::size_t count)
{
    GLfloat *block = static_cast<GLfloat *>(std::calloc(count, sizeof(GLfloat)));
    if (!block) {
        std::fprintf(stderr, "modelgen: out of memory\n");
        std::exit(1);
    }
    return block;
}

ObjModel *newModel(const char *path)
{
    ObjModel *model = static_cast<ObjModel *>(std::calloc(1, sizeof(ObjModel)));
    model->path = strdup(path);
    glmAppendGroup(model, "default");
    return model;
}

void setTriangle(ObjTriangle &t, std::size_t a, std::size_t b, std::size_t c)
{
    std::memset(&t, 0, sizeof t);
    t.vertexindex[0] = GLuint(a);
    t.vertexindex[1] = GLuint(b);
    t.vertexindex[2] = GLuint(c);
}

} // namespace

GridShape gridFor(std::size_t triangles)
{
    const std::size_t quads = triangles < 2 ? 1 : (triangles + 1) / 2;
    GridShape shape;
    shape.quadsX = std::size_t(std::ceil(std::sqrt(double(quads))));
    shape.quadsY = (quads + shape.quadsX - 1) / shape.quadsX;
    return shape;
}

bool writeGridObj(const std::string &path, const GridShape &shape)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        return false;
    }
    TextWriter out(file);
    out.text("# radar benchmark surface: ");
    out.integer(shape.points());
    out.text(" points, ");
    out.integer(shape.triangles());
    out.text(" triangles\ng surface\n");
    for (std::size_t j = 0; j <= shape.quadsY; ++j)
        for (std::size_t i = 0; i <= shape.quadsX; ++i) {
            const Point p = gridPoint(shape, i, j);
            out.text("v ");
            out.fixed(p.x);
            out.put(' ');
            out.fixed(p.y);
            out.put(' ');
            out.fixed(p.z);
            out.text("\nvt ");
            out.fixed(p.u);
            out.put(' ');
            out.fixed(p.v);
            out.text("\nvn ");
            out.fixed(p.nx);
            out.put(' ');
            out.fixed(p.ny);
            out.put(' ');
            out.fixed(p.nz);
            out.put('\n');
        }
    for (std::size_t j = 0; j < shape.quadsY; ++j)
        for (std::size_t i = 0; i < shape.quadsX; ++i) {
            std::size_t corners[6];
            quadTriangles(shape, i, j, corners);
            for (int t = 0; t < 2; ++t) {
                out.put('f');
                for (int k = 0; k < cornersPerTriangle; ++k) {
                    const std::size_t index = corners[cornersPerTriangle * t + k];
                    out.put(' ');
                    out.integer(index);
                    out.put('/');
                    out.integer(index);
                    out.put('/');
                    out.integer(index);
                }
                out.put('\n');
            }
        }
    bool ok = out.flush();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
    return ok;
}

std::string cachedGridObj(const std::string &dir, const GridShape &shape)
{
    char name[128];
    std::snprintf(name, sizeof name, "/surface-v%d-%zux%zu.obj", generatorVersion, shape.quadsX,
                  shape.quadsY);
    const std::string path = dir + name;
    if (fileExists(path))
        return path;
    const std::string partial = path + ".partial";
    if (!writeGridObj(partial, shape) || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return std::string();
    }
    return path;
}

ObjModel *makeGridModel(const GridShape &shape)
{
    ObjModel *model = newModel("generated surface");
    model->vertexcount = GLuint(shape.points());
    model->vertices = allocateFloats(3 * (shape.points() + 1));
    for (std::size_t j = 0; j <= shape.quadsY; ++j)
        for (std::size_t i = 0; i <= shape.quadsX; ++i) {
            const Point p = gridPoint(shape, i, j);
            GLfloat *v = &model->vertices[3 * pointIndex(shape, i, j)];
            v[0] = GLfloat(p.x);
            v[1] = GLfloat(p.y);
            v[2] = GLfloat(p.z);
        }
    model->facecount = GLuint(shape.triangles());
    model->faces = static_cast<ObjTriangle *>(std::calloc(model->facecount, sizeof(ObjTriangle)));
    std::size_t t = 0;
    for (std::size_t j = 0; j < shape.quadsY; ++j)
        for (std::size_t i = 0; i < shape.quadsX; ++i) {
            std::size_t c[6];
            quadTriangles(shape, i, j, c);
            setTriangle(model->faces[t++], c[0], c[1], c[2]);
            setTriangle(model->faces[t++], c[3], c[4], c[5]);
        }
    return model;
}

WeldSet makeWeldSet(std::size_t vertices)
{
    WeldSet set;
    set.vertices = vertices;
    set.epsilon = weldEpsilon;
    set.positions.resize(3 * vertices);
    const GridShape shape = gridFor((vertices + cornersPerTriangle - 1) / cornersPerTriangle);
    std::vector<bool> used(shape.points() + 1, false);
    const double jitter = jitterFraction * double(weldEpsilon);

    std::size_t n = 0;
    for (std::size_t j = 0; j < shape.quadsY && n < vertices; ++j)
        for (std::size_t i = 0; i < shape.quadsX && n < vertices; ++i) {
            std::size_t corners[6];
            quadTriangles(shape, i, j, corners);
            for (int k = 0; k < 6 && n < vertices; ++k, ++n) {
                const std::size_t index = corners[k];
                const std::size_t pi = (index - 1) % (shape.quadsX + 1);
                const std::size_t pj = (index - 1) / (shape.quadsX + 1);
                const Point p = gridPoint(shape, pi, pj);
                double xyz[3] = {p.x, p.y, p.z};
                if (mix(choiceSeed ^ n) % movedOneIn == 0)
                    for (int a = 0; a < 3; ++a)
                        xyz[a] += jitter * noise(jitterSeed, 3 * n + a);
                for (int a = 0; a < 3; ++a)
                    set.positions[3 * n + a] = GLfloat(xyz[a]);
                if (!used[index]) {
                    used[index] = true;
                    ++set.distinct;
                }
            }
        }
    return set;
}

ObjModel *makeWeldModel(const WeldSet &set)
{
    ObjModel *model = newModel("generated soup");
    model->facecount = GLuint(set.vertices / cornersPerTriangle);
    model->faces = static_cast<ObjTriangle *>(std::calloc(model->facecount, sizeof(ObjTriangle)));
    resetWeldModel(model, set);
    return model;
}

void resetWeldModel(ObjModel *model, const WeldSet &set)
{
    std::free(model->vertices);
    model->vertexcount = GLuint(set.vertices);
    model->vertices = allocateFloats(3 * (set.vertices + 1));
    std::memcpy(&model->vertices[3], set.positions.data(), set.positions.size() * sizeof(GLfloat));
    for (std::size_t t = 0; t < model->facecount; ++t)
        setTriangle(model->faces[t], 3 * t + 1, 3 * t + 2, 3 * t + 3);
}
