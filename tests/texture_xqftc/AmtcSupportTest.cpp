// The amtc compressor's numeric support: the eigen-solver against Eigen 3, colour boxes, the
// single-colour tables and fits, and the quantisers.
#include "AmtcSupport.h"
#include "Quantise.h"
#include "SingleColour.h"

#include <Eigen/Eigenvalues>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace xqftexture;
using namespace xqftexture::amtc;

// Eigenvalues within 1e-4 of the spectral radius (a relative bound on eigenvalues near 0 would ask
// more than single precision holds); eigenvectors up to sign where their eigenvalue is separated
// from the others, and every pair satisfying A v = lambda v.
TEST(AmtcSupport, SortedEigenAgreesWithEigenOnRandomSymmetricMatrices)
{
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    for (int trial = 0; trial < 1000; ++trial) {
        // Every tenth matrix is a covariance-like one with a wide range of scales.
        const float scale = trial % 10 == 0 ? 1000.0f : 1.0f;
        float m[16];
        for (int i = 0; i < 4; ++i)
            for (int j = i; j < 4; ++j)
                m[4 * i + j] = m[4 * j + i] = uniform(rng) * (i == j ? scale : 1.0f);
        float values[4], vectors[16];
        SortedEigen(m, 4, values, vectors);

        Eigen::Matrix4d a;
        for (int i = 0; i < 16; ++i)
            a(i / 4, i % 4) = m[i];
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix4d> solver(a);
        const Eigen::Vector4d expected = solver.eigenvalues().reverse(); // descending
        const double radius = expected.cwiseAbs().maxCoeff();
        for (int k = 0; k < 4; ++k) {
            ASSERT_NEAR(values[k], expected[k], 1e-4 * radius) << "trial " << trial << " eigenvalue " << k;
            Eigen::Vector4d v(vectors[k], vectors[4 + k], vectors[8 + k], vectors[12 + k]);
            EXPECT_NEAR(v.norm(), 1.0, 1e-4);
            EXPECT_LT((a * v - expected[k] * v).norm(), 1e-4 * radius) << "trial " << trial;
            const double gap = std::min(k > 0 ? expected[k - 1] - expected[k] : radius,
                                        k < 3 ? expected[k] - expected[k + 1] : radius);
            if (gap > 1e-2 * radius) {
                const Eigen::Vector4d reference = solver.eigenvectors().col(3 - k);
                EXPECT_GT(std::fabs(v.dot(reference)), 1.0 - 1e-3) << "trial " << trial << " eigenvector " << k;
            }
        }
    }
}

TEST(AmtcSupport, PrincipalAxesOfALineOfColoursIsItsDirection)
{
    double sums[10] = {};
    float mean[4] = {};
    const u8 line[3][4] = {{10, 20, 30, 255}, {20, 40, 60, 255}, {30, 60, 90, 255}};
    for (const auto& p : line) {
        AccumulatePixelCovariance(sums, 1.0f / 3.0f, false, p);
        for (int i = 0; i < 4; ++i)
            mean[i] += p[i] / 3.0f;
    }
    float values[4], axes[16];
    PrincipalAxes(sums, mean, values, axes);
    const float norm = std::sqrt(1.0f + 4.0f + 9.0f);
    EXPECT_NEAR(std::fabs(axes[0]), 1.0f / norm, 1e-4f);
    EXPECT_NEAR(std::fabs(axes[1]), 2.0f / norm, 1e-4f);
    EXPECT_NEAR(std::fabs(axes[2]), 3.0f / norm, 1e-4f);
    EXPECT_NEAR(axes[3], 0.0f, 1e-4f);
    EXPECT_NEAR(values[1], 0.0f, 1e-2f);
}

