// vantri run SCENE: builds a scene file's objects in the host (with the --set settings
// applied), plays its frame range (or renders it), and writes what --outputs asks for:
// every agent's motion (agents.csv), the run as a glTF scene (scene.glb) and a page that
// plays it (preview.html), pictures of chosen frames when asked (frames/), and always a
// report (run.json), into the results folder, which appears only when the whole run
// succeeded.
#include "app/Commands.h"
#include "app/PluginSession.h"

#include "host/eval/PlaybackClock.h"
#include "host/eval/Player.h"
#include "host/memory/Allocator.h"
#include "host/render/Raster.h"
#include "results/AgentRecords.h"
#include "results/AgentsCsv.h"
#include "results/FiniteRecords.h"
#include "results/InterruptCleanup.h"
#include "results/OutputFolder.h"
#include "results/PreviewPage.h"
#include "results/RunRecording.h"
#include "results/RunReport.h"
#include "results/SceneGltf.h"
#include "scenefile/CrewSize.h"
#include "scenefile/SceneBuilder.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <unistd.h>

namespace vantri {

namespace {

constexpr int kExitPlugin = ExitCode::PluginFailed;
constexpr int kExitInput = ExitCode::BadInput;
constexpr int kExitMemory = ExitCode::OutOfMemory;
constexpr int kExitNonFinite = ExitCode::NonFinite;

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;

/// What a run can write besides run.json, which it always writes.
const char* const kKnownOutputs[] = {"csv", "glb", "html", "images"};

/// Pictures asked for by --outputs alone: every 10th frame from the first.
constexpr int32_t kDefaultPictureEvery = 10;

/// The file (or folder) each output writes.
const char* output_file(const std::string& output) {
    if (output == "csv") return "agents.csv";
    if (output == "glb") return "scene.glb";
    if (output == "html") return "preview.html";
    if (output == "images") return "frames/";
    return "";
}

/// A comma-separated list of known outputs; "none" (or an empty list) writes run.json alone,
/// for a run that only measures its time.
bool read_outputs(const std::string& text, std::set<std::string>& outputs) {
    std::set<std::string> wanted;
    if (text == "none") {
        outputs = wanted;
        return true;
    }
    size_t begin = 0;
    while (!text.empty() && begin <= text.size()) {
        size_t end = text.find(',', begin);
        if (end == std::string::npos) end = text.size();
        const std::string name = text.substr(begin, end - begin);
        bool known = false;
        for (const char* output : kKnownOutputs)
            known = known || name == output;
        if (!known) return false;
        wanted.insert(name);
        begin = end + 1;
    }
    outputs = wanted;
    return true;
}

/// The frame counter on stderr: rewritten in place on a terminal, otherwise a line every
/// few seconds, and the last frame always.
class Progress {
  public:
    Progress(bool quiet, int32_t first, int32_t last)
        : quiet_(quiet), tty_(isatty(2) != 0), first_(first), last_(last),
          begun_(std::chrono::steady_clock::now()), shown_(begun_) {}

    void frame(int32_t frame, size_t agents) {
        if (quiet_) return;
        const auto now = std::chrono::steady_clock::now();
        const bool final = frame == last_;
        if (!final && now - shown_ < std::chrono::milliseconds(tty_ ? 100 : 5000)) return;
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - begun_).count();
        const double done = static_cast<double>(frame) - first_ + 1;
        std::fprintf(stderr, "%sframe %d (%.0f of %.0f), %zu agents, %.1f frames/s%s",
                     tty_ ? "\r" : "", frame, done, static_cast<double>(last_) - first_ + 1, agents,
                     seconds > 0 ? done / seconds : 0.0, tty_ && !final ? "" : "\n");
        std::fflush(stderr);
    }
    /// Ends a line left open on a terminal.
    void interrupt() {
        if (!quiet_ && tty_) std::fputs("\n", stderr);
    }

