// SPDX-License-Identifier: MIT
#include "exporterfiles.h"

#include <stdexcept>

namespace glmtest {

namespace {

const std::string libraryLine = std::string("mtllib ") + exporterLibraryName + "\n";

const std::string baseObj = "# in the manner of common exporters\n" + libraryLine +
                            "v 1.000000 1.000000 -1.000000\n"
                            "v 1.000000 -1.000000 -1.000000\n"
                            "v 1.000000 1.000000 1.000000\n"
                            "v 1.000000 -1.000000 1.000000\n"
                            "v -1.000000 1.000000 -1.000000\n"
                            "v -1.000000 -1.000000 -1.000000\n"
                            "v -1.000000 1.000000 1.000000\n"
                            "v -1.000000 -1.000000 1.000000\n"
                            "vt 0.625000 0.500000\n"
                            "vt 0.875000 0.500000\n"
                            "vt 0.875000 0.750000\n"
                            "vt 0.625000 0.750000\n"
                            "vn 0.0000 1.0000 0.0000\n"
                            "vn 0.0000 0.0000 1.0000\n"
                            "vn -1.0000 0.0000 0.0000\n"
                            "g top\n"
                            "usemtl red\n"
                            "f 1/1/1 5/2/1 7/3/1 3/4/1\n"
                            "g front\n"
                            "usemtl blue\n"
                            "f 4/1/2 3/2/2 7/3/2 8/4/2\n"
                            "g side\n"
                            "f 8//3 7//3 5//3 6//3\n"
                            "f 6/1 2/2 4/3\n"
                            "f 2 1 3 4\n";

const char baseMtl[] = "# in the manner of common exporters\n"
                       "newmtl red\n"
                       "Ns 250.000000\n"
                       "Ka 1.000000 1.000000 1.000000\n"
                       "Kd 0.800000 0.100000 0.100000\n"
                       "Ks 0.500000 0.500000 0.500000\n"
                       "newmtl blue\n"
                       "Ns 96.078431\n"
                       "Ka 0.000000 0.000000 0.000000\n"
                       "Kd 0.100000 0.100000 0.800000\n"
                       "Ks 0.250000 0.250000 0.250000\n";

// Lines of the model after which statements go where exporters put them.
const std::string &afterLibrary = libraryLine;
const std::string afterData = "vn -1.0000 0.0000 0.0000\n";
const char inGroup[] = "usemtl red\n";
const char inMaterial[] = "Ns 250.000000\n";

std::string replaced(std::string text, const std::string &line, const std::string &by)
{
    const std::size_t at = text.find(line);
    if (at == std::string::npos)
        throw std::logic_error("no line \"" + line + "\" in the model");
    return text.replace(at, line.size(), by);
}

enum class Part { obj, mtl };

// The model with line replaced by exported in the file, and by plain in
// the plain copy.
ExporterFile variant(const std::string &name, Part part, const std::string &line,
                     const std::string &exported, const std::string &plain)
{
    ExporterFile file{name, baseObj, baseMtl, baseObj, baseMtl};
    std::string &text = part == Part::obj ? file.obj : file.mtl;
    std::string &plainText = part == Part::obj ? file.plainObj : file.plainMtl;
    text = replaced(text, line, exported);
    plainText = replaced(plainText, line, plain);
    return file;
}

// The model with a statement the library skips added after line.
ExporterFile skipped(const std::string &name, Part part, const std::string &line,
                     const std::string &statement)
{
    return variant(name, part, line, line + statement + "\n", line);
}

std::vector<ExporterFile> makeFiles()
{
    const Part obj = Part::obj;
    const Part mtl = Part::mtl;
    return {
        {"plain", baseObj, baseMtl, baseObj, baseMtl},

        // OBJ: grouping, display and other elements
        skipped("o", obj, afterLibrary, "o Cube"),
        skipped("s", obj, inGroup, "s 1"),
        skipped("l", obj, inGroup, "l 1 2 3"),
        skipped("p", obj, inGroup, "p 4"),
        skipped("vp", obj, afterData, "vp 0.210000 0.130000"),
        skipped("mg", obj, inGroup, "mg 1 0.5"),
        skipped("maplib", obj, afterLibrary, "maplib wood.mpc stone.mpc"),
        skipped("usemap", obj, inGroup, "usemap wood"),
        skipped("bevel", obj, inGroup, "bevel on"),
        skipped("c_interp", obj, inGroup, "c_interp on"),
        skipped("d_interp", obj, inGroup, "d_interp off"),
        skipped("lod", obj, inGroup, "lod 2"),
        skipped("shadow_obj", obj, afterLibrary, "shadow_obj shadow.obj"),
        skipped("trace_obj", obj, afterLibrary, "trace_obj trace.obj"),
        skipped("ctech", obj, afterData, "ctech cparm 1.0"),
        skipped("stech", obj, afterData, "stech cparma 1.0 1.0"),
        skipped("call", obj, afterLibrary, "call detail.obj 1 2"),
        skipped("csh", obj, afterLibrary, "csh -echo exported"),
        // OBJ: free-form curves and surfaces
        skipped("cstype", obj, afterData, "cstype rat bspline"),
        skipped("deg", obj, afterData, "deg 3 3"),
        skipped("bmat", obj, afterData, "bmat u 1 -3 3 -1 0 3 -6 3 0 0 -3 3 0 0 0 1"),
        skipped("step", obj, afterData, "step 1 1"),
        skipped("curv", obj, afterData, "curv 0.000000 1.000000 1 2 3 4"),
        skipped("curv2", obj, afterData, "curv2 1 2 3 4"),
        skipped("surf", obj, afterData, "surf 0.0 1.0 0.0 1.0 1 2 3 4"),
        skipped("parm", obj, afterData, "parm u 0.000000 0.000000 1.000000 1.000000"),
        skipped("trim", obj, afterData, "trim 0.0 1.0 1"),
        skipped("hole", obj, afterData, "hole 0.0 1.0 2"),
        skipped("scrv", obj, afterData, "scrv 0.0 1.0 1"),
        skipped("sp", obj, afterData, "sp 1 2"),
        skipped("end", obj, afterData, "end"),
        skipped("con", obj, afterData, "con 1 0.0 1.0 1 2 0.0 1.0 1"),

        // MTL, after "Ns" where exporters write them
        skipped("Ni", mtl, inMaterial, "Ni 1.450000"),
        skipped("d", mtl, inMaterial, "d 1.000000"),
        skipped("Tr", mtl, inMaterial, "Tr 0.000000"),
        skipped("Tf", mtl, inMaterial, "Tf 1.000000 1.000000 1.000000"),
        skipped("Ke", mtl, inMaterial, "Ke 0.000000 0.000000 0.000000"),
        skipped("illum", mtl, inMaterial, "illum 2"),
        skipped("map_Kd", mtl, inMaterial, "map_Kd textures/red.png"),
        skipped("bump", mtl, inMaterial, "bump -bm 0.5 bump.png"),
        skipped("norm", mtl, inMaterial, "norm normal.png"),
        skipped("disp", mtl, inMaterial, "disp displacement.png"),
        skipped("decal", mtl, inMaterial, "decal decal.png"),
        skipped("refl", mtl, inMaterial, "refl -type sphere sky.png"),
        skipped("sharpness", mtl, inMaterial, "sharpness 60"),
        skipped("Pr", mtl, inMaterial, "Pr 0.500000"),
        skipped("Pm", mtl, inMaterial, "Pm 0.100000"),
        skipped("Ps", mtl, inMaterial, "Ps 0.200000"),
        skipped("Pc", mtl, inMaterial, "Pc 0.300000"),
        skipped("Pcr", mtl, inMaterial, "Pcr 0.030000"),
        skipped("aniso", mtl, inMaterial, "aniso 0.000000"),
        skipped("anisor", mtl, inMaterial, "anisor 0.000000"),

        // Lines continued with a backslash
        variant("continued_face", obj, "f 1/1/1 5/2/1 7/3/1 3/4/1\n",
                "f 1/1/1 5/2/1 \\\n  7/3/1 3/4/1\n", "f 1/1/1 5/2/1 7/3/1 3/4/1\n"),
        variant("continued_vertex_crlf", obj, "v -1.000000 1.000000 1.000000\n",
                "v -1.000000 \\\r\n1.000000 1.000000\r\n", "v -1.000000 1.000000 1.000000\n"),
        variant("continued_group", obj, "g front\n", "g front\\\nback\n", "g front back\n"),
        variant("continued_skipped", obj, afterData,
                afterData + "curv 0.000000 1.000000 \\\n  1 2 3 4\n", afterData),
        variant("continued_colour", mtl, "Kd 0.800000 0.100000 0.100000\n",
                "Kd 0.800000 \\\n0.100000 0.100000\n", "Kd 0.800000 0.100000 0.100000\n"),
    };
}

} // namespace

const std::vector<ExporterFile> &exporterFiles()
{
    static const std::vector<ExporterFile> files = makeFiles();
    return files;
}

} // namespace glmtest