TEST(AmtcSupport, ClampToBoxLeavesInsideColoursAndProjectsOutsideOnes)
{
    // An axis-aligned box around (100, 100, 100, 255) and a box whose first axis runs along red
    // plus green.
    SColourBox aligned;
    const float centre[4] = {100, 100, 100, 255};
    InitIdentityBox(aligned, centre);
    const u8 corner[4] = {120, 90, 100, 255};
    ExtendBoxByPixel(aligned, corner);
    const float h = std::sqrt(0.5f);
    const float rotation[16] = {h, h, 0, 0, -h, h, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    SColourBox diagonal;
    InitColourBox(diagonal, rotation);
    const u8 ends[2][4] = {{0, 0, 50, 255}, {100, 100, 50, 255}};
    ExtendBoxByPixel(diagonal, ends[0]);
    ExtendBoxByPixel(diagonal, ends[1]);
    struct {
        const char* what;
        const SColourBox& box;
        float in[4], out[4];
    } cases[] = {
        {"inside stays bit for bit", aligned, {110.3f, 95.1f, 100, 255}, {110.3f, 95.1f, 100, 255}},
        {"red above the box", aligned, {130, 95, 100, 255}, {120, 95, 100, 255}},
        {"two axes below", aligned, {90, 80, 100, 255}, {100, 90, 100, 255}},
        {"on the diagonal segment", diagonal, {30, 30, 50, 255}, {30, 30, 50, 255}},
        {"off the segment comes back onto it", diagonal, {60, 40, 50, 255}, {50, 50, 50, 255}},
        {"past its end", diagonal, {150, 150, 50, 255}, {100, 100, 50, 255}},
    };
    for (auto& c : cases) {
        ClampToBox(c.box, c.in);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(c.in[i], c.out[i], 1e-3f) << c.what << " channel " << i;
    }
    EXPECT_FLOAT_EQ(BoxExtentSum(aligned), 30.0f);
}

TEST(AmtcSupport, LerpClampsOnlyOutsideTheSegment)
{
    const u8 a[4] = {0, 100, 200, 255}, b[4] = {255, 100, 0, 0};
    float out[4];
    LerpColourClamped(out, 0.5f, a, b);
    EXPECT_FLOAT_EQ(out[0], 127.5f);
    LerpColourClamped(out, 1.25f, a, b);
    EXPECT_FLOAT_EQ(out[0], 255.0f); // 318.75 clamped
    EXPECT_FLOAT_EQ(out[2], 0.0f);   // -50 clamped
    EXPECT_FLOAT_EQ(out[1], 100.0f);
}

// Every entry of the seven tables: its endpoints are values of the table's bit depths, its error
// follows the rule, and no pair of those values has a smaller error.
TEST(AmtcSupport, EverySingleColourTableEntryIsALeastErrorPair)
{
    for (int which = 0; which < kSingleColourTables; ++which) {
        const auto table = ESingleColourTable(which);
        u8 as[32], bs[32];
        const int na = SingleColourValues(table, false, as), nb = SingleColourValues(table, true, bs);
        const SSingleColourTable& entries = SingleColourTable(table);
        for (int t = 0; t < 256; ++t)
            for (int o = 0; o < 8; ++o) {
                const SSingleColourOption e = entries[t][o];
                const int w = kSingleColourWeights[o];
                auto error = [&](int a, int b) {
                    const int d = (a * (8 - w) + b * w) / 8 - t;
                    return std::min(d * d, 255);
                };
                ASSERT_NE(std::find(as, as + na, e.a), as + na) << which << " " << t << " " << o;
                ASSERT_NE(std::find(bs, bs + nb, e.b), bs + nb) << which << " " << t << " " << o;
                ASSERT_EQ(e.error, error(e.a, e.b)) << which << " " << t << " " << o;
                for (int i = 0; i < na; ++i)
                    for (int j = 0; j < nb; ++j)
                        ASSERT_GE(error(as[i], bs[j]), e.error) << which << " " << t << " " << o;
            }
    }
}

TEST(AmtcSupport, ChooseSingleColourFitPicksTheOptionByItsErrors)
{
    // Red carries the errors of the eight options; the other channels are exact. Option o's
    // endpoints are (o, 10 + o) so the choice can be read back.
    struct {
        const char* what;
        u8 errors[8];
        bool mode, variant;
        u32 value;
        int option;
    } cases[] = {
        {"B alone unless A alone is better", {5, 9, 9, 9, 5, 9, 9, 9}, false, false, 3, 4},
        {"A alone when better than B", {4, 9, 9, 9, 5, 9, 9, 9}, false, false, 0, 0},
        {"weight 3 beats both ends", {4, 1, 9, 2, 5, 9, 9, 9}, false, false, 1, 1},
        {"weight 5 on a tie with weight 3", {4, 2, 9, 2, 5, 9, 9, 9}, false, false, 2, 3},
        {"variant looks at options 5 and 7", {4, 1, 9, 1, 5, 9, 9, 0}, false, true, 2, 7},
        {"mode: the midpoint", {4, 1, 0, 1, 5, 9, 9, 9}, true, false, 1, 2},
        {"mode with variant: option 6", {4, 9, 0, 9, 5, 9, 3, 9}, true, true, 1, 6},
        {"mode: midpoint not better", {4, 9, 4, 9, 5, 9, 9, 9}, true, false, 0, 0},
    };
    for (auto& c : cases) {
        SSingleColourOption red[8], exact[8];
        for (int o = 0; o < 8; ++o)
            red[o] = {c.errors[o], u8(o), u8(10 + o)}, exact[o] = {0, 200, 200};
        u8 a[4], b[4];
        EXPECT_EQ(ChooseSingleColourFit(red, exact, exact, exact, c.mode, c.variant, a, b), c.value) << c.what;
        EXPECT_EQ(a[0], c.option) << c.what;
        EXPECT_EQ(b[0], 10 + c.option) << c.what;
    }
}

TEST(AmtcSupport, SingleColourFitKeepsTheLayoutOfTheTarget)
{
    u8 a[4], b[4];
    u32 flags[4];
    const u8 opaque[4] = {200, 100, 50, 250};
    SingleColourFit(opaque, false, false, false, a, b, flags);
    EXPECT_EQ(a[3], 255);
    EXPECT_EQ(b[3], 255);
    EXPECT_EQ(std::vector<u32>(flags, flags + 4), (std::vector<u32>{1, 1, 0, 1}));

    const u8 translucent[4] = {200, 100, 50, 100};
    SingleColourFit(translucent, false, true, false, a, b, flags); // XQFTC-II: A even, B odd alpha
    EXPECT_EQ(a[3] % 34, 0);
    EXPECT_EQ(b[3] % 34, 17);
    EXPECT_EQ(flags[3], 0u);

    // Nearly opaque without XQFTC-II: B becomes opaque, the fit is redone and nothing may be swapped.
    const u8 almost[4] = {200, 100, 50, 247};
    SingleColourFit(almost, false, false, false, a, b, flags);
    EXPECT_EQ(b[3], 255);
    EXPECT_EQ(std::vector<u32>(flags, flags + 4), (std::vector<u32>{0, 0, 0, 0}));
}

TEST(AmtcSupport, QuantisersRoundAsTheColourWordHolds)
{
    EXPECT_EQ(QuantiseChannel(128.0f, 5, false), 132); // 123 is 5 away, 132 only 4
    EXPECT_EQ(QuantiseChannel(255.0f, 5, false), 255);
    EXPECT_EQ(QuantiseChannel(0.0f, 5, false), 0);
    EXPECT_EQ(QuantiseChannel(-40.0f, 3, true), 0);
    EXPECT_EQ(QuantiseChannel(900.0f, 4, false), 255);
    EXPECT_EQ(QuantiseChannelInt(128, 5, false), 132);
    // A tie between 123 and 132 at 127.5: the flag decides.
    EXPECT_EQ(QuantiseChannel(127.5f, 5, false), 123);
    EXPECT_EQ(QuantiseChannel(127.5f, 5, true), 132);
    EXPECT_EQ(QuantiseAlpha(240.0f, 0), 238);
    EXPECT_EQ(QuantiseAlpha(250.0f, 0), 255);
    EXPECT_EQ(QuantiseAlpha(20.0f, 1), 17);
    EXPECT_EQ(QuantiseAlpha(-3.0f, 1), 17); // the least alpha with the low bit set
    EXPECT_EQ(QuantiseAlpha(-3.0f, 0), 0);

    SRgba a, b;
    const float nearlyOpaque[2][4] = {{10, 20, 30, 254}, {200, 210, 220, 253}};
    QuantisePair(false, false, nearlyOpaque[0], nearlyOpaque[1], a, b);
    EXPECT_EQ(a.c[3], 255);
    EXPECT_EQ(b.c[3], 255);
    // Far-apart colours far outside 0..255 land on the ends of the range.
    const float wild[2][4] = {{-500, -20, 300, 255}, {900, 128, -1, 255}};
    QuantisePair(true, false, wild[0], wild[1], a, b);
    EXPECT_EQ(a, (SRgba{{0, 0, 255, 255}}));
    EXPECT_EQ(b, (SRgba{{255, 132, 0, 255}}));
    // XQFTC-II translucent pairs: A's alpha even (at most 238), B's odd.
    const float glass[2][4] = {{10, 20, 30, 255}, {200, 210, 220, 120}};
    QuantisePair(true, false, glass[0], glass[1], a, b);
    EXPECT_EQ(a.c[3], 238);
    EXPECT_EQ(b.c[3] % 34, 17);
}

} // namespace
