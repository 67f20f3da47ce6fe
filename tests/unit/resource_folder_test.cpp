// The plug-in's own res/ folder, loaded as the host loads it: every description holds the
// parameters the crowd code reads, with the ids the plug-in compiles against.
#include "abi/host_abi.h"
#include "host/resources/ImageFile.h"
#include "host/resources/ResourceFolder.h"

#include "parameter_ids/ocrowdBlend.h"
#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "parameter_ids/ocrowdobstacle.h"
#include "parameter_ids/ocrowdworld.h"

#include <gtest/gtest.h>

#include <set>

using namespace vantri;

namespace {

const std::string kRes = std::string(VANTRI_SOURCE_DIR) + "/plugin/res";

/// One parameter as the plug-in expects it: the id it reads, the id its header gives, and
/// the data type.
struct Expected {
    int32_t id;
    int32_t header_value;
    const char* symbol;
    int32_t dtype;
};

#define PARAM(id, symbol, dtype)                                                                   \
    Expected {                                                                                     \
        id, symbol, #symbol, dtype                                                                 \
    }

const int32_t LONG = VT_DTYPE_LONG, REAL = VT_DTYPE_REAL, BOOL = VT_DTYPE_BOOL,
              VECTOR = VT_DTYPE_VECTOR, LINK = VT_DTYPE_LINK, GROUP = VT_DTYPE_GROUP,
              INEXCLUDE = VT_CUSTOMDATA_INEXCLUDE, SPLINE = VT_CUSTOMDATA_SPLINE;

const Expected kGenerator[] = {
    PARAM(1001, CROWDGEN_COUNT_X, LONG),
    PARAM(1002, CROWDGEN_COUNT_Y, LONG),
    PARAM(1003, CROWDGEN_COUNT_Z, LONG),
    PARAM(1004, CROWDGEN_SPACING, VECTOR),
    PARAM(1006, CROWDGEN_MODE, LONG),
    PARAM(1010, CROWDGEN_FORWARD_AXIS, LONG),
    PARAM(1017, CROWDGEN_BEHAVIOURS, INEXCLUDE),
    PARAM(1018, CROWDGEN_FIXED_PITCH_BANK, LONG),
    PARAM(1019, CROWDGEN_VALUE_1019, REAL),
    PARAM(1020, CROWDGEN_JITTER, REAL),
    PARAM(1021, CROWDGEN_SEED, LONG),
    PARAM(1022, CROWDGEN_MAX_TURN, REAL),
    PARAM(1023, CROWDGEN_VALUE_1023, REAL),
    PARAM(1024, CROWDGEN_SPEED, REAL),
    PARAM(1025, CROWDGEN_SPEED_VARIATION, REAL),
    PARAM(1026, CROWDGEN_RANGE, REAL),
    PARAM(1027, CROWDGEN_CHOICE_1027, LONG),
    PARAM(1031, CROWDGEN_VALUE_1031, REAL),
    PARAM(1034, CROWDGEN_SIZE_X, REAL),
    PARAM(1035, CROWDGEN_SIZE_Y, REAL),
    PARAM(1036, CROWDGEN_SIZE_Z, REAL),
    PARAM(1037, CROWDGEN_OTHER_GROUPS, INEXCLUDE),
    PARAM(1039, CROWDGEN_SHOW_RANGE, LONG),
    PARAM(1040, CROWDGEN_SHOW_BODY, LONG),
    PARAM(1041, CROWDGEN_SHOW_INFO, LONG),
    PARAM(1042, CROWDGEN_ACCELERATION, REAL),
};

const Expected kWorld[] = {
    PARAM(1000, CROWDWORLD_TERRAIN, LINK),
    PARAM(1001, CROWDWORLD_OBSTACLES, INEXCLUDE),
};

const Expected kBehaviour[] = {
    PARAM(1001, CROWDBEHAV_STRENGTH, REAL),
    PARAM(1003, CROWDBEHAV_ALIGN, BOOL),
    PARAM(1004, CROWDBEHAV_ALIGN_WEIGHT, REAL),
    PARAM(1005, CROWDBEHAV_ALIGN_RADIUS, LONG),
    PARAM(1008, CROWDBEHAV_COHESION_WEIGHT, REAL),
    PARAM(1009, CROWDBEHAV_COHESION_MIN, LONG),
    PARAM(1010, CROWDBEHAV_COHESION_DISTANCE, LONG),
    PARAM(1011, CROWDBEHAV_COHESION_MAX, LONG),
    PARAM(1013, CROWDBEHAV_SEPARATION, BOOL),
    PARAM(1014, CROWDBEHAV_SEPARATION_WEIGHT, REAL),
    PARAM(1015, CROWDBEHAV_SEPARATION_RADIUS, LONG),
    PARAM(1017, CROWDBEHAV_FOLLOW, BOOL),
    PARAM(1018, CROWDBEHAV_FOLLOW_WEIGHT, REAL),
    PARAM(1019, CROWDBEHAV_FOLLOW_DISTANCE, REAL),
    PARAM(1020, CROWDBEHAV_FOLLOW_TARGET, LINK),
    PARAM(1022, CROWDBEHAV_COLLISION, BOOL),
    PARAM(1023, CROWDBEHAV_COLLISION_WEIGHT, REAL),
    PARAM(1025, CROWDBEHAV_AVOIDANCE, BOOL),
    PARAM(1026, CROWDBEHAV_AVOID_OTHERS, BOOL),
    PARAM(1028, CROWDBEHAV_AVOIDANCE_WEIGHT, REAL),
    PARAM(1031, CROWDBEHAV_KEEP_DIRECTION, BOOL),
    PARAM(1032, CROWDBEHAV_KEEP_DIRECTION_WEIGHT, REAL),
    PARAM(1033, CROWDBEHAV_REPEL_OTHERS, BOOL),
    PARAM(1034, CROWDBEHAV_ALIGN_REPEL_OTHERS, BOOL),
    PARAM(1035, CROWDBEHAV_COHESION, BOOL),
    PARAM(1037, CROWDBEHAV_SPLINE, BOOL),
    PARAM(1038, CROWDBEHAV_SPLINE_WEIGHT, REAL),
    PARAM(1039, CROWDBEHAV_SPLINE_RADIUS, REAL),
    PARAM(1040, CROWDBEHAV_SPLINE_OBJECT, LINK),
    PARAM(1041, CROWDBEHAV_SPLINE_PROFILE, SPLINE),
    PARAM(1042, CROWDBEHAV_SPLINE_END_STOP, BOOL),
};

const Expected kBlend[] = {
    PARAM(1000, CROWDBLEND_LIST, INEXCLUDE),
    PARAM(1001, CROWDBLEND_MODE, LONG),
    PARAM(1005, CROWDBLEND_STRENGTH, REAL),
    PARAM(1007, CROWDBLEND_INDEX, LONG),
};

const Expected kObstacle[] = {
    PARAM(1000, CROWDOBSTACLE_SHAPE, LONG),  PARAM(1006, CROWDOBSTACLE_GROUP_SPHERE, GROUP),
    PARAM(1007, CROWDOBSTACLE_RADIUS, REAL), PARAM(1008, CROWDOBSTACLE_GROUP_BOX, GROUP),
    PARAM(1009, CROWDOBSTACLE_SIZE_X, REAL), PARAM(1010, CROWDOBSTACLE_SIZE_Y, REAL),
    PARAM(1011, CROWDOBSTACLE_SIZE_Z, REAL), PARAM(1012, CROWDOBSTACLE_GROUP_OBJECT, GROUP),
    PARAM(1013, CROWDOBSTACLE_OBJECT, LINK),
};

#undef PARAM

class ResourceFolderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const vantri::Status loaded = load_resource_folder(kRes, set_);
        loaded_ = loaded.ok();
        error_ = loaded_ ? "" : loaded.message();
    }

    void SetUp() override { ASSERT_TRUE(loaded_) << error_; }

    static const DescriptionResource& description(const std::string& name) {
        static const DescriptionResource none;
        const auto found = set_.descriptions.find(name);
        EXPECT_NE(found, set_.descriptions.end()) << name;
        return found != set_.descriptions.end() ? found->second : none;
    }

    template <size_t N>
    static void expect_parameters(const std::string& name, const Expected (&table)[N]) {
        const DescriptionResource& d = description(name);
        for (const Expected& e : table) {
            SCOPED_TRACE(name + " " + e.symbol);
            EXPECT_EQ(e.header_value, e.id) << "the plug-in's header disagrees";
            const DescriptionParameter* p = d.find(e.id);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->symbol, e.symbol);
            EXPECT_EQ(p->dtype, e.dtype);
            EXPECT_EQ(d.find(e.symbol), p);
        }
    }

    static std::vector<int32_t> option_values(const DescriptionParameter* p) {
        std::vector<int32_t> values;
        if (p != nullptr)
            for (const CycleOption& option : p->cycle)
                values.push_back(option.value);
        return values;
    }

    static bool loaded_;
    static std::string error_;
    static ResourceSet set_;
};

