// The module's entry point as the host drives it: actions, messages, the initialisation
// count, start-up, registration and the crash hook.
#include "tests/support/PluginFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

namespace {

using vantri_test::LoadedModule;

const char* folder_of(const vantri::PluginModule& module) {
    return module.folder().c_str();
}

TEST_F(LoadedModule, InitialiseIsCountedAndOnlyTheLastEndEnds) {
    ASSERT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    // A second initialise neither binds again nor replaces the path: a host record that is
    // too old and a wrong folder are both ignored.
    HostApi old = *host.api();
    old.version = 11000;
    EXPECT_EQ(module.initialise(&old, "/nonexistent"), 1);
    EXPECT_EQ(module.message(1, nullptr), 1) << "resources still load from the first path";
    EXPECT_EQ(host.loaded_resource_count(), 1u);

    EXPECT_EQ(module.end(), 1);
    EXPECT_EQ(host.loaded_resource_count(), 1u) << "the first end only counts down";
    EXPECT_EQ(module.message(1, nullptr), 1);

    EXPECT_EQ(module.end(), 1);
    EXPECT_EQ(host.loaded_resource_count(), 0u) << "the last end frees the resources";
    EXPECT_EQ(module.message(1, nullptr), -1) << "the path is gone after the last end";
}

TEST_F(LoadedModule, RefusesAnOldHostOrAMissingPath) {
    HostApi old = *host.api();
    old.version = 11999;
    EXPECT_EQ(module.initialise(&old, folder_of(module)), -3);
    module.close();

    const vantri::Status opened = module.open(vantri_test::module_path());
    ASSERT_TRUE(opened) << opened.message();
    EXPECT_EQ(module.initialise(host.api(), nullptr), -3) << "a fresh module after unloading";
    // The count stays raised after a refusal, so the next initialise does nothing but count.
    EXPECT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    EXPECT_EQ(module.message(1, nullptr), -1) << "nothing was stored by the refused call";
}

TEST_F(LoadedModule, ActionsAndMessagesAnswerAsDocumented) {
    ASSERT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    EXPECT_EQ(module.call(4, nullptr, nullptr, nullptr), 5);
    for (int32_t action : {0, 5, 7, 8, 100, -1}) {
        EXPECT_EQ(module.call(action, nullptr, nullptr, nullptr), -1) << "action " << action;
    }
    EXPECT_EQ(module.message(0, nullptr), 1);
    EXPECT_EQ(module.message(1001, nullptr), 1);
    EXPECT_EQ(module.message(2, nullptr), -1);
    EXPECT_EQ(module.message(1003, nullptr), -1);
    EXPECT_EQ(module.message(1, nullptr), 1);
    EXPECT_EQ(module.end(), 1);
}

TEST_F(LoadedModule, CommandLineLosesOnlyItsOwnArguments) {
    ASSERT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    char sdk[] = "-SDK", help[] = "-help", long_help[] = "--help", crash[] = "-plugincrash",
         other[] = "scene.c4d";
    char* argv[] = {sdk, nullptr, help, long_help, crash, other, nullptr};
    VtCommandLine line{7, argv};
    EXPECT_EQ(module.message(1002, &line), -1) << "the message always answers false";
    EXPECT_EQ(argv[0], nullptr);
    EXPECT_EQ(argv[1], nullptr);
    EXPECT_EQ(argv[2], help);
    EXPECT_EQ(argv[3], long_help);
    EXPECT_EQ(argv[4], nullptr);
    EXPECT_EQ(argv[5], other);
    VtCommandLine empty{0, nullptr};
    EXPECT_EQ(module.message(1002, &empty), -1);
    EXPECT_EQ(module.end(), 1);
}

TEST_F(LoadedModule, StartGreetsAndRegistersTheFiveTypesInOrder) {
    std::vector<std::string> args;
    const vantri::Status started = module.start_up(host, args);
    ASSERT_TRUE(started) << started.message();
    ASSERT_EQ(host.console().size(), 2u);
    EXPECT_EQ(host.console()[0], " ");
    EXPECT_EQ(host.console()[1], " ");

    struct Expected {
        int32_t id;
        int32_t flags;
        const char* description;
    };
    const Expected expected[] = {{1027811, 32780, "ocrowdworld"},
                                 {1027810, 32780, "ocrowdgenerator"},
                                 {1027813, 8, "ocrowdbehav"},
                                 {1027812, 8, "ocrowdobstacle"},
                                 {1027814, 8, "ocrowdBlend"}};
    const auto types = host.types().plugin_types();
    ASSERT_EQ(types.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(types[i]->id, expected[i].id);
        EXPECT_EQ(types[i]->info_flags, expected[i].flags);
        EXPECT_EQ(types[i]->description, expected[i].description);
        EXPECT_FALSE(types[i]->name.empty());
        EXPECT_TRUE(types[i]->has_icon) << types[i]->description << " has no decoded icon";
        EXPECT_GT(types[i]->icon.width, 0);
    }
    module.shut_down(host);
}

TEST_F(LoadedModule, ARefusedRegistrationStopsTheStart) {
    host.types().refuse(1027813);
    ASSERT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    ASSERT_EQ(module.message(1, nullptr), 1);
    EXPECT_EQ(module.start(), 0);
    const auto types = host.types().plugin_types();
    ASSERT_EQ(types.size(), 2u) << "the types before the refused one stay registered";
    EXPECT_EQ(types[0]->id, 1027811);
    EXPECT_EQ(types[1]->id, 1027810);
    EXPECT_EQ(host.console().size(), 2u) << "the greeting comes before registration";
    EXPECT_EQ(module.end(), 1);
    module.shut_down(host);
}

TEST_F(LoadedModule, CrashHookChainsToTheHostsHandler) {
    std::vector<std::string> args;
    const vantri::Status started = module.start_up(host, args);
    ASSERT_TRUE(started) << started.message();
    ASSERT_NE(host.api()->crash_handler, nullptr);
    char info[] = "segmentation fault";
    host.api()->crash_handler(info);
    ASSERT_EQ(host.crash_reports().size(), 1u);
    EXPECT_EQ(host.crash_reports()[0], "segmentation fault");
    module.shut_down(host);
}

TEST_F(LoadedModule, APathThatCannotBeAllocatedLeavesThePathUnset) {
    const int64_t live = vantri::allocator().live();
    vantri::allocator().fail_nth(1);
    EXPECT_EQ(module.initialise(host.api(), folder_of(module)), 1);
    vantri::allocator().fail_nth(0);
    EXPECT_EQ(module.message(1, nullptr), -1) << "without a path there is no resource folder";
    EXPECT_EQ(module.end(), 1);
    EXPECT_EQ(vantri::allocator().live(), live);
}

// A copy of the plug-in folder whose string table lacks one display name.
class PluginCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        folder = fs::temp_directory_path() / ("vantri-copy-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::copy(VANTRI_PLUGIN_DIR, folder, fs::copy_options::recursive);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void drop_string(int32_t id) {
        const auto path = folder / "res" / "strings.json";
        std::ifstream in(path);
        nlohmann::ordered_json table = nlohmann::ordered_json::parse(in);
        in.close();
        auto& strings = table["strings"];
        for (auto it = strings.begin(); it != strings.end(); ++it) {
            if ((*it)["id"] == id) {
                strings.erase(it);
                break;
            }
        }
        std::ofstream(path) << table.dump(2);
    }

    std::filesystem::path folder;
};

TEST_F(PluginCopy, AnEmptyDisplayNameSkipsOnlyThatType) {
    drop_string(1009);
    vantri::Host host;
    vantri::PluginModule module;
    const vantri::Status opened = module.open((folder / "vantri.so").string());
    ASSERT_TRUE(opened) << opened.message();
    std::vector<std::string> args;
    const vantri::Status started = module.start_up(host, args);
    ASSERT_TRUE(started) << started.message();
    const auto types = host.types().plugin_types();
    ASSERT_EQ(types.size(), 4u);
    EXPECT_EQ(types[0]->id, 1027810);
    EXPECT_EQ(types[3]->id, 1027814);
    module.shut_down(host);
}

} // namespace
