// SPDX-License-Identifier: MIT
#include "objpeertext.h"

#include "glm/textscan.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <vector>

namespace fuzzsupport {
namespace {

// A line the reader takes as a chunk holds what follows the keyword, the
// line end included, with continuations joined as one blank each; it may
// fill the reader's line buffer to the last byte.
constexpr std::size_t chunkLimit = glmscan::maxChunkLength;
constexpr int maxStatements = 300;
constexpr std::size_t libraryShare = 3; // at most a third of the bytes go to the library
constexpr int maxMaterials = 6;
constexpr int maxMaterialExtras = 4; // statements besides the four settings
constexpr int maxCorners = 255;      // tinyobjloader counts a face's corners in a byte
constexpr int usualCorners = 6;
// Numbers: "many digits" reach past a double's precision.
constexpr int maxDigits = 40;
constexpr int maxLeadingZeros = 30;
constexpr int usualDigits = 4;
constexpr int maxExponent = 60;
// Decimal orders of magnitude of nonzero numbers: from the denormal floats
// to below the largest float.
constexpr int minOrder = -40;
constexpr int maxOrder = 37;
// A "v/t/n" corner of three signed indices below 1000 (maxStatements keeps
// them there) stays one token of the reader, leading zeros included.
constexpr int maxIndexZeros = (int(glmscan::maxTokenLength) - 2) / 3 - 4;
constexpr int forwardReach = 3; // positive indices past the elements read so far
static_assert(maxStatements + forwardReach < 1000);
constexpr int maxNameLength = 24;
// A long name fills a "usemtl" line with one blank and a CRLF.
constexpr int maxLongNameLength = int(chunkLimit) - 3;
constexpr int maxNameWords = 3;
constexpr int maxCommentWords = 6;
constexpr int maxSkippedValues = 6;
constexpr const char *ownDefaultMaterial = "default"; // the reader's material 0
constexpr const char *ownDefaultGroup = "default";    // faces before any "g" line

// How a statement's line may be laid out.
enum class LineKind {
    chunk,   // read as a chunk: within chunkLimit
    numbers, // numbers after the keyword: continued only within chunkLimit
    face,    // read token by token: any length
};

struct Statement
{
    std::vector<std::string> tokens; // the keyword first
    LineKind kind = LineKind::chunk;
    bool oneBlankAfterKeyword = false; // tinyobjloader reads the name after it as is
    bool trailingBlanks = true;
    std::size_t keptTokens = 1; // those a chunk too long for the reader keeps whole
};

class Generator
{
public:
    explicit Generator(FuzzedDataProvider &in) : in_(&in) {}

    ObjPeerText run(const std::string &libraryName)
    {
        lineEnds_ = range(0, 2);
        ObjPeerText text;
        // The library takes its bytes from the front, at most a share of them.
        FuzzedDataProvider *modelBytes = in_;
        const std::vector<std::uint8_t> libraryBytes = in_->ConsumeBytes<std::uint8_t>(
            in_->ConsumeIntegralInRange<std::size_t>(0, in_->remaining_bytes() / libraryShare));
        FuzzedDataProvider libraryInput(libraryBytes.data(), libraryBytes.size());
        in_ = &libraryInput;
        library(text.mtl);
        in_ = modelBytes;
        model(text.obj, libraryName);
        if (oneIn(8))
            dropLastLineEnd(text.obj);
        if (oneIn(8))
            dropLastLineEnd(text.mtl);
        return text;
    }

private:
    // ---- choices -----------------------------------------------------------

    // Once the bytes run out, every choice is the first: the plainest.
    int range(int lo, int hi) { return in_->ConsumeIntegralInRange<int>(lo, hi); }
    bool oneIn(int n) { return range(1, n) == n; }
    bool more() const { return in_->remaining_bytes() > 0; }

    std::string pick(std::initializer_list<const char *> words)
    {
        return words.begin()[range(0, int(words.size()) - 1)];
    }

    std::string digits(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += char('0' + range(0, 9));
        return text;
    }

    // ---- layout ------------------------------------------------------------

    std::string blanks() { return pick({" ", " ", " ", "\t", "  ", " \t "}); }
    std::string continuation() { return oneIn(3) ? "\\\r\n" : "\\\n"; }

