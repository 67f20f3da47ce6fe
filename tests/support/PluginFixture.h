// A test fixture that starts the stand-in host, loads the real vantri.so from the build's
// plug-in folder and starts it, and offers small helpers to build scenes through the host.
#pragma once

#include "host/Host.h"
#include "host/eval/FrameEvaluator.h"
#include "host/eval/Player.h"
#include "host/memory/Allocator.h"
#include "host/plugin/PluginModule.h"
#include "host/scene/Document.h"
#include "host/scene/ObjectFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vantri_test {

constexpr int32_t kGeneratorType = 1027810;
constexpr int32_t kWorldType = 1027811;
constexpr int32_t kObstacleType = 1027812;
constexpr int32_t kBehaviourType = 1027813;
constexpr int32_t kBlendType = 1027814;

inline std::string module_path() {
    return std::string(VANTRI_PLUGIN_DIR) + "/vantri.so";
}

/// A host with the module loaded but not yet initialised.
class LoadedModule : public ::testing::Test {
  protected:
    void SetUp() override {
        baseline_live = vantri::allocator().live();
        const vantri::Status opened = module.open(module_path());
        ASSERT_TRUE(opened) << opened.message();
    }
    void TearDown() override {
        module.close();
        vantri::allocator().fail_nth(0);
        EXPECT_EQ(vantri::allocator().live(), baseline_live) << "the plug-in kept host memory";
    }

    int64_t baseline_live = 0;

    vantri::Host host;
    vantri::PluginModule module;
};

/// A host with the plug-in started, and a document to build scenes in.
class StartedPlugin : public ::testing::Test {
  protected:
    void SetUp() override {
        const vantri::Status opened = module.open(module_path());
        ASSERT_TRUE(opened) << opened.message();
        std::vector<std::string> args;
        const vantri::Status started = module.start_up(host, args);
        ASSERT_TRUE(started) << started.message();
        document = std::make_unique<vantri::Document>();
        baseline_live = vantri::allocator().live();
    }
    void TearDown() override {
        vantri::allocator().fail_nth(0);
        vantri::allocator().set_limit(0);
        document.reset();
        EXPECT_TRUE(host.misuse().empty()) << host.misuse().front();
        module.shut_down(host);
    }

    /// A new object of `type` in the document, under `parent` (or at the top level).
    vantri::SceneObject* add(int32_t type, const std::string& name,
                             vantri::SceneObject* parent = nullptr) {
        const vantri::Result<vantri::SceneObject*> made = vantri::create_object(host.types(), type);
        EXPECT_TRUE(made.ok()) << (made ? "" : made.message());
        if (!made) return nullptr;
        vantri::SceneObject* object = *made;
        object->set_name(name);
        document->insert(object, parent);
        return object;
    }

    /// Sends a message to an object's code and returns its answer.
    int32_t send(vantri::SceneObject* object, int32_t type, void* data) {
        return host.api()->atoms->send_message(object->handle(), type, data);
    }

    void evaluate(int32_t frame) { vantri::FrameEvaluator(host, *document).evaluate(frame); }

    /// Parameter writes as the attribute manager makes them: the value, then a change mark.
    static void set_int(vantri::SceneObject* object, int32_t id, int32_t value) {
        object->data().set(id, vantri::Value::of_int(value));
        object->touch();
    }
    static void set_real(vantri::SceneObject* object, int32_t id, double value) {
        object->data().set(id, vantri::Value::of_real(value));
        object->touch();
    }
    static void set_vector(vantri::SceneObject* object, int32_t id, const VtVector& value) {
        object->data().set(id, vantri::Value::of_vector(value));
        object->touch();
    }

    vantri::Host host;
    vantri::PluginModule module;
    std::unique_ptr<vantri::Document> document;
    int64_t baseline_live = 0;
};

} // namespace vantri_test
