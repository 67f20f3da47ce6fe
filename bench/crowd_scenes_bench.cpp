// The standard scenes of bench/scenes played through the real module with the generator
// running: one benchmark per scene, each iteration one whole frame (the generators' output,
// the world's simulation and the generators' placement of their instances), with the grid
// neighbour search. Per scene it also reports, as counters:
//
//   crew_ms          the frame that makes the crew (the animation standing still)
//   all_pairs_ms     a frame with the scan of every pair and of every spline sample, the
//                    reference searches, over the same frames as grid_ms (scenes of up to
//                    10,000 agents)
//   grid_ms          those frames with the grid and the spline sample tree
//   x_faster         all_pairs_ms / grid_ms, measured in the same run
//   bytes_per_agent  the most host memory the plug-in and its objects held at once, over
//                    the crew and the frames, per agent
//   rss_per_agent    the growth of the process's peak resident memory over the same span,
//                    per agent (everything the host and the plug-in hold for the scene)
//
// Threads/<scene> plays the scene twice side by side, one frame on one thread, the same frame
// of the other copy on two threads (the host's job service), and reports, in wall time:
//
//   ms_1t, ms_2t       a frame on one and on two threads
//   ratio_2t           ms_2t / ms_1t, measured in the same run
//   ahead              group updates whose flocking and near lists the second thread worked
//                      out ahead (what two threads do)
//   single             group updates run wholly on one thread although two were there
//   agents_per_wave, in_waves  the same for updates in waves (which take four threads or more)
//
// Schedule/<size> plays a few frames of the moderate crew at 10,000, 100,000 and 1,000,000
// agents on four threads and reports the waves' agents_per_wave.
//
// bench/README.md says how to run it.
#include "host/Host.h"
#include "host/eval/FrameEvaluator.h"
#include "host/memory/Allocator.h"
#include "host/plugin/PluginModule.h"
#include "results/AgentsCsv.h"
#include "host/scene/Document.h"
#include "scenefile/SceneBuilder.h"
#include "scenefile/SceneFile.h"

#include "abi/host_abi.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace {

// The machine is shared, so frames are timed by the processor time of this thread: the time
// a frame costs, not the time it waited for a processor.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

constexpr int32_t kGeneratorType = 1027810;
// Frames timed after the crew's frame; the reference search only gets a few of them.
constexpr int32_t kFrames = 12;
constexpr int32_t kReferenceFrames = 3;
constexpr size_t kLargestReference = 10000;

// A resident-memory figure of this process from /proc/self/status, in bytes.
int64_t resident(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::stoll(line.substr(std::strlen(key))) * 1024;
    }
    return 0;
}

// Starts a new peak of resident memory from what the process holds now.
void reset_resident_peak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

/// The module, started, with a chosen neighbour search.
class Session {
  public:
    explicit Session(std::string& error) {
        std::vector<std::string> arguments;
        // VANTRI_BENCH_PLUGIN names another build of the module, so that two builds can be
        // measured back to back by the same benchmark.
        const char* other = std::getenv("VANTRI_BENCH_PLUGIN");
        const std::string plugin = other != nullptr && *other != '\0'
                                       ? std::string(other)
                                       : std::string(VANTRI_PLUGIN_DIR) + "/vantri.so";
        vantri::Status started = module_.open(plugin);
        if (started) started = module_.start_up(host_, arguments);
        if (!started) error = started.message();
        started_ = started.ok();
    }
    ~Session() {
        if (started_) module_.shut_down(host_);
    }
    bool started() const { return started_; }
    vantri::Host& host() { return host_; }
    bool choose(int32_t search) {
        int32_t value = search;
        return module_.message(VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH, &value) == 1;
    }
    VtScheduleCounts counts() {
        VtScheduleCounts counts{};
        module_.message(VT_CROWD_MESSAGE_SCHEDULE_COUNTS, &counts);
        return counts;
    }

  private:
    vantri::Host host_;
    vantri::PluginModule module_;
    bool started_ = false;
};

