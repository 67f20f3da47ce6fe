// What the run plan relies on and the command's runs do not show: a failing frame ends the
// play there with the host put back, and the finite check refuses the first field that is no
// number, in any generator, before the writers after it see the frame.
#include "host/Host.h"
#include "host/eval/Player.h"
#include "host/scene/Document.h"
#include "results/RunWriters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using namespace vantri;

TEST(PlayFrames, TheFirstFailingFrameEndsThePlayAndTheHostIsPutBack) {
    Host host;
    Document document;
    for (const PlayMode mode : {PlayMode::Play, PlayMode::Render}) {
        host.set_animation_running(false);
        std::vector<int32_t> seen;
        const Status played = play_frames(
            host, document, 5, 20, mode,
            [&](int32_t frame) {
                seen.push_back(frame);
                EXPECT_EQ(host.animation_running(), mode == PlayMode::Play);
                return frame == 7 ? Status(failure("stop at 7")) : Status();
            },
            [](const ExecutionFailure&) { return Status(failure("no object fails here")); });
        ASSERT_FALSE(played);
        EXPECT_EQ(played.message(), "stop at 7");
        EXPECT_EQ(seen, (std::vector<int32_t>{5, 6, 7})) << "no frame after the failure";
        EXPECT_FALSE(host.animation_running()) << "the running state as it was";
    }
}

TEST(FiniteCheck, RefusesTheFirstFieldThatIsNoNumberInAnyGenerator) {
    SceneObject first(0), second(0);
    first.set_name("calm");
    second.set_name("wild");
    VtAgentRecord calm[2], wild[3];
    std::memset(calm, 0, sizeof calm);
    std::memset(wild, 0, sizeof wild);
    const VtMatrix identity{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    PlayedFrame frame;
    frame.frame = 42;
    frame.generators = {{&first, calm, 2, identity}, {&second, wild, 3, identity}};
    FiniteCheck check("s.json");
    EXPECT_TRUE(check.record(frame)) << "every field a number";

    wild[2].speed = std::numeric_limits<double>::quiet_NaN();
    wild[1].rotation.y = std::numeric_limits<double>::infinity();
    const Status refused = check.record(frame);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().fault, Fault::OutOfRange);
    EXPECT_EQ(refused.message().rfind("s.json: frame 42, generator 'wild', agent 1: pitch came "
                                      "out as inf, beyond the range of numbers",
                                      0),
              0u)
        << refused.message();

    // A generator's matrix that overflows a finite place counts too: the place is what
    // agents.csv would write.
    wild[1].rotation.y = 0;
    wild[2].speed = 0;
    frame.generators[0].matrix.off.x = std::numeric_limits<double>::max();
    calm[1].mg.off.x = std::numeric_limits<double>::max();
    const Status overflowed = check.record(frame);
    ASSERT_FALSE(overflowed);
    EXPECT_NE(overflowed.message().find("generator 'calm', agent 1: x came out as inf"),
              std::string::npos)
        << overflowed.message();
}

} // namespace
