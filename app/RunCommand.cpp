// vantri run SCENE: builds a scene file's objects in the host, plays its frame range (or
// renders it), and writes every agent's motion (agents.csv) and a report (run.json) into
// the results folder, which appears only when the whole run succeeded.
#include "Commands.h"
#include "PluginSession.h"

#include "eval/Player.h"
#include "memory/Allocator.h"
#include "results/AgentRecords.h"
#include "results/AgentsCsv.h"
#include "results/OutputFolder.h"
#include "results/RunReport.h"
#include "scenefile/SceneBuilder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>

namespace vantri {

namespace {

constexpr int kExitPlugin = 1;
constexpr int kExitInput = 2;
constexpr int kExitMemory = 3;

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;
constexpr size_t kDefaultMemoryLimit = size_t(4) << 30;

const char* const kUsage =
    "usage: vantri run SCENE [--start F] [--end F] [--out DIR] [--render-mode] [--quiet]\n"
    "                        [--max-memory BYTES] [--plugin PATH]";

struct RunOptions {
    std::string scene;
    std::optional<int32_t> start, end;
    std::string out;
    bool render = false;
    bool quiet = false;
    size_t max_memory = kDefaultMemoryLimit;
};

bool parse_frame(const std::string& text, int32_t& frame) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX)
        return false;
    frame = static_cast<int32_t>(value);
    return true;
}

// "512M", "4G", "1000000" (bytes); binary multiples.
bool parse_bytes(const std::string& text, size_t& bytes) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || errno != 0 || text[0] == '-') return false;
    std::string suffix(end);
    if (suffix.size() == 3 && suffix.substr(1) == "iB") suffix = suffix.substr(0, 1);
    int shift = 0;
    if (suffix == "K" || suffix == "k")
        shift = 10;
    else if (suffix == "M")
        shift = 20;
    else if (suffix == "G")
        shift = 30;
    else if (suffix == "T")
        shift = 40;
    else if (!suffix.empty())
        return false;
    if (value == 0 || value > (~0ull >> shift)) return false;
    bytes = static_cast<size_t>(value << shift);
    return true;
}

std::string bytes_text(size_t bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (unit < 4 && bytes % 1024 == 0 && bytes >= 1024) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + " " + units[unit];
}

bool parse_options(std::vector<std::string> args, RunOptions& options, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&](const char* what) -> const std::string* {
            if (i + 1 >= args.size()) {
                error = arg + " needs " + what;
                return nullptr;
            }
            return &args[++i];
        };
        if (arg == "--render-mode") {
            options.render = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--start" || arg == "--end") {
            const std::string* text = value("a frame number");
            if (text == nullptr) return false;
            int32_t frame = 0;
            if (!parse_frame(*text, frame)) {
                error = arg + " needs a whole frame number, not '" + *text + "'";
                return false;
            }
            (arg == "--start" ? options.start : options.end) = frame;
        } else if (arg == "--out") {
            const std::string* text = value("a folder");
            if (text == nullptr) return false;
            if (text->empty()) {
                error = "--out needs a folder";
                return false;
            }
            options.out = *text;
        } else if (arg == "--max-memory") {
            const std::string* text = value("a size such as 512M or 4G");
            if (text == nullptr) return false;
            if (!parse_bytes(*text, options.max_memory)) {
                error = "--max-memory needs a size above 0 such as 512M or 4G, not '" + *text + "'";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else if (options.scene.empty()) {
            options.scene = arg;
        } else {
            error = "one scene file at a time ('" + options.scene + "' and '" + arg + "')";
            return false;
        }
    }
    if (options.scene.empty()) {
        error = "which scene file?";
        return false;
    }
    if (options.out.empty())
        options.out =
            (std::filesystem::path("out") / std::filesystem::path(options.scene).stem()).string();
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

/// Thrown from inside the frame loop when the host's allocator refused memory.
struct OutOfMemory {
    int32_t frame;
};

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "vantri run: %s\n", message.c_str());
    return code;
}

} // namespace

int run_command(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    std::string error;
    const std::string module_path = PluginSession::take_module_option(args, error);
    RunOptions options;
    if (!error.empty() || !parse_options(args, options, error))
        return fail(kExitInput, error + "\n" + kUsage);

    SceneFile scene;
    if (!load_scene_file(options.scene, scene, error)) return fail(kExitInput, error);
    const int32_t first = options.start.value_or(scene.start);
    const int32_t last = options.end.value_or(scene.end);
    if (last < first)
        return fail(kExitInput, options.scene + ": the frame range is empty: end " +
                                    std::to_string(last) + " comes before start " +
                                    std::to_string(first));
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
    if (!session.start(module_path, error)) {
        if (allocator().refusals() != refusals) return out_of_memory("starting the plug-in");
        return fail(kExitPlugin, error);
    }
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

    if (!folder.begin(error)) return fail(kExitPlugin, error);
    AgentsCsv csv;
    if (!csv.open(folder.staging() + "/agents.csv", error)) return fail(kExitPlugin, error);

    RunReport report;
    report.scene = options.scene;
    report.start = first;
    report.end = last;
    report.fps = scene.fps;
    report.mode = options.render ? "render" : "play";
    for (SceneObject* generator : generators)
        report.generators.push_back({generator->name(), 0});

    Progress progress(options.quiet, first, last);
    const auto begun = std::chrono::steady_clock::now();
    try {
        play_range(session.host(), *document, first, last, options.render ? PlayMode::Render : PlayMode::Play,
                   [&](int32_t frame) {
                       if (allocator().refusals() != refusals) throw OutOfMemory{frame};
                       size_t agents = 0;
                       for (size_t g = 0; g < generators.size(); ++g) {
                           const std::vector<VtAgentRecord> records =
                               read_agent_records(*generators[g]);
                           csv.write_frame(frame, generators[g]->name(), records,
                                           generators[g]->global_matrix());
                           report.generators[g].agents = records.size();
                           agents += records.size();
                       }
                       progress.frame(frame, agents);
                   });
    } catch (const OutOfMemory& e) {
        progress.interrupt();
        return out_of_memory("frame " + std::to_string(e.frame));
    }
    report.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    report.console = session.host().console();

    if (!csv.close(error) || !report.write(folder.staging() + "/run.json", error) ||
        !folder.commit(error))
        return fail(kExitPlugin, error);
    if (!options.quiet) {
        std::string shown = folder.target();
        while (shown.size() > 1 && shown.back() == '/')
            shown.pop_back();
        size_t agents = 0;
        for (const RunReport::Generator& generator : report.generators)
            agents += generator.agents;
        std::printf(
            "played frames %d to %d (%s), %zu agents; results in %s/ (agents.csv, run.json)\n",
            first, last, report.mode.c_str(), agents, shown.c_str());
    }
    return 0;
}

} // namespace vantri