bool ResourceFolderTest::loaded_ = false;
std::string ResourceFolderTest::error_;
ResourceSet ResourceFolderTest::set_;

TEST_F(ResourceFolderTest, HoldsTheFiveDescriptionsUnderTheirRegisteredNames) {
    std::set<std::string> names;
    for (const auto& [name, d] : set_.descriptions) {
        names.insert(name);
        EXPECT_EQ(d.name, name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"ocrowdBlend", "ocrowdbehav", "ocrowdgenerator",
                                            "ocrowdobstacle", "ocrowdworld"}));
    EXPECT_EQ(description("ocrowdgenerator").label, "Crowd Generator");
    EXPECT_EQ(description("ocrowdBlend").label, "Crowd Blend");
}

TEST_F(ResourceFolderTest, StringTableNamesEveryObjectType) {
    const std::map<int32_t, std::string> expected = {{1004, "Crowd Generator"},
                                                     {1007, "Crowd Behaviour"},
                                                     {1008, "Crowd Obstacle"},
                                                     {1009, "Crowd World"},
                                                     {1010, "Crowd Blend"}};
    EXPECT_EQ(set_.strings, expected);
}

TEST_F(ResourceFolderTest, GeneratorHoldsEveryParameterWithValidDefaults) {
    expect_parameters("ocrowdgenerator", kGenerator);
    const DescriptionResource& d = description("ocrowdgenerator");

    const DescriptionParameter* axis = d.find(CROWDGEN_FORWARD_AXIS);
    ASSERT_NE(axis, nullptr);
    ASSERT_EQ(axis->cycle.size(), 6u);
    const char* axes[] = {"CROWDGEN_AXIS_XPOS", "CROWDGEN_AXIS_XNEG", "CROWDGEN_AXIS_YPOS",
                          "CROWDGEN_AXIS_YNEG", "CROWDGEN_AXIS_ZPOS", "CROWDGEN_AXIS_ZNEG"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(axis->cycle[i].value, 1011 + i);
        EXPECT_EQ(axis->cycle[i].symbol, axes[i]);
    }

    // The defaults that Init writes must be options of their cycles.
    const auto has = [](const std::vector<int32_t>& values, int32_t v) {
        return std::find(values.begin(), values.end(), v) != values.end();
    };
    EXPECT_TRUE(has(option_values(d.find(CROWDGEN_MODE)), 1009));
    EXPECT_TRUE(has(option_values(d.find(CROWDGEN_CHOICE_1027)), 1028));
    EXPECT_TRUE(has(option_values(axis), 1015));
    EXPECT_EQ(d.find(CROWDGEN_MODE)->default_value.integer, 1009);
    EXPECT_EQ(d.find(CROWDGEN_CHOICE_1027)->default_value.integer, 1028);
    EXPECT_EQ(axis->default_value.integer, 1015);

    // Integer switches stay integers in the container; only the display differs.
    for (int32_t id : {1018, 1039, 1040, 1041}) {
        ASSERT_NE(d.find(id), nullptr) << id;
        EXPECT_TRUE(d.find(id)->is_switch) << id;
        EXPECT_EQ(d.find(id)->dtype, VT_DTYPE_LONG) << id;
    }
    EXPECT_EQ(d.find(CROWDGEN_MAX_TURN)->unit, "degree");
    EXPECT_EQ(d.find(CROWDGEN_BEHAVIOURS)->accepted_types,
              (std::vector<int32_t>{1027813, 1027814}));
    EXPECT_EQ(d.find(CROWDGEN_OTHER_GROUPS)->accepted_types, (std::vector<int32_t>{1027810}));
}

