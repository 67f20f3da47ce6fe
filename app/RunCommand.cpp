// vantri run SCENE: builds a scene file's objects in the host (with the --set settings
// applied), plays its frame range (or renders it), and writes what --outputs asks for:
// every agent's motion (agents.csv), the run as a glTF scene (scene.glb) and a page that
// plays it (preview.html), pictures of chosen frames when asked (frames/), and always a
// report (run.json), into the results folder, which appears only when the whole run
// succeeded. The options are read here; the run itself is a plan (RunPlan.h).
#include "app/Commands.h"
#include "app/RunPlan.h"

#include "host/render/Raster.h"

#include <filesystem>
#include <optional>
#include <set>

namespace vantri {

namespace {

/// Pictures asked for by --outputs alone: every 10th frame from the first.
constexpr int32_t kDefaultPictureEvery = 10;

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
        for (const std::string& output : run_outputs())
            known = known || name == output;
        if (!known) return false;
        wanted.insert(name);
        begin = end + 1;
    }
    outputs = wanted;
    return true;
}

/// --start, --end, --out and --outputs.
void add_range_and_output_options(CLI::App& verb, RunOptions& options) {
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
}

/// --set, --render-mode, --quiet and --max-memory.
void add_play_options(CLI::App& verb, RunOptions& options) {
    verb.add_option_function<std::vector<std::string>>(
            "--set",
            [&options](const std::vector<std::string>& texts) {
                options.settings.clear();
                for (const std::string& text : texts) {
                    const Result<SceneSetting> setting = read_scene_setting(text);
                    if (!setting)
                        throw CLI::ValidationError("--set needs OBJECT.PARAMETER=VALUE, such as "
                                                   "crowd.CROWDGEN_SEED=7, not '" +
                                                   text + "'");
                    options.settings.push_back(*setting);
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
                               "the most memory the plug-in and the recording for scene.glb and "
                               "preview.html may take (default 4G)")
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
        "the threads the simulation runs on (default 2, or 1 on a machine of one core); the "
        "results are the same for every count")
        ->type_name("N");
}

/// --images, --camera, --image-size and --svg.
void add_picture_options(CLI::App& verb, RunOptions& options) {
    add_checked_option<PictureSchedule>(
        verb, "--images", options.pictures,
        [](const std::string& text, PictureSchedule& schedule) {
            Result<PictureSchedule> parsed = parse_picture_schedule(text);
            if (!parsed) return false;
            schedule = std::move(parsed).value();
            return true;
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
        "top, front, side or persp",
        "where the pictures are taken from: top (looking down, +X right, +Z up the picture), "
        "front (along +Z), side (along -X) or persp (from the front left, above); each picture "
        "is framed on the crowd (default: top)")
        ->type_name("top|front|side|persp");
    add_checked_option<int32_t>(
        verb, "--image-size", options.picture_width,
        [&options](const std::string& text, int32_t& width) {
            const Result<PictureSize> size = parse_picture_size(text);
            if (!size) return false;
            width = size->width;
            options.picture_height = size->height;
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
}

} // namespace

void add_run_options(CLI::App& verb, RunOptions& options) {
    verb.add_option("SCENE", options.scene, "the scene file to play")->type_name("");
    add_range_and_output_options(verb, options);
    add_play_options(verb, options);
    add_picture_options(verb, options);
    add_plugin_option(verb, options.module_path);
    verb.footer("Exit codes: 0 the results are in place; 1 the plug-in failed or the results could "
                "not be written; 2 a mistake in the scene file or the command line; 3 out of "
                "memory; 4 a value beyond the range of numbers. Any code but 0 leaves the results "
                "folder as it was (docs/run-promises.md).");
}

Status check_run_options(RunOptions& options, const std::vector<std::string>& leftover) {
    if (options.scene.empty()) return input_error("which scene file?");
    if (!leftover.empty())
        return input_error("one scene file at a time ('" + options.scene + "' and '" +
                           leftover.front() + "')");
    // Pictures: --images says which frames and brings images into the default outputs; an
    // explicit --outputs is what the run writes, so one that leaves images out contradicts
    // --images rather than dropping the pictures or quietly adding them.
    const bool listed = options.outputs.count("images") != 0;
    if (!options.pictures.empty() && !listed) {
        if (!options.outputs_given.empty())
            return input_error(
                "--images asks for pictures, but --outputs " + options.outputs_given +
                " leaves them out: add images to --outputs (--outputs " +
                (options.outputs_given == "none" ? std::string("images")
                                                 : options.outputs_given + ",images") +
                "), or drop --images");
        options.outputs.insert("images");
    }
    if (listed && options.pictures.empty()) options.pictures.every = kDefaultPictureEvery;
    if (options.pictures.empty() && !options.picture_options.empty())
        return input_error(options.picture_options.front() +
                           " says how pictures look, but no picture is taken: --images says "
                           "which frames get one (every:N or a list of frames), or add images "
                           "to --outputs for every 10th frame");
    if (options.out.empty())
        options.out =
            (std::filesystem::path("out") / std::filesystem::path(options.scene).stem()).string();
    return {};
}

int run_command(const RunOptions& options) {
    RunPlan plan(options);
    if (Status done = plan.run(); !done) return report_failure("vantri run", done.error());
    plan.print_summary();
    return ExitCode::Success;
}

} // namespace vantri
