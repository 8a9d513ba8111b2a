// SPDX-License-Identifier: MIT
#include "render/miplevels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Texels = std::vector<unsigned char>;

// A w x h level of four-channel texels, each channel from f(x, y, c).
template <typename F> Texels level(int w, int h, F f)
{
    Texels t(std::size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                t[(y * w + x) * 4 + c] = static_cast<unsigned char>(f(x, y, c));
    return t;
}

Texels halved(const Texels &src, int w, int h)
{
    Texels out(std::size_t(halvedSide(w)) * halvedSide(h) * 4);
    halveTexels(src.data(), w * 4, w, h, out.data(), halvedSide(w) * 4);
    return out;
}

TEST(MipLevels, eachTexelIsTheRoundedMeanOfItsSquareChannelByChannel)
{
    // 4 x 2 texels: the first square sums to 7 in channel 0 (mean 1.75,
    // rounds to 2), the second to 1018 (254.5, rounds up to 255).
    const Texels src = level(4, 2, [](int x, int y, int c) {
        if (c != 0)
            return 10 * c + x + y; // each channel on its own
        return x < 2 ? (x == 0 && y == 0 ? 1 : 2) : (x == 2 && y == 0 ? 253 : 255);
    });
    const Texels out = halved(src, 4, 2);
    ASSERT_EQ(out.size(), 2u * 1 * 4);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[4], 255);
    EXPECT_EQ(out[1], 11); // (10 + 11 + 11 + 12) / 4
    EXPECT_EQ(out[7], 3 * 10 + 3);
}

TEST(MipLevels, sidesOfOnePairTheOtherSideAlone)
{
    EXPECT_EQ(halvedSide(1), 1);
    EXPECT_EQ(halvedSide(5), 2);
    const Texels column = level(1, 4, [](int, int y, int) { return 10 * y; });
    EXPECT_EQ(halved(column, 1, 4), level(1, 2, [](int, int y, int) { return 20 * y + 5; }));
    const Texels row = level(2, 1, [](int x, int, int) { return x ? 3 : 0; });
    EXPECT_EQ(halved(row, 2, 1), level(1, 1, [](int, int, int) { return 2; }));
}

TEST(MipLevels, aNegativeStrideReadsTheRowsUpwards)
{
    const Texels src = level(2, 4, [](int, int y, int) { return 40 * y; });
    Texels out(1 * 2 * 4);
    halveTexels(src.data() + 3 * 2 * 4, -2 * 4, 2, 4, out.data(), 4);
    // Bottom pair first: rows 3 and 2, then rows 1 and 0.
    EXPECT_EQ(out, level(1, 2, [](int, int y, int) { return y ? 20 : 100; }));
}

TEST(MipLevels, halvingInPlaceGivesTheSameChainDownToOneTexel)
{
    int w = 8, h = 4;
    Texels separate =
        level(w, h, [](int x, int y, int c) { return (x * 37 + y * 91 + c * 13) % 256; });
    Texels inPlace = separate;
    while (w > 1 || h > 1) {
        separate = halved(separate, w, h);
        halveTexels(inPlace.data(), w * 4, w, h, inPlace.data(), halvedSide(w) * 4);
        w = halvedSide(w);
        h = halvedSide(h);
        ASSERT_EQ(Texels(inPlace.begin(), inPlace.begin() + separate.size()), separate)
            << w << " x " << h;
    }
}

} // namespace