TEST_F(ResourceFolderTest, WorldLinksATerrainAndListsObstacles) {
    expect_parameters("ocrowdworld", kWorld);
    EXPECT_EQ(description("ocrowdworld").find(CROWDWORLD_OBSTACLES)->accepted_types,
              (std::vector<int32_t>{1027812}));
}

TEST_F(ResourceFolderTest, BehaviourHoldsEveryTermWithIntegerRadii) {
    expect_parameters("ocrowdbehav", kBehaviour);
}

TEST_F(ResourceFolderTest, BlendHasItsFourModesAndHidesTheIndex) {
    expect_parameters("ocrowdBlend", kBlend);
    const DescriptionResource& d = description("ocrowdBlend");
    EXPECT_EQ(option_values(d.find(CROWDBLEND_MODE)),
              (std::vector<int32_t>{1002, 1003, 1004, 1006}));
    EXPECT_EQ(d.find(CROWDBLEND_MODE)->cycle[3].symbol, "CROWDBLEND_MODE_SINGLE");
    EXPECT_TRUE(d.find(CROWDBLEND_INDEX)->hidden); // the default mode is not 1006
    EXPECT_FALSE(d.find(CROWDBLEND_STRENGTH)->hidden);
    EXPECT_EQ(d.find(CROWDBLEND_LIST)->accepted_types, (std::vector<int32_t>{1027813, 1027814}));
}