/// One scene built in a document: its crew made at the first frame, then frames played one
/// at a time.
class PlayedScene {
  public:
    PlayedScene(vantri::Host& host, const vantri::SceneFile& scene)
        : host_(host), frame_(scene.start) {
        const vantri::Result<std::vector<vantri::BuiltObject>> built =
            vantri::build_scene(host, scene, document_);
        if (!built) return;
        for (const vantri::BuiltObject& object : *built) {
            if (object.object->type() == kGeneratorType) ++generators_;
        }
    }
    /// Makes the crew with the animation standing still; returns the seconds it took.
    double make_crew() {
        host_.set_animation_running(false);
        const double begun = ThreadSeconds();
        vantri::FrameEvaluator(host_, document_).evaluate(frame_);
        return ThreadSeconds() - begun;
    }
    /// Plays the next frame; returns the seconds it took, of this thread's processor time or
    /// (`wall`) of the clock.
    double play(bool wall = false) {
        host_.set_animation_running(true);
        const auto clock = [wall]() {
            return wall ? std::chrono::duration<double>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count()
                        : ThreadSeconds();
        };
        const double begun = clock();
        vantri::FrameEvaluator(host_, document_).evaluate(++frame_);
        const double seconds = clock() - begun;
        host_.set_animation_running(false);
        return seconds;
    }

  private:
    vantri::Host& host_;
    vantri::Document document_;
    int32_t frame_;
    int generators_ = 0;
};

size_t agents_of(const vantri::SceneFile& scene) {
    size_t agents = 0;
    const std::function<void(const vantri::SceneObjectEntry&)> count = [&](const vantri::
                                                                               SceneObjectEntry&
                                                                                   entry) {
        if (entry.type == "generator" || entry.type == "ocrowdgenerator") {
            int64_t n = 1;
            for (const char* axis : {"CROWDGEN_COUNT_X", "CROWDGEN_COUNT_Y", "CROWDGEN_COUNT_Z"}) {
                for (const vantri::SceneParameter& p : entry.params) {
                    if (p.key == axis) n *= p.value.get<int64_t>();
                }
            }
            agents += static_cast<size_t>(n);
        }
        for (const vantri::SceneObjectEntry& child : entry.children)
            count(child);
    };
    for (const vantri::SceneObjectEntry& entry : scene.objects)
        count(entry);
    return agents;
}

double mean(const std::vector<double>& values, size_t count) {
    count = std::min(count, values.size());
    double sum = 0.0;
    for (size_t i = 0; i < count; ++i)
        sum += values[i];
    return count > 0 ? sum / static_cast<double>(count) : 0.0;
}

void BM_Scene(benchmark::State& state, const std::string& path) {
    const vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(path);
    if (!loaded) {
        state.SkipWithError(loaded.message().c_str());
        return;
    }
    const vantri::SceneFile& scene = *loaded;
    std::string error;
    const size_t agents = agents_of(scene);
    Session session(error);
    if (!session.started() || !session.choose(VT_NEIGHBOUR_SEARCH_GRID)) {
        state.SkipWithError(error.empty() ? "the plug-in has no neighbour search choice"
                                          : error.c_str());
        return;
    }
    session.host().set_threads(1);

    std::vector<double> grid;
    {
        reset_resident_peak();
        const int64_t resident_before = resident("VmRSS:");
        vantri::allocator().reset_peak();
        const int64_t held_before = vantri::allocator().live_bytes();
        PlayedScene played(session.host(), scene);
        state.counters["crew_ms"] = played.make_crew() * 1e3;
        for (auto _ : state) {
            const double seconds = played.play();
            state.SetIterationTime(seconds);
            grid.push_back(seconds);
        }
        const double per_agent = static_cast<double>(std::max<size_t>(agents, 1));
        state.counters["bytes_per_agent"] =
            static_cast<double>(vantri::allocator().peak_bytes() - held_before) / per_agent;
        state.counters["rss_per_agent"] =
            static_cast<double>(resident("VmHWM:") - resident_before) / per_agent;
    }
    state.counters["grid_ms"] = mean(grid, kReferenceFrames) * 1e3;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * agents));

    // VANTRI_BENCH_GRID_ONLY=1 leaves the reference search out, for quick runs.
    const char* grid_only = std::getenv("VANTRI_BENCH_GRID_ONLY");
    const bool with_reference = grid_only == nullptr || std::strcmp(grid_only, "1") != 0;
    if (with_reference && agents <= kLargestReference &&
        session.choose(VT_NEIGHBOUR_SEARCH_ALL_PAIRS)) {
        PlayedScene played(session.host(), scene);
        played.make_crew();
        std::vector<double> reference;
        for (int32_t i = 0; i < kReferenceFrames; ++i)
            reference.push_back(played.play());
        const double all_pairs = mean(reference, kReferenceFrames);
        state.counters["all_pairs_ms"] = all_pairs * 1e3;
        state.counters["x_faster"] = all_pairs / mean(grid, kReferenceFrames);
        session.choose(VT_NEIGHBOUR_SEARCH_GRID);
    }
}

