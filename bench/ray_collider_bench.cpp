// Rays per second against a 20,000-triangle terrain (a bumpy plane of 100 x 100 quads):
// through the collider's hierarchy, and by a scan of every triangle, in the same run.
#include "host/geometry/Primitives.h"
#include "host/geometry/TriangleBvh.h"
#include "host/scene/Transform.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

using namespace vantri;

struct Terrain {
    TriangleBvh bvh;
    std::vector<VtVector> starts;
    Terrain() {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> unit(-1.0, 1.0);
        PlaneSettings plane;
        plane.width = plane.depth = 4000;
        plane.segments_x = plane.segments_z = 100;
        plane.heights = std::vector<double>(101 * 101);
        for (double& h : *plane.heights)
            h = 30.0 * unit(random);
        bvh.build(make_plane(plane));
        // Agents' terrain casts: 2.5 above the ground's mean height, straight down.
        for (int i = 0; i < 4096; ++i)
            starts.push_back(VtVector{1990 * unit(random), 32.5, 1990 * unit(random)});
    }
};

const Terrain& terrain() {
    static const Terrain t;
    return t;
}

void BM_RayThroughHierarchy(benchmark::State& state) {
    const Terrain& t = terrain();
    size_t i = 0;
    TriangleHit hit;
    for (auto _ : state) {
        const bool found = t.bvh.intersect(t.starts[i++ & 4095], {0, -1, 0}, 100, false, hit);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["triangles"] = static_cast<double>(t.bvh.triangle_count());
}
BENCHMARK(BM_RayThroughHierarchy);

void BM_RayScanningEveryTriangle(benchmark::State& state) {
    const Terrain& t = terrain();
    size_t i = 0;
    TriangleHit hit;
    for (auto _ : state) {
        const bool found =
            t.bvh.intersect_every_triangle(t.starts[i++ & 4095], {0, -1, 0}, 100, hit);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_RayScanningEveryTriangle);

} // namespace
