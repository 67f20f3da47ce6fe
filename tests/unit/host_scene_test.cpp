// The stand-in host's own pieces: its allocator, the scene tree with its change marks and
// weak links, and values crossing the boundary.
#include "host/geometry/Mesh.h"
#include "host/memory/Allocator.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/Container.h"
#include "host/scene/Document.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using vantri::allocator;

TEST(HostAllocator, CountsBlocksAndRefusesTheChosenRequest) {
    const int64_t live = allocator().live();
    void* a = allocator().allocate(10);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(a)[9], 0) << "blocks are zero-filled";
    allocator().fail_nth(2);
    void* b = allocator().allocate(10);
    void* c = allocator().allocate(10);
    void* d = allocator().allocate(10);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(c, nullptr) << "the second request from the call is refused";
    EXPECT_NE(d, nullptr) << "only that one";
    EXPECT_TRUE(allocator().admit(0)) << "objects made for the plug-in count too";
    allocator().retire(0);
    allocator().release(a);
    allocator().release(b);
    allocator().release(d);
    EXPECT_EQ(allocator().live(), live);

    allocator().set_limit(static_cast<size_t>(allocator().live_bytes()) + 100);
    void* small = allocator().allocate(60);
    EXPECT_NE(small, nullptr);
    EXPECT_EQ(allocator().allocate(60), nullptr) << "past the limit";
    EXPECT_EQ(allocator().allocate(SIZE_MAX), nullptr) << "no overflow of the size";
    allocator().set_limit(0);
    allocator().release(small);
    EXPECT_EQ(allocator().live(), live);
}

// Values found by id through the container's table, in any order of setting and removing,
// with the entries kept in the order they were first set.
TEST(HostContainer, FindsEveryValueByIdAfterSetsAndRemovals) {
    vantri::Container container;
    std::vector<int32_t> order;
    std::mt19937 random(3);
    for (int i = 0; i < 300; ++i) {
        const int32_t id = static_cast<int32_t>(random() % 200) - 50;
        const bool present = container.find(id) != nullptr;
        if (i % 5 == 4 && present) {
            container.remove(id);
            order.erase(std::find(order.begin(), order.end(), id));
        } else {
            container.set(id, vantri::Value::of_int(i));
            if (!present) order.push_back(id);
        }
        ASSERT_EQ(container.entries().size(), order.size());
        for (size_t e = 0; e < order.size(); ++e) {
            ASSERT_EQ(container.entries()[e].first, order[e]) << "first-set order";
            const vantri::Value* value = container.find(order[e]);
            ASSERT_NE(value, nullptr) << "id " << order[e];
            EXPECT_EQ(value, &container.entries()[e].second);
        }
    }
    EXPECT_EQ(container.find(1000), nullptr);
    EXPECT_EQ(container.get_int(1000, 7), 7);
    // Ids spread too wide for a table are still found.
    container.set(1 << 30, vantri::Value::of_int(1));
    container.set(-(1 << 30), vantri::Value::of_int(2));
    EXPECT_EQ(container.get_int(1 << 30), 1);
    EXPECT_EQ(container.get_int(-(1 << 30)), 2);
    for (size_t e = 0; e < order.size(); ++e)
        EXPECT_NE(container.find(order[e]), nullptr) << "id " << order[e];
    container.clear();
    EXPECT_EQ(container.find(order.front()), nullptr);
    container.set(5, vantri::Value::of_real(2.5));
    EXPECT_EQ(container.get_real(5), 2.5);
}

TEST(HostScene, TreeChangesRaiseTheMarksGeneratorsCompare) {
    vantri::Document document;
    auto* generator = new vantri::SceneObject(vantri::kNullType);
    auto* child = new vantri::SceneObject(vantri::kNullType);
    auto* grandchild = new vantri::SceneObject(vantri::kNullType);
    document.insert(generator);
    document.insert(child, generator);
    document.insert(grandchild, child);
    EXPECT_EQ(child->document(), &document);
    EXPECT_EQ(generator->first_child(), child);

    const uint64_t before = child->subtree_dirty();
    grandchild->set_position(VtVector{1, 2, 3});
    EXPECT_GT(child->subtree_dirty(), before) << "a change deep below shows at the child";

    const uint64_t structure = generator->structure_dirty();
    delete grandchild;
    EXPECT_EQ(child->first_child(), nullptr);
    EXPECT_GT(child->structure_dirty(), structure) << "removing a child is a change too";

    // Weak links find their target only while it exists.
    const uint64_t serial = child->serial();
    EXPECT_EQ(vantri::Atom::find_serial(serial), child);
    delete child;
    EXPECT_EQ(vantri::Atom::find_serial(serial), nullptr);
    EXPECT_EQ(generator->first_child(), nullptr);
}