    std::string lineEnd()
    {
        const bool crlf = lineEnds_ == 2 ? oneIn(2) : lineEnds_ == 1;
        return crlf ? "\r\n" : "\n";
    }

    static void dropLastLineEnd(std::string &text)
    {
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    }

    // Appends the statement's line to out. A chunk too long for the reader
    // is written with single blanks, and then fewer or shorter tokens.
    void emit(std::string &out, const Statement &s)
    {
        struct Gap
        {
            std::string text, joined;
        };
        std::vector<std::string> tokens = s.tokens;
        std::vector<Gap> gaps;
        bool continued = false;
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            Gap gap;
            if (i == 1 && s.oneBlankAfterKeyword) {
                gap.text = oneIn(4) ? continuation() : pick({" ", "\t"});
                gap.joined = gap.text.size() == 1 ? gap.text : " ";
            } else if (oneIn(8)) {
                const std::string before = oneIn(3) ? blanks() : "";
                const std::string after = oneIn(3) ? blanks() : "";
                gap.text = before + continuation() + after;
                gap.joined = before + " " + after;
            } else {
                gap.text = gap.joined = blanks();
            }
            continued = continued || gap.text != gap.joined;
            gaps.push_back(gap);
        }
        const std::string indent = oneIn(6) ? blanks() : "";
        std::string trailing = s.trailingBlanks && oneIn(6) ? blanks() : "";
        const std::string end = lineEnd();

        // What the reader's chunk after the keyword holds.
        const auto fits = [&] {
            std::size_t length = trailing.size() + end.size();
            for (std::size_t i = 1; i < tokens.size(); ++i)
                length += gaps[i - 1].joined.size() + tokens[i].size();
            return length <= chunkLimit;
        };
        if (s.kind == LineKind::chunk && !fits()) {
            for (Gap &gap : gaps)
                gap.text = gap.joined = " ";
            trailing.clear();
            while (!fits() && tokens.size() > s.keptTokens) {
                if (tokens.size() > s.keptTokens + 1 || tokens.back().size() <= 1) {
                    tokens.pop_back();
                    gaps.pop_back();
                } else {
                    tokens.back().pop_back();
                }
            }
        }
        // A continued line that would not fit is written on one line.
        const bool keepContinuations = continued && (s.kind == LineKind::face || fits());

        out += indent + tokens[0];
        for (std::size_t i = 1; i < tokens.size(); ++i)
            out += (keepContinuations ? gaps[i - 1].text : gaps[i - 1].joined) + tokens[i];
        out += trailing + end;
    }

    void blankOrComment(std::string &out)
    {
        if (oneIn(3)) {
            out += (oneIn(2) ? blanks() : "") + lineEnd();
            return;
        }
        Statement s;
        s.tokens.push_back(oneIn(2) ? "#" : "#" + name());
        for (int i = range(0, maxCommentWords); i > 0; --i)
            s.tokens.push_back(name());
        emit(out, s);
    }

    // ---- words and numbers -------------------------------------------------

    // Printable, no blank, no backslash.
    std::string word(int maxLength)
    {
        std::string text;
        for (int i = range(1, maxLength); i > 0; --i) {
            const char c = char(range('!', '~'));
            text += c == '\\' ? '_' : c;
        }
        return text;
    }

    std::string fileName()
    {
        std::string text;
        for (int i = range(1, 12); i > 0; --i)
            text += char(oneIn(4) ? '0' + range(0, 9) : 'a' + range(0, 25));
        return text + pick({".png", ".tga", ".jpg", ".map", ".obj"});
    }

