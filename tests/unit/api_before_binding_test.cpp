// The plug-in's API layer used before it was bound to a host: a bug in the plug-in, which a
// debug build stops at once and a release build survives, each forwarder returning its
// failure value without calling into a table. And a host whose tables the plug-in was not
// bound to in full (the allocator-only binding of the unit tests): the missing tables are
// skipped the same way.
#include "plugin/hostapi/PluginApi.h"
#include "plugin/hostapi/SplineObject.h"
#include "plugin/hostapi/host_binding.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

namespace {

// Stands for a host handle; nothing may read it when no table is there.
alignas(16) unsigned char g_handle[64];

template <typename T> T* FakeHandle() {
    return reinterpret_cast<T*>(g_handle);
}

/// Unbinds the API layer for one test and restores the binding afterwards.
class Unbound : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = vt::g_host;
        vt::UnbindHost();
    }
    void TearDown() override { vt::g_host = previous_; }

  private:
    HostApi* previous_ = nullptr;
};

TEST_F(Unbound, ForwardersAssertInADebugBuildAndReturnTheirFailureValueInRelease) {
    EXPECT_DEBUG_DEATH(EXPECT_EQ(BaseObject::Alloc(5100), nullptr), "before the plug-in was bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(FakeHandle<BaseContainer>()->GetLong(7, 42), 42), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(FakeHandle<BaseContainer>()->GetReal(7, 2.5), 2.5), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(FakeHandle<C4DAtom>()->GetType(), 0), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(FakeHandle<GeListNode>()->GetDown(), nullptr), "bound");
    EXPECT_DEBUG_DEATH(
        {
            GeData out(5);
            EXPECT_FALSE(FakeHandle<C4DAtom>()->GetParameter(DescID(7), out, 0));
            EXPECT_EQ(out.GetType(), GeData().GetType()) << "the output is emptied";
        },
        "bound");
    EXPECT_DEBUG_DEATH(
        {
            const LVector unchanged = FakeHandle<BaseObject>()->GetRelPos();
            EXPECT_EQ(unchanged.x, 0.0);
        },
        "bound");
    EXPECT_DEBUG_DEATH(FakeHandle<BaseDraw>()->DrawLine(LVector(), LVector(1, 0, 0), 0), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(GeClipMap::Alloc(), nullptr), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(GeRayCollider::Alloc(), nullptr), "bound");
    EXPECT_DEBUG_DEATH(EXPECT_EQ(SplineObject::From(FakeHandle<BaseObject>()), nullptr), "bound");
}

TEST(PartlyBound, TablesTheHostDidNotGiveAreSkippedWithTheFailureValue) {
    // Bound, so nothing asserts: only the system table is there.
    vantri_test::AllocatorBinding binding;
    BaseObject* object = FakeHandle<BaseObject>();
    EXPECT_EQ(BaseObject::Alloc(5100), nullptr);
    EXPECT_EQ(object->GetCache(), nullptr);
    EXPECT_EQ(object->GetDataInstance(), nullptr);
    EXPECT_FALSE(object->Message(1, nullptr));
    EXPECT_EQ(FakeHandle<BaseContainer>()->GetBool(3, TRUE), TRUE);
    EXPECT_EQ(AtomArray::Alloc(), nullptr);
    BaseObject* none = nullptr;
    BaseObject::Free(none);
    EXPECT_EQ(none, nullptr);
}

} // namespace