void BM_Threads(benchmark::State& state, const std::string& path) {
    const vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(path);
    if (!loaded) {
        state.SkipWithError(loaded.message().c_str());
        return;
    }
    const vantri::SceneFile& scene = *loaded;
    std::string error;
    const size_t agents = agents_of(scene);
    Session session(error);
    if (!session.started() || !session.choose(VT_NEIGHBOUR_SEARCH_GRID)) {
        state.SkipWithError(error.empty() ? "the plug-in has no neighbour search choice"
                                          : error.c_str());
        return;
    }
    vantri::Host& host = session.host();
    PlayedScene one(host, scene);
    PlayedScene two(host, scene);
    host.set_threads(1);
    one.make_crew();
    two.make_crew();
    double single = 0.0, pair = 0.0;
    VtScheduleCounts waved{};
    for (auto _ : state) {
        host.set_threads(1);
        const double seconds_1 = one.play(true);
        host.set_threads(2);
        const VtScheduleCounts before = session.counts();
        const double seconds_2 = two.play(true);
        const VtScheduleCounts after = session.counts();
        waved.in_waves += after.in_waves - before.in_waves;
        waved.single += after.single - before.single;
        waved.ahead += after.ahead - before.ahead;
        waved.waves += after.waves - before.waves;
        waved.agents += after.agents - before.agents;
        single += seconds_1;
        pair += seconds_2;
        state.SetIterationTime(seconds_2);
    }
    const double frames = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.counters["ms_1t"] = single / frames * 1e3;
    state.counters["ms_2t"] = pair / frames * 1e3;
    state.counters["ratio_2t"] = pair / single;
    state.counters["agents_per_wave"] =
        waved.waves > 0 ? static_cast<double>(waved.agents) / static_cast<double>(waved.waves)
                        : 0.0;
    state.counters["in_waves"] = static_cast<double>(waved.in_waves);
    state.counters["single"] = static_cast<double>(waved.single);
    state.counters["ahead"] = static_cast<double>(waved.ahead);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * agents));
}

// The schedule alone, on four threads (the fewest that update in waves): agents per wave over
// the first frames of a scene, whose crew may be widened to `side` x `side` agents (0: as the
// file says). Only the waves' shape is read here, not the time, which on a machine of fewer
// cores says little.
void BM_Schedule(benchmark::State& state, const std::string& path, int64_t side) {
    vantri::Result<vantri::SceneFile> loaded = vantri::load_scene_file(path);
    if (!loaded) {
        state.SkipWithError(loaded.message().c_str());
        return;
    }
    vantri::SceneFile& scene = *loaded;
    std::string error;
    const std::function<void(vantri::SceneObjectEntry&)> widen =
        [&](vantri::SceneObjectEntry& entry) {
            for (vantri::SceneParameter& p : entry.params) {
                if (side > 0 && (p.key == "CROWDGEN_COUNT_X" || p.key == "CROWDGEN_COUNT_Z"))
                    p.value = side;
            }
            for (vantri::SceneObjectEntry& child : entry.children)
                widen(child);
        };
    for (vantri::SceneObjectEntry& entry : scene.objects)
        widen(entry);
    Session session(error);
    if (!session.started() || !session.choose(VT_NEIGHBOUR_SEARCH_GRID)) {
        state.SkipWithError(error.empty() ? "the plug-in has no neighbour search choice"
                                          : error.c_str());
        return;
    }
    session.host().set_threads(4);
    PlayedScene played(session.host(), scene);
    played.make_crew();
    const VtScheduleCounts before = session.counts();
    for (auto _ : state)
        state.SetIterationTime(played.play(true));
    const VtScheduleCounts after = session.counts();
    const auto waves = static_cast<double>(after.waves - before.waves);
    state.counters["agents"] = static_cast<double>(agents_of(scene));
    state.counters["agents_per_wave"] =
        waves > 0 ? static_cast<double>(after.agents - before.agents) / waves : 0.0;
    state.counters["single"] = static_cast<double>(after.single - before.single);
    state.counters["undone"] = static_cast<double>(after.undone - before.undone);
}