    // A decimal number: optional sign, digits with an optional point and
    // fraction, an optional exponent; a nonzero value's order of magnitude
    // kept within [minOrder, maxOrder] through the exponent.
    std::string number(int mostDigits, int mostZeros)
    {
        std::string whole = std::string(range(0, mostZeros), '0') + digits(range(0, mostDigits));
        const bool point = !oneIn(3);
        std::string fraction;
        if (point)
            fraction = std::string(range(0, mostZeros), '0') + digits(range(0, mostDigits));
        if (whole.empty() && fraction.empty())
            whole = digits(1);
        std::string text = pick({"", "", "-", "+"}) + whole + (point ? "." + fraction : "");

        bool exponentWritten = oneIn(3);
        int exponent = exponentWritten ? range(-maxExponent, maxExponent) : 0;
        const std::size_t firstNonzero = (whole + fraction).find_first_not_of('0');
        if (firstNonzero != std::string::npos) {
            const int order = int(whole.size()) - 1 - int(firstNonzero);
            const int clamped = std::clamp(order + exponent, minOrder, maxOrder);
            if (clamped != order + exponent) {
                exponent = clamped - order;
                exponentWritten = true;
            }
        }
        if (exponentWritten) {
            text += pick({"e", "E"});
            text += exponent < 0 ? "-" : pick({"", "+"});
            text += std::string(range(0, 2), '0') + std::to_string(std::abs(exponent));
        }
        return text;
    }

    std::string anyNumber()
    {
        const bool many = oneIn(8);
        return number(many ? maxDigits : usualDigits, many ? maxLeadingZeros : 1);
    }
    std::string shortNumber() { return number(usualDigits, 1); }
    std::string smallInteger() { return std::to_string(range(0, 32)); }

    void numbers(Statement &s, int count, bool any = true)
    {
        for (int i = 0; i < count; ++i)
            s.tokens.push_back(any ? anyNumber() : shortNumber());
    }

    // ---- the library -------------------------------------------------------

    std::string newMaterialName()
    {
        std::string text = name();
        if (text == ownDefaultMaterial)
            text += '_';
        return text;
    }

    void textureStatement(Statement &s, const char *keyword)
    {
        s.tokens.push_back(keyword);
        for (int i = range(0, 2); i > 0; --i) {
            switch (range(0, 7)) {
            case 0:
                s.tokens.push_back(pick({"-s", "-o", "-t"}));
                numbers(s, 3, false);
                break;
            case 1:
                s.tokens.push_back(pick({"-bm", "-boost"}));
                numbers(s, 1, false);
                break;
            case 2:
                s.tokens.push_back(pick({"-clamp", "-blendu", "-blendv"}));
                s.tokens.push_back(pick({"on", "off"}));
                break;
            case 3:
                s.tokens.push_back("-mm");
                numbers(s, 2, false);
                break;
            case 4:
                s.tokens.push_back("-texres");
                s.tokens.push_back(std::to_string(range(1, 4096)));
                break;
            default:
                s.tokens.push_back("-imfchan");
                s.tokens.push_back(pick({"r", "g", "b", "m", "l", "z"}));
                break;
            }
        }
        s.tokens.push_back(fileName());
    }

    // A statement of the MTL format that the reader does not model.
    void skippedMaterialStatement(std::string &out)
    {
        Statement s;
        switch (range(0, 9)) {
        case 0:
            s.tokens = {pick(
                {"Ni", "d", "Tr", "sharpness", "Pr", "Pm", "Ps", "Pc", "Pcr", "aniso", "anisor"})};
            numbers(s, 1, false);
            break;
        case 1:
            s.tokens = {"d", "-halo"};
            numbers(s, 1, false);
            break;
        case 2:
            s.tokens = {"illum", std::to_string(range(0, 10))};
            break;
        case 3:
            s.tokens = {pick({"Ke", "Tf"})};
            numbers(s, 3, false);
            break;
        case 4:
            textureStatement(s, pick({"map_Ka", "map_Kd", "map_Ks", "map_Ns", "map_d", "map_bump",
                                      "map_Ke", "map_Pr"})
                                    .c_str());
            break;
        case 5:
            textureStatement(s, pick({"bump", "disp", "decal", "norm"}).c_str());
            break;
        case 6:
            s.tokens = {"refl", "-type", pick({"sphere", "cube_top", "cube_front"}), fileName()};
            break;
        default:
            blankOrComment(out);
            return;
        }
        emit(out, s);
    }

    enum MaterialPart { ambient, diffuse, specular, shininess, extra };

    void materialSetting(std::string &out, int part)
    {
        Statement s;
        s.kind = LineKind::numbers;
        s.tokens = {part == ambient    ? "Ka"
                    : part == diffuse  ? "Kd"
                    : part == specular ? "Ks"
                                       : "Ns"};
        numbers(s, part == shininess ? 1 : 3);
        emit(out, s);
    }

