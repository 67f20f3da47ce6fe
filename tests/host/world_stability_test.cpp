// A flock of a hundred agents over a thousand frames: the records stay finite, and the
// simulation is deterministic, played or rendered.
#include "tests/support/WorldScene.h"

#include "host/eval/Player.h"

namespace {

using vantri_test::record_at;

class WorldFlock : public vantri_test::WorldScene {
  protected:
    // Builds the flock in a fresh document, plays or renders frames 0 to 1000 and returns the
    // records' values at the end.
    std::vector<vantri_test::RecordValues> run(vantri::PlayMode mode) {
        document = std::make_unique<vantri::Document>();
        world = add(vantri_test::kWorldType, "World");
        vantri::SceneObject* generator = add_generator("Flock", 10, 1, 10, world);
        set_real(generator, CROWDGEN_MAX_TURN, 0.17453292649980456);
        set_real(generator, CROWDGEN_JITTER, 0.3);
        set_real(generator, CROWDGEN_SPEED, 40.0);
        set_real(generator, CROWDGEN_SPEED_VARIATION, 0.5);
        set_real(generator, CROWDGEN_ACCELERATION, 5.0);
        set_real(generator, CROWDGEN_SIZE_X, 10.0);
        set_real(generator, CROWDGEN_SIZE_Z, 10.0);
        vantri::SceneObject* behaviour = add_behaviour("Flocking");
        set_int(behaviour, CROWDBEHAV_ALIGN, 1);
        set_int(behaviour, CROWDBEHAV_ALIGN_RADIUS, 150);
        set_int(behaviour, CROWDBEHAV_COHESION, 1);
        set_int(behaviour, CROWDBEHAV_COHESION_MIN, 20);
        set_int(behaviour, CROWDBEHAV_COHESION_DISTANCE, 80);
        set_int(behaviour, CROWDBEHAV_COHESION_MAX, 250);
        set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
        set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 60);
        set_real(behaviour, CROWDBEHAV_SEPARATION_WEIGHT, 2.0);
        set_list(generator, CROWDGEN_BEHAVIOURS, {behaviour});

        int32_t broken = 0;
        vantri::play_range(host, *document, 0, 1000, mode, [&](int32_t frame) {
            if (frame == 0) first_position = record_at(*agents(generator), 0).global_mg.off;
            const VtRecordArray& crew = *agents(generator);
            for (int32_t k = 0; k < crew.count; ++k)
                broken += vantri_test::finite(record_at(crew, k)) ? 0 : 1;
        });
        EXPECT_EQ(broken, 0) << "records with a field that is not finite";

        std::vector<vantri_test::RecordValues> values;
        VtRecordArray& array = *agents(generator);
        for (int32_t k = 0; k < array.count; ++k)
            values.push_back(vantri_test::values_of(record_at(array, k)));
        EXPECT_EQ(values.size(), 100u);
        start_to_end = record_at(array, 0).global_mg.off - first_position;
        return values;
    }

    VtVector first_position{};
    VtVector start_to_end{};
};

TEST_F(WorldFlock, AThousandFramesStayFiniteAndRepeatBitForBit) {
    const std::vector<vantri_test::RecordValues> played = run(vantri::PlayMode::Play);
    EXPECT_GT(vantri::length(start_to_end), 100.0) << "the flock moved";
    const std::vector<vantri_test::RecordValues> again = run(vantri::PlayMode::Play);
    EXPECT_TRUE(played == again) << "two runs of the same scene";
    const std::vector<vantri_test::RecordValues> rendered = run(vantri::PlayMode::Render);
    EXPECT_TRUE(played == rendered) << "rendering gives what playing gives";
}

} // namespace
