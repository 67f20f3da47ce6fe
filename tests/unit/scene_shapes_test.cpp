// How pictures show the host's own objects: polygons of planes and cubes where the objects
// stand, splines as chains of lines, nulls as crosses, a generator's output as its
// instances' sources in the generator's colour (its input children not drawn), and a shape
// library that new object types extend.
#include "host/geometry/Primitives.h"
#include "host/geometry/SplinePath.h"
#include "host/plugin/ObjectTypes.h"
#include "host/render/SceneShapes.h"
#include "host/scene/Document.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using vantri::Document;
using vantri::RenderLine;
using vantri::RenderList;
using vantri::SceneObject;

std::vector<RenderLine> lines_of(const RenderList& list) {
    std::vector<RenderLine> lines;
    for (const vantri::RenderOverlay& overlay : list.overlays) {
        if (const auto* line = std::get_if<RenderLine>(&overlay)) lines.push_back(*line);
    }
    return lines;
}

bool near(const VtVector& a, const VtVector& b) {
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
}

SceneObject* add(Document& document, int32_t type, SceneObject* parent = nullptr) {
    auto* object = new SceneObject(type);
    document.insert(object, parent);
    return object;
}

TEST(SceneShapes, PolygonsStandWhereTheirObjectStands) {
    Document document;
    SceneObject* plane = add(document, vantri::kPlaneType);
    vantri::PlaneSettings settings;
    settings.width = 200;
    settings.depth = 100;
    settings.segments_x = 2;
    plane->set_mesh(std::make_shared<vantri::Mesh>(vantri::make_plane(settings)));
    plane->set_position({1000, 5, 0});
    RenderList list;
    vantri::add_scene_shapes(document, vantri::ShapeLibrary::standard(), list);
    ASSERT_EQ(list.faces.size(), 2u);
    VtVector low{}, high{};
    ASSERT_TRUE(vantri::bounds_of(list, low, high));
    EXPECT_TRUE(near(low, {900, 5, -50}));
    EXPECT_TRUE(near(high, {1100, 5, 50}));

    // A cube made without polygons shows its bounding box.
    SceneObject* cube = add(document, vantri::kCubeType);
    cube->set_radius({10, 20, 30});
    list = RenderList{};
    vantri::add_scene_shapes(document, vantri::ShapeLibrary::standard(), list);
    EXPECT_EQ(list.faces.size(), 2u + 6u);
}

TEST(SceneShapes, SplinesAreChainsOfLinesThroughTheirCurve) {
    Document document;
    SceneObject* square = add(document, vantri::kSplineType);
    square->set_spline(std::make_shared<vantri::SplinePath>(
        std::vector<VtVector>{{0, 0, 0}, {100, 0, 0}, {100, 0, 100}, {0, 0, 100}}, true,
        vantri::SplineInterpolation::Linear));
    RenderList list;
    vantri::add_scene_shapes(document, vantri::ShapeLibrary::standard(), list);
    auto lines = lines_of(list);
    ASSERT_EQ(lines.size(), 4u) << "four straight spans, the last closing the loop";
    EXPECT_TRUE(near(lines[3].to, {0, 0, 0}));

    square->set_spline(std::make_shared<vantri::SplinePath>(
        std::vector<VtVector>{{0, 0, 0}, {100, 0, 50}, {200, 0, 0}}, false,
        vantri::SplineInterpolation::Cubic));
    list = RenderList{};
    vantri::add_scene_shapes(document, vantri::ShapeLibrary::standard(), list);
    lines = lines_of(list);
    ASSERT_EQ(lines.size(), 2u * 16u) << "two smooth spans in steps";
    EXPECT_TRUE(near(lines.front().from, {0, 0, 0}));
    EXPECT_TRUE(near(lines[15].to, {100, 0, 50}));
    EXPECT_TRUE(near(lines.back().to, {200, 0, 0}));
}

TEST(SceneShapes, AGeneratorShowsItsOutputAndNotItsInput) {
    Document document;
    SceneObject* generator = add(document, vantri::kNullType);
    generator->set_position({0, 0, 500});
    SceneObject* source = add(document, vantri::kCubeType, generator);
    source->set_radius({5, 5, 5});
    SceneObject* child = add(document, vantri::kCubeType, source); // the source's child
    child->set_position({0, 50, 0});
    child->set_radius({5, 5, 5});

    auto* output = new SceneObject(vantri::kNullType);
    for (double x : {-100.0, 100.0}) {
        auto* instance = new SceneObject(vantri::kInstanceType);
        instance->data().set(vantri::kInstanceLink, vantri::Value::of_link(source));
        instance->set_position({x, 0, 0});
        instance->insert_under_last(output);
    }
    // An instance of itself: followed only so deep, then dropped.
    auto* loop = new SceneObject(vantri::kInstanceType);
    loop->data().set(vantri::kInstanceLink, vantri::Value::of_link(loop));
    loop->insert_under_last(output);
    generator->set_cache(output);

    RenderList list;
    vantri::add_scene_shapes(document, vantri::ShapeLibrary::standard(), list);
    // Two instances, each the source and its child: four cubes of six faces; the generator's
    // own null, its input and the output's null draw nothing.
    ASSERT_EQ(list.faces.size(), 4u * 6u);
    EXPECT_TRUE(lines_of(list).empty());
    for (const vantri::RenderFace& face : list.faces)
        EXPECT_TRUE(face.colour == vantri::generator_colour(0));
    VtVector low{}, high{};
    ASSERT_TRUE(vantri::bounds_of(list, low, high));
    EXPECT_TRUE(near(low, {-105, -5, 495}));
    EXPECT_TRUE(near(high, {105, 55, 505}));
}

TEST(SceneShapes, NewObjectTypesAddTheirOwnShape) {
    Document document;
    SceneObject* marker = add(document, 424242);
    marker->set_position({7, 0, 0});
    add(document, vantri::kNullType);
    vantri::ShapeLibrary library = vantri::ShapeLibrary::standard();
    RenderList list;
    vantri::add_scene_shapes(document, library, list);
    EXPECT_EQ(lines_of(list).size(), 3u) << "only the null's cross: the marker has no shape";

    library.add(424242, [](const SceneObject&, vantri::ShapeSink& sink) {
        sink.line({0, 0, 0}, {0, 10, 0});
    });
    list = RenderList{};
    vantri::add_scene_shapes(document, library, list);
    const auto lines = lines_of(list);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(near(lines[0].from, {7, 0, 0}));
    EXPECT_TRUE(near(lines[0].to, {7, 10, 0}));
}

} // namespace