    void library(std::string &out)
    {
        // Before the first material: what tinyobjloader drops and the reader
        // gives its own "default".
        for (int i = range(0, 2); i > 0; --i) {
            if (oneIn(3))
                materialSetting(out, range(ambient, shininess));
            else
                skippedMaterialStatement(out);
        }
        for (int m = range(1, maxMaterials); m > 0; --m) {
            const bool again = !materialNames_.empty() && oneIn(8);
            const std::string materialName =
                again ? materialNames_[range(0, int(materialNames_.size()) - 1)]
                      : newMaterialName();
            materialNames_.push_back(materialName);
            Statement s;
            s.tokens = {"newmtl", materialNames_.back()};
            s.keptTokens = 2;
            s.oneBlankAfterKeyword = true;
            emit(out, s);

            std::vector<int> parts = {ambient, diffuse, specular, shininess};
            for (int i = range(0, maxMaterialExtras); i > 0; --i)
                parts.push_back(extra);
            while (!parts.empty()) {
                const int at = range(0, int(parts.size()) - 1);
                const int part = parts[at];
                parts.erase(parts.begin() + at);
                if (part != extra)
                    materialSetting(out, part);
                else if (oneIn(3))
                    materialSetting(out, range(ambient, shininess)); // set again: the last wins
                else
                    skippedMaterialStatement(out);
            }
        }
    }

    // ---- the model ---------------------------------------------------------

    struct Elements
    {
        int read = 0;    // so far
        int highest = 0; // highest positive index written
    };

    // An index into elements: negative ones within what was read so far,
    // positive ones a little past it (declared later in the file).
    std::string index(Elements &e, bool forward = true)
    {
        std::string text;
        int value;
        if (e.read > 0 && (oneIn(3) || !forward)) {
            value = oneIn(2) ? -range(1, e.read) : range(1, e.read);
        } else {
            value = range(1, e.read + forwardReach);
        }
        if (value > 0) {
            e.highest = std::max(e.highest, value);
            if (oneIn(5))
                text += '+';
        } else {
            text += '-';
        }
        if (oneIn(5))
            text += std::string(range(1, maxIndexZeros), '0');
        return text + std::to_string(std::abs(value));
    }

    // The material a "usemtl" of name gives, in both readers: the first
    // material of that name, once the library is read; else none (-1).
    int resolve(const std::string &name) const
    {
        if (!libraryRead_)
            return -1;
        const auto found = std::find(materialNames_.begin(), materialNames_.end(), name);
        return found == materialNames_.end() ? -1 : int(found - materialNames_.begin());
    }

    // Whether the group, were it current with this material, keeps the
    // material its faces have.
    bool keepsMaterial(const std::string &group, int material) const
    {
        const auto faces = groupMaterial_.find(group);
        return faces == groupMaterial_.end() || faces->second == material;
    }

    void vertexStatement(std::string &out, const char *keyword, int count, Elements &e)
    {
        Statement s;
        s.kind = LineKind::numbers;
        s.tokens = {keyword};
        numbers(s, count);
        emit(out, s);
        ++e.read;
    }

    void face(std::string &out)
    {
        enum Form { vertexOnly, withUv, withUvAndNormal, withNormal };
        const int form = range(vertexOnly, withNormal);
        const int corners = oneIn(8) ? range(3, maxCorners) : range(3, usualCorners);
        // The peer gives faces after an "o" line to the object; the current
        // group, named again, takes them back. It keeps its material.
        if (afterObject_)
            writeGroupLine(out, group_, lineEnd());
        Statement s;
        s.kind = LineKind::face;
        s.tokens = {"f"};
        for (int c = 0; c < corners; ++c) {
            std::string corner = index(vertices_);
            if (form == withUv || form == withUvAndNormal)
                corner += "/" + index(uvs_);
            if (form == withNormal)
                corner += "/";
            if (form == withNormal || form == withUvAndNormal)
                corner += "/" + index(normals_);
            s.tokens.push_back(corner);
        }
        emit(out, s);
        groupMaterial_.emplace(group_, material_);
    }

    // A name: now and then one that fills a line.
    std::string name() { return word(oneIn(8) ? maxLongNameLength : maxNameLength); }

