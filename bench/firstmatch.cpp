// SPDX-License-Identifier: MIT
#include "bench/firstmatch.h"

namespace {

bool within(GLfloat a, GLfloat b, GLfloat epsilon)
{
    const GLfloat d = a - b;
    return (d < 0 ? -d : d) < epsilon;
}

} // namespace

FirstMatchResult firstMatchWeld(const std::vector<GLfloat> &positions, GLfloat epsilon)
{
    FirstMatchResult result;
    const std::size_t n = positions.size() / 3;
    result.map.assign(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const GLfloat *v = &positions[3 * i];
        const std::size_t kept = result.kept.size() / 3;
        std::size_t match = 0;
        for (std::size_t k = 0; k < kept && match == 0; ++k) {
            const GLfloat *w = &result.kept[3 * k];
            if (within(v[0], w[0], epsilon) && within(v[1], w[1], epsilon) &&
                within(v[2], w[2], epsilon))
                match = k + 1;
        }
        if (match == 0) {
            result.kept.insert(result.kept.end(), v, v + 3);
            match = kept + 1;
        }
        result.map[i + 1] = GLuint(match);
    }
    return result;
}