TEST(HostScene, GlobalMatricesComposeThroughParentsAndGeneratedOutput) {
    vantri::Document document;
    auto* parent = new vantri::SceneObject(vantri::kNullType);
    auto* child = new vantri::SceneObject(vantri::kNullType);
    document.insert(parent);
    document.insert(child, parent);
    parent->set_position(VtVector{10, 0, 0});
    parent->set_rotation(VtVector{1.5707963267948966, 0, 0}); // facing -X
    child->set_position(VtVector{0, 0, 5});
    const VtMatrix mg = child->global_matrix();
    EXPECT_NEAR(mg.off.x, 5.0, 1e-12);
    EXPECT_NEAR(mg.off.z, 0.0, 1e-12);

    // Output hangs under its generator without being its child.
    auto* output = new vantri::SceneObject(vantri::kNullType);
    parent->set_cache(output);
    EXPECT_EQ(output->cache_owner(), parent);
    EXPECT_EQ(output->document(), &document);
    EXPECT_TRUE(vantri::same_matrix(output->global_matrix(), parent->global_matrix()));
    parent->set_cache(nullptr); // frees the old output
}

TEST(HostScene, SetRotationIsReadBackExactlyAndMatricesKeepTheirBits) {
    vantri::SceneObject object(vantri::kNullType);
    const VtVector rotation{7.5, -0.25, 12.0}; // not reduced to any range
    object.set_rotation(rotation);
    EXPECT_EQ(object.rotation().x, 7.5);
    EXPECT_EQ(object.rotation().z, 12.0);
    const VtMatrix m{{1, 2, 3}, {0.1, 0.2, 0.3}, {0, 1, 0}, {0.3, 0, -0.1}};
    object.set_local_matrix(m);
    EXPECT_TRUE(vantri::same_matrix(object.local_matrix(), m));
    EXPECT_EQ(object.position().y, 2.0);
}

// Objects without geometry keep no room for it; copying a transform must still carry the
// geometry over, and take it away when the source has none.
TEST(HostScene, CopiedTransformsCarryGeometryBoundsAndPosition) {
    vantri::SceneObject bare(vantri::kNullType);
    EXPECT_EQ(bare.mesh(), nullptr);
    EXPECT_EQ(bare.spline(), nullptr);
    EXPECT_EQ(bare.geometry_mark(), 0u);
    EXPECT_EQ(bare.ray_hierarchy(false), nullptr);
    EXPECT_EQ(bare.radius().x, 0.0);
    bare.set_position(VtVector{4, 5, 6});
    EXPECT_EQ(bare.local_matrix().off.z, 6.0) << "the position is the matrix's offset";

    vantri::SceneObject box(vantri::kNullType);
    box.set_radius(VtVector{1, 2, 3});
    EXPECT_EQ(box.radius().y, 2.0);
    auto mesh =
        std::make_shared<const vantri::Mesh>(std::vector<VtVector>{{0, 0, 0}, {2, 0, 0}, {0, 0, 4}},
                                             std::vector<vantri::MeshFace>{{0, 1, 2, 2}});
    box.set_mesh(mesh);
    const uint64_t mark = box.geometry_mark();
    EXPECT_GT(mark, 0u);
    ASSERT_NE(box.ray_hierarchy(false), nullptr);
    EXPECT_EQ(box.radius().x, 1.0) << "a mesh's bounds win over the radius set";

    vantri::SceneObject copy(vantri::kNullType);
    copy.copy_transform_from(box);
    EXPECT_EQ(copy.mesh(), mesh);
    EXPECT_EQ(copy.geometry_mark(), mark);
    EXPECT_EQ(copy.ray_hierarchy(false), box.ray_hierarchy(false)) << "the hierarchy is shared";
    EXPECT_EQ(copy.hierarchy_builds(), 0u);
    EXPECT_EQ(copy.local_matrix().off.x, 0.0);

    copy.copy_transform_from(bare);
    EXPECT_EQ(copy.mesh(), nullptr) << "a source without geometry takes it away";
    EXPECT_EQ(copy.geometry_mark(), 0u);
    EXPECT_EQ(copy.radius().z, 0.0);
    EXPECT_EQ(copy.position().y, 5.0);
}

TEST(HostScene, ValuesCrossTheBoundaryByCopy) {
    vantri::Container container;
    VtData in{};
    in.type = VT_DTYPE_STRING;
    std::string text = "Agents";
    in.value.string = text.c_str();
    vantri::Value value;
    ASSERT_TRUE(vantri::Value::from_abi(in, value));
    container.set(5, value);
    text[0] = 'X';
    EXPECT_EQ(container.find(5)->text, "Agents");

    container.set(1, vantri::Value::of_real(-2.75));
    container.set(2, vantri::Value::of_int(3));
    EXPECT_EQ(container.get_int(1), -2) << "truncated toward zero";
    EXPECT_EQ(container.get_real(2), 3.0);
    EXPECT_TRUE(container.get_bool(1));
    EXPECT_EQ(container.get_int(99, 7), 7);
    container.set(3, vantri::Value::of_real(1e300));
    EXPECT_EQ(container.get_int(3), 2147483647) << "saturates instead of overflowing";
    container.set(4, vantri::Value::of_real(std::nan("")));
    EXPECT_EQ(container.get_int(4), 0);

    VtData unknown{};
    unknown.type = 424242;
    EXPECT_FALSE(vantri::Value::from_abi(unknown, value)) << "a custom type without data";
}

} // namespace