    void groupLine(std::string &out)
    {
        std::string end = lineEnd();
        std::string rest; // as the reader's chunk after "g" holds it, without the line end
        if (!groupRests_.empty() && oneIn(2)) {
            rest = groupRests_[range(0, int(groupRests_.size()) - 1)];
        } else if (oneIn(8)) {
            // No name; but a blank, without which the peer takes the line
            // for a statement of neither format.
            rest = pick({" ", "\t"});
        } else {
            rest = pick({" ", " ", "\t", "  "}) + name();
            for (int i = range(0, maxNameWords - 1); i > 0; --i)
                rest += blanks() + name();
            if (oneIn(6))
                rest += blanks();
            rest.resize(std::min(rest.size(), chunkLimit - end.size()));
        }
        writeGroupLine(out, rest, end);
    }

    void writeGroupLine(std::string &out, const std::string &rest, std::string end)
    {
        if (rest.size() + end.size() > chunkLimit)
            end = "\n";
        if (!keepsMaterial(rest, material_))
            return;
        groupRests_.push_back(rest);
        group_ = rest; // it takes the material in force
        afterObject_ = false;

        // An inner blank may be written as a continuation, which reads as one.
        std::string line = "g";
        for (std::size_t i = 0; i < rest.size(); ++i)
            line += rest[i] == ' ' && i + 1 < rest.size() && oneIn(6) ? continuation()
                                                                      : std::string(1, rest[i]);
        out += line + end;
    }

    void useMaterial(std::string &out)
    {
        std::string chosen;
        // The library's names only below the "mtllib" line: the reader reads
        // the library in its first pass and finds them above it too, the
        // peer, reading once, does not.
        if (libraryRead_ && !oneIn(4)) {
            chosen = materialNames_[range(0, int(materialNames_.size()) - 1)];
        } else if (oneIn(4)) {
            chosen = ownDefaultMaterial; // the reader's own, unknown to the file
        } else {
            // A name the library does not have: more last letters than it has names.
            chosen = newMaterialName();
            static_assert(maxMaterials < 7);
            for (const char last : {'~', '!', '_', '0', 'a', 'Z', '@'}) {
                chosen.back() = last;
                if (std::find(materialNames_.begin(), materialNames_.end(), chosen) ==
                    materialNames_.end())
                    break;
            }
        }
        const int material = resolve(chosen);
        if (!keepsMaterial(group_, material))
            return;
        material_ = material;
        Statement s;
        s.tokens = {"usemtl", chosen};
        s.keptTokens = 2;
        if (oneIn(8))
            s.tokens.push_back(name()); // read by neither
        emit(out, s);
    }

    void libraryLine(std::string &out, const std::string &libraryName)
    {
        Statement s;
        s.tokens = {"mtllib", libraryName};
        s.keptTokens = 2;
        s.oneBlankAfterKeyword = true;
        s.trailingBlanks = false;
        emit(out, s);
        libraryRead_ = true;
    }

    // Vertex indices of a line or point statement: elements read so far.
    void references(Statement &s, int least)
    {
        const bool withUv = uvs_.read > 0 && oneIn(2);
        for (int i = range(least, maxSkippedValues); i > 0; --i)
            s.tokens.push_back(index(vertices_, false) + (withUv ? "/" + index(uvs_, false) : ""));
    }