// agents.csv: rows of agents spread over a few thousand units, turned every way, formatted
// and written to /dev/null, so that the figure is the writer's own cost per row and not the
// disk's; reported per row, in the processor time of this thread.
void BM_AgentsCsvRows(benchmark::State& state) {
    std::vector<VtAgentRecord> records(10000);
    uint64_t seed = 88172645463325252ull;
    const auto next = [&seed]() {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        return static_cast<double>(seed >> 11) * 0x1.0p-53;
    };
    for (VtAgentRecord& r : records) {
        std::memset(&r, 0, sizeof r);
        r.mg.off = VtVector{next() * 3000.0, 0.0, next() * 3000.0};
        r.rotation = VtVector{next() * 6.28 - 3.14, next() * 0.2, 0.0};
        r.speed = next() * 40.0;
        r.max_speed = 40.0 + next() * 12.0;
        r.waiting = next() < 0.1 ? 1 : 0;
    }
    const VtMatrix mg{{100, 0, -50}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    vantri::AgentsCsv csv;
    if (const vantri::Status opened = csv.open("/dev/null"); !opened) {
        state.SkipWithError(opened.message().c_str());
        return;
    }
    int32_t frame = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        const double begun = ThreadSeconds();
        csv.write_frame(frame++, "crowd", records, mg);
        const double spent = ThreadSeconds() - begun;
        state.SetIterationTime(spent);
        seconds += spent;
    }
    (void)csv.close();
    state.counters["ns_per_row"] =
        seconds * 1e9 / static_cast<double>(state.iterations() * records.size());
}
BENCHMARK(BM_AgentsCsvRows)->UseManualTime()->Unit(benchmark::kMillisecond);

// One benchmark per scene file, smallest first, as moderate-1k, dense-1k, moderate-10k ...
const bool kRegistered = [] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(VANTRI_BENCH_SCENES)) {
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    }
    const auto size_of = [](const std::filesystem::path& file) {
        const std::string name = file.stem().string();
        const std::string size = name.substr(name.rfind('-') + 1);
        return std::stod(size) * (size.back() == 'k' ? 1000.0 : 1.0);
    };
    std::sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
        return size_of(a) != size_of(b) ? size_of(a) < size_of(b) : a.stem() > b.stem();
    });
    for (const auto& file : files) {
        benchmark::RegisterBenchmark(("Scene/" + file.stem().string()).c_str(), BM_Scene,
                                     file.string())
            ->Iterations(kFrames)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    // The schedule's parallelism at 10,000, 100,000 and 1,000,000 agents (the last the
    // moderate crew widened to 1000 x 1000).
    const std::string moderate = std::string(VANTRI_BENCH_SCENES) + "/moderate-100k.json";
    const std::pair<const char*, int64_t> sizes[] = {
        {"moderate-10k", 100}, {"moderate-100k", 0}, {"moderate-1m", 1000}};
    for (const auto& [name, side] : sizes) {
        benchmark::RegisterBenchmark((std::string("Schedule/") + name).c_str(), BM_Schedule,
                                     moderate, side)
            ->Iterations(3)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    for (const auto& file : files) {
        if (file.stem().string().rfind("spline", 0) == 0) continue;
        benchmark::RegisterBenchmark(("Threads/" + file.stem().string()).c_str(), BM_Threads,
                                     file.string())
            ->Iterations(kFrames)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace
