// The host's service tables called while no Host exists: a bug of whoever holds the tables,
// which a debug build stops at once and a release build survives, each service returning
// its failure value.
#include "host/Host.h"
#include "host/services/Services.h"

#include <gtest/gtest.h>

namespace {

VtDateTime date_given_without_a_host() {
    VtDateTime now{2020, 2, 2, 2, 2, 2};
    vantri::system_table()->date_time_now(&now);
    return now;
}

TEST(ServicesWithoutAHost, AssertInADebugBuildAndReturnTheirFailureValueInRelease) {
    ASSERT_EQ(vantri::Host::current_or_null(), nullptr) << "a test left its host behind";
    const char* why = "no host exists";
    EXPECT_DEBUG_DEATH(EXPECT_EQ(vantri::object_table()->alloc(5100), nullptr), why);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(vantri::object_table()->check_is_running(0), 0), why);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(vantri::resource_table()->load("/nowhere"), nullptr), why);
    EXPECT_DEBUG_DEATH(vantri::system_table()->print("lost"), why);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(date_given_without_a_host().year, 0), why)
        << "a zero date, not a stale one";
    VtObjectRegistration registration{};
    registration.size = sizeof registration;
    EXPECT_DEBUG_DEATH(EXPECT_EQ(vantri::plugin_table()->register_object(&registration), 0), why);
}

} // namespace