TEST_F(ResourceFolderTest, ObstacleGroupsHoldTheirShapesParameters) {
    expect_parameters("ocrowdobstacle", kObstacle);
    const DescriptionResource& d = description("ocrowdobstacle");
    const DescriptionParameter* shape = d.find(CROWDOBSTACLE_SHAPE);
    EXPECT_EQ(option_values(shape), (std::vector<int32_t>{1001, 1002, 1005}));
    EXPECT_EQ(shape->group, 0);

    const std::map<int32_t, std::vector<int32_t>> members = {
        {1006, {1007}}, {1008, {1009, 1010, 1011}}, {1012, {1013}}};
    for (const auto& [group, ids] : members) {
        for (int32_t id : ids)
            EXPECT_EQ(d.find(id)->group, group) << id;
    }
    // Matches the default shape, the box; the obstacle switches them as the shape changes.
    EXPECT_TRUE(d.find(CROWDOBSTACLE_GROUP_BOX)->open);
    EXPECT_FALSE(d.find(CROWDOBSTACLE_GROUP_BOX)->hidden);
    EXPECT_TRUE(d.find(CROWDOBSTACLE_GROUP_SPHERE)->hidden);
    EXPECT_TRUE(d.find(CROWDOBSTACLE_GROUP_OBJECT)->hidden);
}

TEST_F(ResourceFolderTest, EveryEntryIsLabelledAndFollowsItsGroup) {
    for (const auto& [name, d] : set_.descriptions) {
        EXPECT_FALSE(d.label.empty()) << name;
        std::set<int32_t> groups_so_far;
        for (const DescriptionParameter& p : d.parameters) {
            SCOPED_TRACE(name + " " + p.symbol);
            EXPECT_FALSE(p.label.empty());
            for (const CycleOption& option : p.cycle)
                EXPECT_FALSE(option.label.empty());
            if (p.group != 0) {
                EXPECT_EQ(groups_so_far.count(p.group), 1u);
            }
            if (p.dtype == VT_DTYPE_GROUP) groups_so_far.insert(p.id);
        }
    }
}

TEST(TiffImageTest, EveryIconDecodesToASolidShapeOnAClearGround) {
    std::set<std::vector<uint8_t>> distinct;
    for (const char* file : {"Crowdworld.tif", "Crowdgenerator.tif", "CrowdBehav.tif",
                             "Crowdobstacle.tif", "CrowdBlend.tif"}) {
        SCOPED_TRACE(file);
        Image image;
        const vantri::Status loaded = load_tiff(kRes + "/" + file, image);
        ASSERT_TRUE(loaded) << loaded.message();
        EXPECT_EQ(image.width, 32);
        EXPECT_EQ(image.height, 32);
        ASSERT_EQ(image.rgba.size(), 32u * 32u * 4u);
        int solid = 0, clear = 0;
        for (size_t i = 3; i < image.rgba.size(); i += 4) {
            solid += image.rgba[i] >= 128;
            clear += image.rgba[i] == 0;
        }
        EXPECT_GT(solid, 100);
        EXPECT_GT(clear, 0) << "an icon keeps a transparent margin";
        EXPECT_TRUE(distinct.insert(image.rgba).second) << "two icons are the same picture";
    }
}

} // namespace
