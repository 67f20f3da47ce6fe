// One frame of the world's simulation at 100, 1,000 and 4,000 agents, with alignment,
// cohesion, separation and avoidance of the own crowd on, through the host with the real
// module loaded. Every force visits every pair of agents: this is the exact baseline that
// faster versions must match bit for bit.
#include "Host.h"
#include "eval/FrameEvaluator.h"
#include "plugin/PluginModule.h"
#include "scene/Document.h"
#include "scene/InExcludeList.h"
#include "scene/ObjectFactory.h"

#include "ocrowdbehav.h"
#include "ocrowdgenerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;
constexpr int32_t kWorldType = VT_CROWD_TYPE_WORLD;
constexpr int32_t kBehaviourType = VT_CROWD_TYPE_BEHAVIOUR;
constexpr int32_t kNullType = VT_OBJECT_TYPE_NULL;

vantri::SceneObject* add(const vantri::Host& host, vantri::Document& document, int32_t type, const std::string& name,
                         vantri::SceneObject* parent) {
    std::string why;
    vantri::SceneObject* object = vantri::create_object(host.types(), type, &why);
    if (object == nullptr) {
        std::fprintf(stderr, "cannot create %s: %s\n", name.c_str(), why.c_str());
        std::abort();
    }
    object->set_name(name);
    document.insert(object, parent);
    return object;
}

void set_int(vantri::SceneObject* object, int32_t id, int32_t value) {
    object->data().set(id, vantri::Value::of_int(value));
}

void set_real(vantri::SceneObject* object, int32_t id, double value) {
    object->data().set(id, vantri::Value::of_real(value));
}

void BM_WorldFrame(benchmark::State& state) {
    vantri::Host host;
    vantri::PluginModule module;
    std::string error;
    std::vector<std::string> arguments;
    if (!module.open(std::string(VANTRI_PLUGIN_DIR) + "/vantri.so", error) ||
        !module.start_up(host, arguments, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    {
        vantri::Document document;
        vantri::SceneObject* world = add(host, document, kWorldType, "World", nullptr);
        vantri::SceneObject* generator = add(host, document, kGeneratorType, "Crowd", world);
        const int32_t rows = static_cast<int32_t>(state.range(0) / 100);
        set_int(generator, CROWDGEN_COUNT_X, rows);
        set_int(generator, CROWDGEN_COUNT_Y, 1);
        set_int(generator, CROWDGEN_COUNT_Z, 100);
        set_real(generator, CROWDGEN_SIZE_X, 10.0);
        set_real(generator, CROWDGEN_SIZE_Z, 10.0);
        add(host, document, kNullType, "Source", generator);

        vantri::SceneObject* behaviour = add(host, document, kBehaviourType, "Flock", nullptr);
        set_int(behaviour, CROWDBEHAV_ALIGN, 1);
        set_int(behaviour, CROWDBEHAV_ALIGN_RADIUS, 150);
        set_int(behaviour, CROWDBEHAV_COHESION, 1);
        set_int(behaviour, CROWDBEHAV_COHESION_MIN, 20);
        set_int(behaviour, CROWDBEHAV_COHESION_DISTANCE, 80);
        set_int(behaviour, CROWDBEHAV_COHESION_MAX, 250);
        set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
        set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 60);
        set_int(behaviour, CROWDBEHAV_AVOIDANCE, 1);
        auto list = std::make_unique<vantri::InExcludeList>();
        list->append(behaviour);
        generator->data().set(CROWDGEN_BEHAVIOURS, vantri::Value::of_custom(std::move(list)));

        // The crew is made at frame 0 with the animation stopped; from then on every
        // iteration is one later frame that the world simulates.
        vantri::FrameEvaluator evaluator(host, document);
        evaluator.evaluate(0);
        host.set_animation_running(true);
        const vantri::ObjectType* type = world->object_type();
        int32_t frame = 0;
        for (auto _ : state) {
            document.set_frame(++frame);
            type->callbacks->execute(world->instance(), world->handle(), document.handle(), nullptr,
                                     5000, 4);
        }
        state.SetItemsProcessed(state.iterations() * state.range(0));
        host.set_animation_running(false);
    }
    module.shut_down(host);
}

BENCHMARK(BM_WorldFrame)->Arg(100)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace
