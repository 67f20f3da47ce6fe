#include "app/RunPlan.h"

#include "host/eval/PlaybackClock.h"
#include "host/eval/Player.h"
#include "host/jobs/JobPool.h"
#include "host/memory/Allocator.h"
#include "results/InterruptCleanup.h"
#include "results/RecordingMemory.h"
#include "scenefile/CrewSize.h"
#include "scenefile/GeometryLinks.h"
#include "scenefile/SceneGeometry.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <new>

namespace vantri {

namespace {

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;
// The threads a run takes unless --threads says: on two the plug-in works a group's flocking
// out ahead of its update, which pays on every crowd size measured; more threads go to
// updates in waves, whose gain on machines of many cores is not measured (bench/README.md).
constexpr int32_t kDefaultThreads = 2;

/// A scene file's mistake as the run reports it: "FILE: WHERE: MESSAGE".
Error scene_failure(const Error& error, const std::string& file) {
    return {error.fault, describe_scene_error(error, file), {}};
}

Error memory_failure(const std::string& message) {
    return {Fault::OutOfMemory, message, {}};
}

/// What a built mesh holds at least, per point and per face: the host's mesh (a point, a
/// face's four indices).
constexpr double kMeshPointBytes = sizeof(VtVector);
constexpr double kMeshFaceBytes = 4 * sizeof(int32_t);
/// What scene.glb and preview.html add at least: the recorded shape (a point; two triangles
/// of three indices) and scene.glb's flat-shaded copy (six corners of a float position and
/// a float normal).
constexpr double kShapePointBytes = sizeof(VtVector);
constexpr double kShapeFaceBytes = 2 * 3 * sizeof(uint32_t) + 6 * 2 * 3 * sizeof(float);
/// The most a .glb file can hold: its header keeps its length in 32 bits.
constexpr double kGlbFileLimit = 4294967295.0;

/// While it lives, the first allocation that fails throws std::bad_alloc at once, and a
/// reserve of memory is kept for what runs while that exception unwinds: the JSON library's
/// destructors allocate, and one that throws from its noexcept destructor would end the
/// command with an abort (exit 134) and leave the staging folder behind. The next failure
/// frees the reserve and tries again; one after that throws.
class UnwindReserve {
  public:
    UnwindReserve() : previous_(std::set_new_handler(&UnwindReserve::out_of_memory)) {
        failed_ = false;
        reserve_ = std::malloc(kReserveBytes);
    }
    ~UnwindReserve() {
        std::set_new_handler(previous_);
        std::free(reserve_);
        reserve_ = nullptr;
    }
    UnwindReserve(const UnwindReserve&) = delete;
    UnwindReserve& operator=(const UnwindReserve&) = delete;

