// SPDX-License-Identifier: MIT
// glm: a small Wavefront OBJ/MTL model library.
//
// A model is one plain record, ObjModel, owned through raw heap blocks.
// Point arrays (vertices, normals, facetnorms) and uvcoords are 1-based:
// an array of count N holds N + 1 elements and element 0 is never used, so
// OBJ indices address them directly. faces, the groups' faceindices and
// materiallist are 0-based.
//
// Errors: recoverable problems print a one-line message that begins with the
// operation's name and carry on; a model, material library or output file
// that cannot be opened, and input that could only lead to reads or writes
// outside an array, print a message and end the process with exit status 1.
// Preconditions are assertions.
//
// Numbers are read and written with "." as the decimal point whatever the
// process locale.
#pragma once

#include <GL/gl.h>

#define GLM_DRAW_FLAT (1 << 0)     // one facet normal per triangle
#define GLM_DRAW_SMOOTH (1 << 1)   // one normal per corner
#define GLM_DRAW_TEXTURE (1 << 2)  // one texture coordinate per corner
#define GLM_DRAW_COLOR (1 << 3)    // group colour from its material's diffuse
#define GLM_DRAW_MATERIAL (1 << 4) // GL material per group

struct ObjMaterial
{
    char *name;
    GLfloat diffuse[4];
    GLfloat ambient[4];
    GLfloat specular[4];
    GLfloat spare[4];  // never read or written
    GLfloat shininess; // 0 to 128
};

struct ObjTriangle
{
    GLuint vertexindex[3]; // 1-based, winding order
    GLuint normalindex[3]; // 1-based; 0 where the face form carries none
    GLuint uvindex[3];     // 1-based; 0 where the face form carries none
    GLuint facetindex;     // 1-based, set by glmFaceNormals
};

struct ObjGroup
{
    char *name;
    GLuint facecount;
    GLuint *faceindices; // 0-based triangle numbers, file order
    GLuint material;     // 0-based index into materiallist
    ObjGroup *next;
};

struct ObjModel
{
    char *path;
    char *materiallib; // as written on the "mtllib" line, or null

    GLuint vertexcount;
    GLfloat *vertices; // 3 * (vertexcount + 1)

    GLuint normalcount;
    GLfloat *normals; // 3 * (normalcount + 1), or null

    GLuint uvcount;
    GLfloat *uvcoords; // 2 * (uvcount + 1), or null

    GLuint facetnormcount;
    GLfloat *facetnorms; // 3 * (facetnormcount + 1), or null

    GLuint facecount;
    ObjTriangle *faces;

    GLuint materialcount;
    ObjMaterial *materiallist; // "default" first when a library was read

    GLuint groupcount;
    ObjGroup *grouplist; // newest group first, "default" last

    GLfloat origin[3];
};

// Model and helpers (glm.cpp)
void glmFreeModel(ObjModel *model);
ObjGroup *glmLookupGroup(ObjModel *model, const char *name);
ObjGroup *glmAppendGroup(ObjModel *model, const char *name);
GLuint glmFindMaterial(ObjModel *model, const char *name); // 0 with a message when unknown
char *glmDirectoryOf(const char *path);                    // caller frees with free()
GLfloat glmMax(GLfloat a, GLfloat b);
GLfloat glmAbs(GLfloat f);
void glmNormalizeVector(GLfloat *v); // a zero-length vector stays as it is

// Reader (reader.cpp): exits with status 1 on unopenable files and bad input.
// A model or library path that names no regular file (a FIFO, a device) or
// a file too large for the model's 32-bit counts is an unopenable file.
// Statements are recognised by their whole keyword; those of the OBJ and MTL
// formats that the library does not model ("o", "s", "vp", "Ni", "map_Kd",
// ...) are skipped like comments, and other keywords are told apart by their
// first letters (keywords.h). A backslash before a line end continues the
// line; a continued line that a name or a skipped statement is read from
// must fit the reader's line buffer, or the program ends with a message.
// The returned model is safe to use: every index a face carries lies within
// 1..count of its array (negative indices are resolved against the elements
// read before the face); an index 0 or beyond, a face with fewer than three
// corners, a corner missing a number of its form or one of another form
// among the first three ends the program with a "glmReadOBJ(): ..." message
// on standard error. Index triples a face form
// does not carry are 0; normals and uvcoords are null when their count is 0.
// A CR before a line end is not part of a group, library or material name.
ObjModel *glmReadOBJ(const char *filename);

// Geometry (geometry.cpp). A model without vertices or of size 0 is only
// centred (factor 1; planar UVs 0.5); degenerate triangles get zero facet
// normals, which never join a vertex-normal average. Sizes, centres and
// factors are computed in double, so finite coordinates up to the largest
// float fit into the unit cube (and give planar UVs) finite and apart; a
// size or factor beyond the float range is reported as the largest float.
GLfloat glmFitToUnitCube(ObjModel *model); // returns the scale applied
void glmExtent(ObjModel *model, GLfloat *dimensions);
void glmScaleModel(ObjModel *model, GLfloat scale);
void glmFlipWinding(ObjModel *model);
void glmFaceNormals(ObjModel *model);
void glmVertexNormals(ObjModel *model, GLfloat angle); // crease angle in degrees
void glmPlanarUVs(ObjModel *model);
void glmSphereUVs(ObjModel *model);

// Drawing (draw.cpp): needs a current GL context.
void glmDraw(ObjModel *model, GLuint mode);
GLuint glmCompileList(ObjModel *model, GLuint mode); // caller owns the list

// Writer (writer.cpp): exits with status 1 when a file cannot be opened.
// Whatever glmReadOBJ accepts is written, in every mode, so that it reads
// back with the same triangles and corner indices:
// - a face line carries texture coordinates or normals only where all
//   three corners of the triangle have them (an index 0 is never written);
// - group, material and library names are cut to 125 bytes, the most a
//   name line carries whole (read back, a group name keeps the blank after
//   "g", and the library's "default" material comes after the reader's).
// The material library goes beside filename under the model's own library
// name, except where that file is one the model was read from (its OBJ
// file or its library, however the path reaches it) or filename itself:
// such a file is never replaced. The library is then written as
// filename's base name with ".mtl" ("-2.mtl", "-3.mtl", ... if that is
// taken as well), the "mtllib" line names it, and a one-line warning on
// standard output says so. filename itself is replaced as asked, even when
// it is the model's own OBJ file.
void glmWriteOBJ(ObjModel *model, const char *filename, GLuint mode);

// Welding (weld.cpp)
GLfloat *glmMergeVectors(GLfloat *vectors, GLuint *numvectors,
                         GLfloat epsilon); // caller frees with free()
void glmWeldModel(ObjModel *model, GLfloat epsilon);

// Images (ppm.cpp): raw "P6" with 8-bit samples (maxval 255) only. The
// header follows the format: whitespace and "#" comments (of any length,
// through the next CR or LF) anywhere between "P6", width, height and
// maxval, and one whitespace byte after maxval. Anything else - another
// magic, maxval 0 or any other maxval (16-bit samples included), text
// where a number belongs, a zero or oversized image, pixel data shorter
// than the header promises - returns null with a one-line message on
// standard error, leaving width and height as they were. The block is
// allocated only once the file is known to fill it (a stream of unknown
// size fills it as it grows). On success: width * height * 3 bytes, rows
// in file order.
GLubyte *glmLoadPPM(const char *filename, int *width, int *height); // caller frees with free()

// Extension query (extension.cpp): 1 when the current context lists the name.
int hasGLExtension(const char *name);
