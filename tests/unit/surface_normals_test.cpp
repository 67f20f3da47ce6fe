// Normals carried between spaces, and the head-on turn of a steering.
#include "plugin/geometry/SurfaceNormals.h"
#include "plugin/geometry/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

LVector Axes(const LMatrix& m, const LVector& d) {
    return m.v1 * d.x + m.v2 * d.y + m.v3 * d.z;
}

// Over random matrices: a carried normal stays square to the carried surface (any tangent of
// it carried by the axes), and under a rotation with a uniform scale, mirrored or not, it is
// exactly what the axes give.
TEST(SurfaceNormals, ACarriedNormalStaysSquareToTheCarriedSurface) {
    std::mt19937 random(31);
    std::uniform_real_distribution<double> any(-1.0, 1.0), scale(0.2, 5.0);
    for (int i = 0; i < 2000; ++i) {
        const LVector n = !LVector(any(random), any(random), any(random));
        const LVector t1 = !(n % LVector(any(random), any(random), any(random)));
        const LVector t2 = n % t1;
        LMatrix m(LVector(any(random), any(random), any(random)),
                  LVector(any(random), any(random), any(random)),
                  LVector(any(random), any(random), any(random)),
                  LVector(any(random), any(random), any(random)));
        const LVector carried = !CarryNormal(m, n);
        EXPECT_NEAR(carried * !Axes(m, t1), 0.0, 1e-7) << i;
        EXPECT_NEAR(carried * !Axes(m, t2), 0.0, 1e-7) << i;
        // A surface keeps its outside: the normal stays on the side it pointed to.
        EXPECT_GT(carried * Axes(m, n), 0.0) << i;

        // A rotation (from the axes, made orthonormal) with a uniform scale, maybe mirrored.
        const LVector a = !m.v1;
        const LVector b = !(m.v2 - a * (a * m.v2));
        const double s = scale(random) * (i % 3 == 0 ? -1.0 : 1.0);
        const LMatrix uniform(m.off, a * s, b * s, (a % b) * (i % 2 == 0 ? s : -s));
        EXPECT_TRUE(ScalesUniformly(uniform)) << i;
        const LVector plain = Axes(uniform, n);
        const LVector kept = CarryNormal(uniform, n);
        EXPECT_TRUE(kept.x == plain.x && kept.y == plain.y && kept.z == plain.z) << i;
    }
}

TEST(SurfaceNormals, OnlyASteeringStraightAlongTheHeadingIsTurnedToTheRight) {
    const LVector ahead(0, 0, 1);
    const LVector back(0, 0, -2);
    const LVector turned = TurnHeadOn(back, ahead, 0.1);
    EXPECT_GT(turned.x, 0.0) << "the right of +Z is +X";
    EXPECT_NEAR(Len(turned), 2.0, 1e-12);
    EXPECT_NEAR(std::acos((turned * back) / 4.0), 0.1, 1e-9);
    const LVector west = TurnHeadOn(LVector(3, 0, 0), LVector(-1, 0, 0), 0.1);
    EXPECT_GT(west.z, 0.0) << "the right of -X is +Z";
    const LVector aslant(1e-3, 0, -1);
    const LVector kept = TurnHeadOn(aslant, ahead, 0.1);
    EXPECT_TRUE(kept.x == aslant.x && kept.y == aslant.y && kept.z == aslant.z);
    const LVector upright = TurnHeadOn(back, LVector(0, 1, 0), 0.1);
    EXPECT_TRUE(upright.x == back.x && upright.z == back.z) << "no level heading, no right";
}

} // namespace