    // A statement of the OBJ format that the reader does not model.
    void skippedModelStatement(std::string &out)
    {
        Statement s;
        switch (range(0, 15)) {
        case 0:
            // Only once a "g" line named the current group: the reader's
            // "default" cannot be named again.
            if (group_ == ownDefaultGroup) {
                blankOrComment(out);
                return;
            }
            afterObject_ = true;
            s.tokens = {"o"};
            for (int i = range(0, maxNameWords); i > 0; --i)
                s.tokens.push_back(name());
            break;
        case 1:
            s.tokens = {"s", oneIn(3) ? "off" : smallInteger()};
            break;
        case 2:
        case 3:
            if (vertices_.read == 0) {
                blankOrComment(out);
                return;
            }
            s.tokens = {oneIn(2) ? "l" : "p"};
            references(s, s.tokens[0] == "l" ? 2 : 1);
            break;
        case 4:
            s.tokens = {"vp"};
            numbers(s, range(1, 3), false);
            break;
        case 5:
            s.tokens = {"mg", oneIn(3) ? "off" : smallInteger()};
            if (s.tokens[1] != "off")
                numbers(s, 1, false);
            break;
        case 6:
            s.tokens = {"maplib"};
            for (int i = range(1, maxNameWords); i > 0; --i)
                s.tokens.push_back(fileName());
            break;
        case 7:
            s.tokens = {"usemap", oneIn(3) ? "off" : name()};
            break;
        case 8:
            s.tokens = {"cstype"};
            if (oneIn(2))
                s.tokens.push_back("rat");
            s.tokens.push_back(pick({"bmatrix", "bezier", "bspline", "cardinal", "taylor"}));
            break;
        case 9:
            s.tokens = {pick({"deg", "step", "sp", "lod"})};
            for (int i = range(1, 2); i > 0; --i)
                s.tokens.push_back(smallInteger());
            break;
        case 10:
            s.tokens = {pick({"bmat", "parm"}), pick({"u", "v"})};
            numbers(s, range(1, maxSkippedValues), false);
            break;
        case 11:
            s.tokens = {pick({"curv", "curv2", "surf", "trim", "hole", "scrv", "con"})};
            numbers(s, range(1, maxSkippedValues), false);
            break;
        case 12:
            s.tokens = {pick({"end", "ctech", "stech"})};
            if (s.tokens[0] != "end") {
                s.tokens.push_back(pick({"cparm", "cspace", "curv", "cparma", "cparmb"}));
                numbers(s, range(1, 2), false);
            }
            break;
        case 13:
            s.tokens = {pick({"call", "shadow_obj", "trace_obj"}), fileName()};
            break;
        case 14:
            s.tokens = {pick({"bevel", "c_interp", "d_interp"}), pick({"on", "off"})};
            break;
        default:
            s.tokens = {"csh", "-" + name()};
            break;
        }
        emit(out, s);
    }

    void model(std::string &out, const std::string &libraryName)
    {
        for (int n = 0; n < maxStatements && more(); ++n) {
            switch (range(0, 31)) {
            case 0:
            case 1:
            case 2:
            case 3:
            case 4:
            case 5:
                // A weight, or a colour, after the position.
                vertexStatement(out, "v", oneIn(4) ? (oneIn(2) ? 4 : 6) : 3, vertices_);
                break;
            case 6:
            case 7:
                vertexStatement(out, "vt", range(1, 3), uvs_);
                break;
            case 8:
            case 9:
                vertexStatement(out, "vn", 3, normals_);
                break;
            case 10:
            case 11:
            case 12:
            case 13:
            case 14:
            case 15:
                face(out);
                break;
            case 16:
            case 17:
                groupLine(out);
                break;
            case 18:
            case 19:
                useMaterial(out);
                break;
            case 20:
                libraryLine(out, libraryName);
                break;
            case 21:
                blankOrComment(out);
                break;
            default:
                skippedModelStatement(out);
                break;
            }
        }
        // The elements that positive indices reached beyond the file's end.
        while (vertices_.read < vertices_.highest)
            vertexStatement(out, "v", 3, vertices_);
        while (uvs_.read < uvs_.highest)
            vertexStatement(out, "vt", 2, uvs_);
        while (normals_.read < normals_.highest)
            vertexStatement(out, "vn", 3, normals_);
    }

    FuzzedDataProvider *in_; // the library's bytes while it is made
    int lineEnds_ = 0;       // LF, CRLF, or either line by line
    std::vector<std::string> materialNames_;
    bool libraryRead_ = false;
    int material_ = -1; // in force, as resolve() gives it
    std::string group_ = ownDefaultGroup;
    bool afterObject_ = false; // an "o" line came after the current group's "g" line
    std::map<std::string, int> groupMaterial_; // the material of each group with faces
    std::vector<std::string> groupRests_;      // as a "g" line's chunk holds them
    Elements vertices_, uvs_, normals_;
};

} // namespace

ObjPeerText makeObjPeerText(FuzzedDataProvider &bytes, const std::string &libraryName)
{
    return Generator(bytes).run(libraryName);
}

} // namespace fuzzsupport