  private:
    bool quiet_, tty_;
    int32_t first_, last_;
    std::chrono::steady_clock::time_point begun_, shown_;
};

/// "1,000,000".
std::string count_text(uint64_t count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

/// "5.2 GiB".
std::string size_text(double bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    int unit = 0;
    while (unit < 6 && bytes >= 1024) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

/// While the first frame builds a large crew: a line saying so, then the time taken every
/// few seconds, until the frame is done.
class CrewProgress {
  public:
    static constexpr uint64_t kLargeCrew = 100000;

    CrewProgress(bool quiet, uint64_t agents) {
        if (quiet || agents < kLargeCrew) return;
        std::fprintf(stderr, "building crews of %s agents (%s of records)...\n",
                     count_text(agents).c_str(),
                     size_text(static_cast<double>(agents) * kAgentRecordBytes).c_str());
        std::fflush(stderr);
        const auto begun = std::chrono::steady_clock::now();
        ticker_ = std::thread([this, begun] {
            std::unique_lock<std::mutex> lock(mutex_);
            while (!cv_.wait_for(lock, std::chrono::seconds(5), [this] { return done_; })) {
                const double seconds =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
                std::fprintf(stderr, "building crews: %.0f s\n", seconds);
                std::fflush(stderr);
            }
        });
    }
    /// The first frame is done.
    void finish() {
        if (!ticker_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        cv_.notify_one();
        ticker_.join();
    }
    ~CrewProgress() { finish(); }

  private:
    std::thread ticker_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
};

/// Thrown from inside the frame loop when the host's allocator refused memory.
struct OutOfMemory {
    int32_t frame;
};

/// Thrown from inside the frame loop when an agent's record holds inf or nan.
struct NonFinite {
    int32_t frame;
    std::string generator;
    NonFiniteField found;
};
/// Thrown from inside the frame loop when a picture could not be written.
struct PictureFailure {};

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "vantri run: %s\n", message.c_str());
    return code;
}

} // namespace

void add_run_options(CLI::App& verb, RunOptions& options) {
    verb.add_option("SCENE", options.scene, "the scene file to play")->type_name("");
    const OptionReader<std::optional<int32_t>> frame = [](const std::string& text,
                                                          std::optional<int32_t>& value) {
        int32_t number = 0;
        if (!read_frame(text, number)) return false;
        value = number;
        return true;
    };
    add_checked_option(verb, "--start", options.start, frame, "a whole frame number",
                       "the first frame to play (default: the file's start)")
        ->type_name("FRAME");
    add_checked_option(verb, "--end", options.end, frame, "a whole frame number",
                       "the last frame to play (default: the file's end)")
        ->type_name("FRAME");
    add_checked_option<std::string>(
        verb, "--out", options.out,
        [](const std::string& text, std::string& out) {
            out = text;
            return !text.empty();
        },
        "a folder",
        "the results folder (default: out/<scene name>); replaced only when it holds nothing "
        "but an earlier run's results")
        ->type_name("DIR");
    add_checked_option<std::set<std::string>>(
        verb, "--outputs", options.outputs,
        [&options](const std::string& text, std::set<std::string>& outputs) {
            if (!read_outputs(text, outputs)) return false;
            options.outputs_given = text.empty() ? "none" : text;
            return true;
        },
        "a comma-separated list of csv, glb, html and images, or none",
        "what the run writes besides run.json: csv (agents.csv), glb (scene.glb), html "
        "(preview.html), images (pictures in frames/: the frames --images names, or every 10th "
        "frame from the first), comma-separated, or none (default: csv,glb,html, and images "
        "when --images is given)")
        ->type_name("LIST");
    verb.add_option_function<std::vector<std::string>>(
            "--set",
            [&options](const std::vector<std::string>& texts) {
                options.settings.clear();
                for (const std::string& text : texts) {
                    SceneSetting setting;
                    std::string error;
                    if (!read_scene_setting(text, setting, error))
                        throw CLI::ValidationError("--set needs OBJECT.PARAMETER=VALUE, such as "
                                                   "crowd.CROWDGEN_SEED=7, not '" +
                                                   text + "'");
                    options.settings.push_back(setting);
                }
            },
            "a parameter of the scene's object for this run, written as in the scene file "
            "(repeatable): --set crowd.CROWDGEN_SEED=7")
        ->type_name("OBJECT.PARAMETER=VALUE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
    verb.add_flag("--render-mode", options.render, "evaluate every frame as a render does");
    verb.add_flag("--quiet", options.quiet, "no progress on stderr and no summary line");
    add_checked_option<size_t>(verb, "--max-memory", options.max_memory, read_bytes,
                               "a size above 0 such as 512M or 4G",
                               "the most memory the plug-in may take (default 4G)")
        ->type_name("BYTES");
    add_checked_option<std::optional<int32_t>>(
        verb, "--threads", options.threads,
        [](const std::string& text, std::optional<int32_t>& value) {
            int32_t number = 0;
            if (!read_frame(text, number) || number < 1 || number > 1024) return false;
            value = number;
            return true;
        },
        "a whole number from 1 to 1024",
        "the threads the simulation runs on (default: the machine's); the results are the "
        "same for every count")
        ->type_name("N");
    add_checked_option<PictureSchedule>(
        verb, "--images", options.pictures,
        [](const std::string& text, PictureSchedule& schedule) {
            std::string error;
            return parse_picture_schedule(text, schedule, error);
        },
        "every:N or a list of frames such as 0,50,100",
        "take a picture after every N-th frame from the first, or after each listed frame, "
        "into frames/NNNN.png (default: none, or every:10 when --outputs lists images); "
        "adds images to the default --outputs")
        ->type_name("FRAMES");
    add_checked_option<CameraView>(
        verb, "--camera", options.camera,
        [&options](const std::string& text, CameraView& view) {
            const std::optional<CameraView> named = camera_view_named(text);
            if (!named) return false;
            view = *named;
            options.picture_options.push_back("--camera");
            return true;
        },
        "top, front, side or persp", "where the pictures are taken from (default: top)")
        ->type_name("VIEW");
    add_checked_option<int32_t>(
        verb, "--image-size", options.picture_width,
        [&options](const std::string& text, int32_t& width) {
            std::string error;
            if (!parse_picture_size(text, width, options.picture_height, error)) return false;
            options.picture_options.push_back("--image-size");
            return true;
        },
        "WIDTHxHEIGHT in pixels, each 16 to " + std::to_string(kMaxPictureSide) +
            ", such as 800x600",
        "the pictures' size (default: 800x600)")
        ->type_name("WxH");
    verb.add_flag_callback(
        "--svg",
        [&options] {
            options.svg = true;
            options.picture_options.push_back("--svg");
        },
        "an SVG drawing beside each picture");
    add_plugin_option(verb, options.module_path);
    verb.footer("Exit codes: 0 the results are in place; 1 the plug-in failed or the results could "
                "not be written; 2 a mistake in the scene file or the command line; 3 out of "
                "memory; 4 a value beyond the range of numbers. Any code but 0 leaves the results "
                "folder as it was (docs/run-promises.md).");
}

bool check_run_options(RunOptions& options, const std::vector<std::string>& leftover,
                       std::string& error) {
    if (options.scene.empty()) {
        error = "which scene file?";
        return false;
    }
    if (!leftover.empty()) {
        error = "one scene file at a time ('" + options.scene + "' and '" + leftover.front() + "')";
        return false;
    }
    // Pictures: --images says which frames and brings images into the default outputs; an
    // explicit --outputs is what the run writes, so one that leaves images out contradicts
    // --images rather than dropping the pictures or quietly adding them.
    const bool listed = options.outputs.count("images") != 0;
    if (!options.pictures.empty() && !listed) {
        if (!options.outputs_given.empty()) {
            error = "--images asks for pictures, but --outputs " + options.outputs_given +
                    " leaves them out: add images to --outputs (--outputs " +
                    (options.outputs_given == "none" ? std::string("images")
                                                     : options.outputs_given + ",images") +
                    "), or drop --images";
            return false;
        }
        options.outputs.insert("images");
    }
    if (listed && options.pictures.empty()) options.pictures.every = kDefaultPictureEvery;
    if (options.pictures.empty() && !options.picture_options.empty()) {
        error = options.picture_options.front() +
                " says how pictures look, but no picture is taken: --images says which frames "
                "get one (every:N or a list of frames), or add images to --outputs for every "
                "10th frame";
        return false;
    }
    if (options.out.empty())
        options.out =
            (std::filesystem::path("out") / std::filesystem::path(options.scene).stem()).string();
    return true;
}

int run_command(const RunOptions& options) {
    const std::string& module_path = options.module_path;
    std::string error;

    SceneFile scene;
    if (!load_scene_file(options.scene, scene, error)) return fail(kExitInput, error);
    try {
        apply_scene_settings(scene, options.settings);
    } catch (const SceneError& e) {
        return fail(kExitInput, e.describe(options.scene));
    }
    // The document begins at the file's start: the world places its crowds there, and
    // frames before it would be played with nothing moving.
    if (options.start && *options.start < scene.start)
        return fail(kExitInput,
                    options.scene + ": --start " + std::to_string(*options.start) +
                        " comes before the scene's start, frame " + std::to_string(scene.start) +
                        ", where its crowds are placed; start at " + std::to_string(scene.start) +
                        " or later, or change \"start\" in the file");
    const int32_t first = options.start.value_or(scene.start);
    const int32_t last = options.end.value_or(scene.end);
    if (last < first)
        return fail(kExitInput, options.scene + ": the frame range is empty: end " +
                                    std::to_string(last) + " comes before start " +
                                    std::to_string(first));
    for (int32_t frame : options.pictures.frames) {
        if (frame < first || frame > last)
            return fail(kExitInput, "--images: frame " + std::to_string(frame) +
                                        " is outside the frames played, " + std::to_string(first) +
                                        " to " + std::to_string(last));
    }
    OutputFolder folder(options.out);
    if (!folder.check(error)) return fail(kExitInput, error);

    allocator().set_limit(options.max_memory);
    const uint64_t refusals = allocator().refusals();
    const auto out_of_memory = [&](const std::string& when) {
        return fail(kExitMemory, options.scene + ": " + when +
                                     ": the plug-in ran out of memory at the limit of " +
                                     bytes_text(options.max_memory) +
                                     " (raise it with --max-memory); nothing was written");
    };

    PluginSession session;
    if (options.threads) session.host().set_threads(*options.threads);
    if (!session.start(module_path, error)) {
        if (allocator().refusals() != refusals) return out_of_memory("starting the plug-in");
        return fail(kExitPlugin, error);
    }
    // The plug-in sees the playback clock, which runs with the scene's time.
    session.host().set_clock(playback_clock(first, first, scene.fps));
    // Declared after the session: the scene's objects go before the plug-in is unloaded.
    auto document = std::make_unique<Document>();
    std::vector<BuiltObject> objects;
    try {
        objects = build_scene(session.host(), scene, *document);
    } catch (const SceneError& e) {
        if (allocator().refusals() != refusals) return out_of_memory("building the scene");
        return fail(e.kind() == SceneError::Kind::Input ? kExitInput : kExitPlugin,
                    e.describe(options.scene));
    }
    std::vector<SceneObject*> generators;
    for (const BuiltObject& built : objects) {
        if (built.object->type() == kGeneratorType) generators.push_back(built.object);
    }

    // A crew whose records alone exceed the memory limit is refused before the first frame.
    const std::vector<CrewSize> crews = crew_sizes(objects);
    uint64_t crew_agents = 0;
    for (const CrewSize& crew : crews) {
        crew_agents += crew.agents;
        const double bytes = static_cast<double>(crew.agents) * kAgentRecordBytes;
        if (bytes > static_cast<double>(options.max_memory))
            return fail(kExitMemory,
                        options.scene + ": generator '" + crew.generator->name() +
                            "' would build a crew of " + count_text(crew.agents) +
                            " agents, which needs at least " + size_text(bytes) +
                            ", more than the memory limit of " + bytes_text(options.max_memory) +
                            " (raise it with --max-memory, or lower its CROWDGEN_COUNT_X, _Y, "
                            "_Z); nothing was written");
    }
    if (static_cast<double>(crew_agents) * kAgentRecordBytes >
        static_cast<double>(options.max_memory))
        return fail(kExitMemory,
                    options.scene + ": the generators' crews together hold " +
                        count_text(crew_agents) + " agents, which need at least " +
                        size_text(static_cast<double>(crew_agents) * kAgentRecordBytes) +
                        ", more than the memory limit of " + bytes_text(options.max_memory) +
                        " (raise it with --max-memory); nothing was written");
    install_interrupt_cleanup();
    if (!folder.begin(error)) return fail(kExitPlugin, error);
    const bool write_csv = options.outputs.count("csv") != 0;
    const bool write_glb = options.outputs.count("glb") != 0;
    const bool write_html = options.outputs.count("html") != 0;
    const bool record = write_glb || write_html;
    AgentsCsv csv;
    if (write_csv && !csv.open(folder.staging() + "/agents.csv", error))
        return fail(kExitPlugin, error);

    RunReport report;
    report.scene = options.scene;
    report.start = first;
    report.end = last;
    report.fps = scene.fps;
    report.mode = options.render ? "render" : "play";
    for (SceneObject* generator : generators)
        report.generators.push_back({generator->name(), 0});

    FramePictures pictures(folder.staging() + "/frames", options.camera, options.picture_width,
                           options.picture_height, options.svg);
    for (const SceneSetting& setting : options.settings)
        report.settings.push_back(setting.text);
    for (const char* output : kKnownOutputs) {
        if (options.outputs.count(output) != 0) report.files.push_back(output_file(output));
    }
    report.files.push_back("run.json");

    // The motion that scene.glb and preview.html show, kept for the end of the run.
    RunRecording recording;
    if (record) recording.begin(*document, generators);
    std::vector<std::vector<VtAgentRecord>> records(generators.size());

    Progress progress(options.quiet, first, last);
    CrewProgress crew_progress(options.quiet, crew_agents);
    const auto begun = std::chrono::steady_clock::now();
    try {
        play_range(session.host(), *document, first, last,
                   options.render ? PlayMode::Render : PlayMode::Play, [&](int32_t frame) {
                       crew_progress.finish();
                       if (allocator().refusals() != refusals) throw OutOfMemory{frame};
                       size_t agents = 0;
                       for (size_t g = 0; g < generators.size(); ++g) {
                           const AgentRecordView view = view_agent_records(*generators[g]);
                           NonFiniteField bad;
                           if (find_non_finite(view.records, view.count,
                                               generators[g]->global_matrix(), bad))
                               throw NonFinite{frame, generators[g]->name(), bad};
                           if (write_csv)
                               csv.write_frame(frame, generators[g]->name(), view.records,
                                               view.count, generators[g]->global_matrix());
                           if (record) records[g].assign(view.records, view.records + view.count);
                           report.generators[g].agents = view.count;
                           agents += view.count;
                       }
                       if (record) recording.add_frame(frame, records);
                       session.host().set_clock(playback_clock(first, frame, scene.fps));
                       if (options.pictures.wants(frame, first) &&
                           !pictures.take(*document, frame, error))
                           throw PictureFailure{};
                       progress.frame(frame, agents);
                   });
    } catch (const OutOfMemory& e) {
        progress.interrupt();
        return out_of_memory("frame " + std::to_string(e.frame));
    } catch (const NonFinite& e) {
        progress.interrupt();
        char value[32];
        std::snprintf(value, sizeof value, "%g", e.found.value);
        return fail(kExitNonFinite,
                    options.scene + ": frame " + std::to_string(e.frame) + ", generator '" +
                        e.generator + "', agent " + std::to_string(e.found.agent) + ": " +
                        e.found.field + " came out as " + value +
                        ", beyond the range of numbers (are speeds, spacing or sizes too "
                        "large?); nothing was written");
    } catch (const PictureFailure&) {
        progress.interrupt();
        return fail(kExitPlugin, error);
    } catch (const std::bad_alloc&) {
        // The machine's memory, not the plug-in's limit: scene.glb and preview.html keep
        // every agent at every frame until the end.
        progress.interrupt();
        return fail(kExitMemory, options.scene + ": there was not enough memory to keep the "
                                                 "run for scene.glb and preview.html (try "
                                                 "--outputs csv); nothing was written");
    }
    report.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    report.console = session.host().console();

    const std::string staging = folder.staging() + "/";
    try {
        if ((write_csv && !csv.close(error)) ||
            (write_glb &&
             !write_scene_glb(recording, options.scene, staging + "scene.glb", error)) ||
            (write_html &&
             !write_preview_page(recording, options.scene, staging + "preview.html", error)) ||
            !report.write(staging + "run.json", error) || !folder.commit(error))
            return fail(kExitPlugin, error);
    } catch (const std::bad_alloc&) {
        return fail(kExitMemory, options.scene + ": there was not enough memory to write "
                                                 "scene.glb and preview.html (try --outputs "
                                                 "csv); nothing was written");
    }
    if (!options.quiet) {
        std::string shown = folder.target();
        while (shown.size() > 1 && shown.back() == '/')
            shown.pop_back();
        size_t agents = 0;
        for (const RunReport::Generator& generator : report.generators)
            agents += generator.agents;
        std::string files;
        for (const std::string& file : report.files) {
            if (file == output_file("images"))
                files += (files.empty() ? "" : ", ") + std::to_string(pictures.count()) +
                         " pictures in frames/";
            else
                files += (files.empty() ? "" : ", ") + file;
        }
        std::printf("played frames %d to %d (%s), %zu agents; results in %s/ (%s)\n", first, last,
                    report.mode.c_str(), agents, shown.c_str(), files.c_str());
        if (write_html)
            std::printf("look at it: open %s/preview.html in a browser\n", shown.c_str());
        if (pictures.count() > 0) std::printf("pictures: %s/frames/\n", shown.c_str());
    }
    return 0;
}

} // namespace vantri