  private:
    static constexpr size_t kReserveBytes = size_t(32) << 20;
    static void out_of_memory() {
        if (!failed_ || reserve_ == nullptr) {
            failed_ = true;
            throw std::bad_alloc();
        }
        std::free(reserve_);
        reserve_ = nullptr;
    }
    std::new_handler previous_;
    static inline bool failed_ = false;
    static inline void* reserve_ = nullptr;
};

} // namespace

const std::vector<std::string>& run_outputs() {
    static const std::vector<std::string> outputs{"csv", "glb", "html", "images"};
    return outputs;
}

const char* output_file(const std::string& output) {
    if (output == "csv") return "agents.csv";
    if (output == "glb") return "scene.glb";
    if (output == "html") return "preview.html";
    if (output == "images") return "frames/";
    return "";
}

RunPlan::RunPlan(const RunOptions& options)
    : options_(options), folder_(options.out), display_(options.quiet, stderr_console()) {}

Status RunPlan::run() {
    display_.start_ticker();
    for (Status (RunPlan::*step)() :
         {&RunPlan::read, &RunPlan::admit, &RunPlan::build, &RunPlan::admit_memory, &RunPlan::begin,
          &RunPlan::play, &RunPlan::finish}) {
        Status done = (this->*step)();
        if (!done) {
            display_.abandon();
            return done;
        }
    }
    display_.done();
    return {};
}

Status RunPlan::read() {
    display_.phase("reading " + options_.scene);
    Result<SceneFile> scene = load_scene_file(options_.scene);
    if (!scene) return scene.error();
    scene_ = std::move(scene).value();
    if (Status set = apply_scene_settings(scene_, options_.settings); !set)
        return scene_failure(set.error(), options_.scene);
    // The document begins at the file's start: the world places its crowds there, and
    // frames before it would be played with nothing moving.
    const std::string& file = options_.scene;
    if (options_.start && *options_.start < scene_.start)
        return input_error(
            file + ": --start " + std::to_string(*options_.start) +
            " comes before the scene's start, frame " + std::to_string(scene_.start) +
            ", where its crowds are placed; start at " + std::to_string(scene_.start) +
            " or later, or change \"start\" in the file");
    frames_.first = options_.start.value_or(scene_.start);
    frames_.last = options_.end.value_or(scene_.end);
    if (frames_.last < frames_.first)
        return input_error(file + ": the frame range is empty: end " +
                           std::to_string(frames_.last) + " comes before start " +
                           std::to_string(frames_.first));
    return {};
}

// The writers, in the order they see each frame: the finite check first, so that no other
// writer records a frame that holds inf or nan; the progress last.
void RunPlan::make_writers() {
    const auto wants = [this](const char* output) { return options_.outputs.count(output) != 0; };
    writers_.push_back(std::make_unique<FiniteCheck>(options_.scene));
    if (wants("csv")) writers_.push_back(std::make_unique<CsvWriter>());
    if (wants("glb") || wants("html"))
        writers_.push_back(
            std::make_unique<RecordingWriter>(options_.scene, wants("glb"), wants("html")));
    if (!options_.pictures.empty()) {
        PictureWriter::Look look{options_.camera, options_.picture_width, options_.picture_height,
                                 options_.svg};
        auto pictures = std::make_unique<PictureWriter>(options_.pictures, look);
        pictures_ = pictures.get();
        writers_.push_back(std::move(pictures));
    }
    RunReport report;
    report.scene = options_.scene;
    report.start = frames_.first;
    report.end = frames_.last;
    report.fps = scene_.fps;
    report.mode = options_.render ? "render" : "play";
    for (const SceneSetting& setting : options_.settings)
        report.settings.push_back(setting.text);
    for (const std::string& output : run_outputs()) {
        if (wants(output.c_str())) report.files.push_back(output_file(output));
    }
    report.files.push_back("run.json");
    auto report_writer = std::make_unique<ReportWriter>(std::move(report));
    report_ = report_writer.get();
    writers_.push_back(std::move(report_writer));
    auto progress = std::make_unique<ProgressWriter>(display_);
    progress_ = progress.get();
    writers_.push_back(std::move(progress));
}

Status RunPlan::admit() {
    make_writers();
    for (const std::unique_ptr<RunWriter>& writer : writers_) {
        if (Status admitted = writer->admit(frames_); !admitted) return admitted;
    }
    if (Status meshes = admit_meshes(); !meshes) return meshes;
    return folder_.check();
}

// The host's meshes are built by the command, outside the plug-in's allocator: a sphere or
// plane whose segments ask for more than the memory limit is refused before it is built.
Status RunPlan::admit_meshes() const {
    const double limit = static_cast<double>(options_.max_memory);
    const bool shown = options_.outputs.count("glb") != 0 || options_.outputs.count("html") != 0;
    const double point_bytes = kMeshPointBytes + (shown ? kShapePointBytes : 0.0);
    const double face_bytes = kMeshFaceBytes + (shown ? kShapeFaceBytes : 0.0);
    double total = 0;
    for (const MeshCount& mesh : mesh_counts(scene_)) {
        const double bytes = static_cast<double>(mesh.points) * point_bytes +
                             static_cast<double>(mesh.faces) * face_bytes;
        total += bytes;
        if (bytes > limit || total > limit)
            return memory_failure(
                options_.scene + ": " + mesh.entry->path + " (" + mesh.entry->type + " '" +
                mesh.entry->name + "'): its " + count_text(mesh.faces) + " faces need at least " +
                size_text(bytes) + (bytes > limit ? "" : " besides the other meshes") +
                ", more than the memory limit of " + bytes_text(options_.max_memory) +
                " (raise it with --max-memory, or lower its \"segments\"); nothing was "
                "written");
    }
    return {};
}

Error RunPlan::out_of_memory(const std::string& when) const {
    const std::string kept =
        kept_for_outputs_ == 0 ? ""
                               : " less the " + size_text(static_cast<double>(kept_for_outputs_)) +
                                     " that the recording for scene.glb and preview.html keeps";
    return memory_failure(options_.scene + ": " + when +
                          ": the plug-in ran out of memory at the limit of " +
                          bytes_text(options_.max_memory) + kept +
                          " (raise it with --max-memory); nothing was written");
}

Status RunPlan::build() {
    display_.phase("building the scene");
    allocator().set_limit(options_.max_memory);
    refusals_ = allocator().refusals();
    session_.host().set_threads(options_.threads ? *options_.threads
                                                 : std::min(machine_threads(), kDefaultThreads));
    if (Status started = session_.start(options_.module_path); !started) {
        if (allocator().refusals() != refusals_) return out_of_memory("starting the plug-in");
        return started;
    }
    // The plug-in sees the playback clock, which runs with the scene's time.
    session_.host().set_clock(playback_clock(frames_.first, frames_.first, scene_.fps));
    document_ = std::make_unique<Document>();
    Result<std::vector<BuiltObject>> objects = build_scene(session_.host(), scene_, *document_);
    if (!objects) {
        if (allocator().refusals() != refusals_) return out_of_memory("building the scene");
        return scene_failure(objects.error(), options_.scene);
    }
    objects_ = std::move(objects).value();
    for (const std::string& warning : geometry_link_warnings(objects_))
        display_.message("vantri run: warning: " + options_.scene + ": " + warning);
    for (const BuiltObject& built : objects_) {
        if (built.object->type() == kGeneratorType) generators_.push_back(built.object);
    }
    return {};
}

// A crew whose records alone exceed the memory limit is refused before the first frame.
Status RunPlan::admit_memory() {
    const double limit = static_cast<double>(options_.max_memory);
    uint64_t agents = 0;
    const std::vector<CrewSize> crews = crew_sizes(objects_);
    for (const CrewSize& crew : crews) {
        agents += crew.agents;
        const double bytes = static_cast<double>(crew.agents) * kAgentRecordBytes;
        if (bytes > limit)
            return memory_failure(
                options_.scene + ": generator '" + crew.generator->name() +
                "' would build a crew of " + count_text(crew.agents) +
                " agents, which needs at least " + size_text(bytes) +
                ", more than the memory limit of " + bytes_text(options_.max_memory) +
                " (raise it with --max-memory, or lower its CROWDGEN_COUNT_X, _Y, _Z); nothing "
                "was written");
    }
    const double bytes = static_cast<double>(agents) * kAgentRecordBytes;
    if (bytes > limit)
        return memory_failure(options_.scene + ": the generators' crews together hold " +
                              count_text(agents) + " agents, which need at least " +
                              size_text(bytes) + ", more than the memory limit of " +
                              bytes_text(options_.max_memory) +
                              " (raise it with --max-memory); nothing was written");
    if (Status recording = admit_recording(crews, bytes); !recording) return recording;
    progress_->set_crew_agents(agents);
    return {};
}

// scene.glb and preview.html are written at the end from a recording of every agent at every
// frame, which the command holds beside the plug-in's crews: the two together must fit in the
// memory limit, and the plug-in may take only what the recording and the writing leave of it.
Status RunPlan::admit_recording(const std::vector<CrewSize>& crews, double crew_bytes) {
    const bool glb = options_.outputs.count("glb") != 0;
    const bool html = options_.outputs.count("html") != 0;
    if (!glb && !html) return {};
    std::vector<RecordedCrew> recorded;
    uint64_t agents = 0;
    for (const CrewSize& crew : crews) {
        recorded.push_back({crew.agents, crew.generator->name()});
        agents += crew.agents;
    }
    const uint64_t frames = static_cast<uint64_t>(int64_t{frames_.last} - frames_.first + 1);
    const std::string outputs = glb && html ? "scene.glb and preview.html"
                                : glb       ? "scene.glb"
                                            : "preview.html";
    // The --outputs that leaves out what `dropped` names (glb, or glb and html).
    const auto outputs_without = [this](std::initializer_list<const char*> dropped) {
        std::string list;
        for (const std::string& output : run_outputs()) {
            bool kept = options_.outputs.count(output) != 0;
            for (const char* name : dropped)
                kept = kept && output != name;
            if (kept) list += (list.empty() ? "" : ",") + output;
        }
        return "--outputs " + (list.empty() ? std::string("none") : list);
    };
    const double glb_bytes = glb ? glb_file_bytes(recorded, frames) : 0.0;
    if (glb_bytes > kGlbFileLimit)
        return input_error(options_.scene + ": scene.glb would hold " + count_text(agents) +
                           " agents at each of " + count_text(frames) + " frames, at least " +
                           size_text(glb_bytes) +
                           ", more than the 4 GiB that a .glb file can hold (play fewer frames, "
                           "or leave it out with " +
                           outputs_without({"glb"}) + "); nothing was written");
    const RecordingMemory memory =
        recording_memory(recorded, frames, recording_pieces(*document_), glb, html);
    const double limit = static_cast<double>(options_.max_memory);
    if (crew_bytes + memory.peak() > limit)
        return memory_failure(
            options_.scene + ": " + outputs + (glb && html ? " keep " : " keeps ") +
            count_text(agents) + " agents at each of " + count_text(frames) +
            " frames, which needs at least " + size_text(memory.peak()) + " besides the " +
            size_text(crew_bytes) + " of the crews, more than the memory limit of " +
            bytes_text(options_.max_memory) +
            " (raise it with --max-memory, play fewer frames, or leave " +
            (glb && html ? "them" : "it") + " out with " + outputs_without({"glb", "html"}) +
            "); nothing was written");
    kept_for_outputs_ = static_cast<size_t>(memory.peak());
    allocator().set_limit(options_.max_memory - kept_for_outputs_);
    return {};
}

Status RunPlan::begin() {
    install_interrupt_cleanup();
    if (Status begun = folder_.begin(); !begun) return begun;
    const RunStart start{folder_.staging(), *document_, generators_};
    for (const std::unique_ptr<RunWriter>& writer : writers_) {
        if (Status begun = writer->begin(start); !begun) return begun;
    }
    begun_ = std::chrono::steady_clock::now();
    return {};
}

Status RunPlan::play_frame(int32_t frame) {
    if (allocator().refusals() != refusals_) return out_of_memory("frame " + std::to_string(frame));
    PlayedFrame played;
    played.frame = frame;
    played.document = document_.get();
    for (SceneObject* generator : generators_) {
        const AgentRecordView view = view_agent_records(*generator);
        played.generators.push_back(
            {generator, view.records, view.count, generator->global_matrix()});
    }
    // The clock the pictures' drawing sees: this frame's.
    session_.host().set_clock(playback_clock(frames_.first, frame, scene_.fps));
    for (const std::unique_ptr<RunWriter>& writer : writers_) {
        if (Status recorded = writer->record(played); !recorded) return recorded;
    }
    return {};
}

// An object's Execute failed: the plug-in's memory limit, when it refused an allocation on the
// way, or else the plug-in itself.
Error RunPlan::execute_failed(const ExecutionFailure& failed) const {
    if (allocator().refusals() != refusals_)
        return out_of_memory("frame " + std::to_string(failed.frame));
    return failure(options_.scene + ": frame " + std::to_string(failed.frame) + ", object '" +
                   failed.object + "' (" + failed.type +
                   "): the plug-in failed to execute it; nothing was written");
}

Status RunPlan::play() {
    Status played;
    try {
        const UnwindReserve reserve;
        played = play_frames(
            session_.host(), *document_, frames_.first, frames_.last,
            options_.render ? PlayMode::Render : PlayMode::Play,
            [this](int32_t frame) { return play_frame(frame); },
            [this](const ExecutionFailure& failed) { return execute_failed(failed); });
    } catch (const std::bad_alloc&) {
        // The machine's memory, not the plug-in's limit: scene.glb and preview.html keep
        // every agent at every frame until the end.
        played = memory_failure(options_.scene +
                                ": there was not enough memory to keep the run for scene.glb "
                                "and preview.html (try --outputs csv); nothing was written");
    }
    if (!played) {
        for (const std::unique_ptr<RunWriter>& writer : writers_)
            writer->abandon();
    }
    return played;
}

Status RunPlan::finish() {
    RunEnd end;
    end.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
    end.console = session_.host().console();
    end.writing = [this](const std::string& file) { display_.phase("writing " + file); };
    try {
        const UnwindReserve reserve;
        for (const std::unique_ptr<RunWriter>& writer : writers_) {
            if (Status finished = writer->finish(end); !finished) return finished;
        }
        display_.phase("moving the results into " + folder_.target());
        return folder_.commit();
    } catch (const std::bad_alloc&) {
        return memory_failure(options_.scene +
                              ": there was not enough memory to write scene.glb and "
                              "preview.html (try --outputs csv); nothing was written");
    }
}

void RunPlan::print_summary() const {
    if (options_.quiet) return;
    std::string shown = folder_.target();
    while (shown.size() > 1 && shown.back() == '/')
        shown.pop_back();
    size_t agents = 0;
    for (const RunReport::Generator& generator : report_->report().generators)
        agents += generator.agents;
    const size_t pictures = pictures_ != nullptr ? pictures_->count() : 0;
    std::string files;
    for (const std::string& file : report_->report().files) {
        if (file == output_file("images"))
            files +=
                (files.empty() ? "" : ", ") + std::to_string(pictures) + " pictures in frames/";
        else
            files += (files.empty() ? "" : ", ") + file;
    }
    std::printf("played frames %d to %d (%s), %zu agents; results in %s/ (%s)\n", frames_.first,
                frames_.last, report_->report().mode.c_str(), agents, shown.c_str(), files.c_str());
    if (options_.outputs.count("html") != 0)
        std::printf("look at it: open %s/preview.html in a browser\n", shown.c_str());
    if (pictures > 0) std::printf("pictures: %s/frames/\n", shown.c_str());
}

} // namespace vantri
