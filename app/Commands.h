// The verbs of the vantri command. Each verb adds its options to its CLI11 subcommand
// (add_*_options) and then runs from the parsed options, returning the process's exit
// code, which exit_code (CommandLine.h) decides from the failure's kind: 0 success, 1 the
// plug-in failed, 2 bad input, 3 out of memory, 4 a value the results cannot hold (inf or
// nan). docs/run-promises.md lists what each leaves on disk.
#pragma once

#include "app/CommandLine.h"

#include "results/FramePictures.h"
#include "scenefile/SceneSettings.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vantri {

struct PluginsOptions {
    std::string module_path;
};
void add_plugins_options(CLI::App& verb, PluginsOptions& options);
int plugins_command(const PluginsOptions& options);

struct DescribeOptions {
    std::string module_path;
    std::string type; ///< empty: every type (with json only)
    bool json = false;
};
void add_describe_options(CLI::App& verb, DescribeOptions& options);
/// Checks what CLI11 does not; an Input error for the command line's mistake.
Status check_describe_options(DescribeOptions& options, const std::vector<std::string>& leftover);
int describe_command(const DescribeOptions& options);

struct RunOptions {
    std::string module_path;
    std::string scene;
    std::optional<int32_t> start, end;
    std::string out; ///< empty: out/<scene's stem>
    bool render = false;
    bool quiet = false;
    size_t max_memory = size_t(4) << 30;
    /// --threads: the threads the host runs the plug-in's jobs on (default 2, or the machine's
    /// cores where it has fewer).
    std::optional<int32_t> threads;
    /// What the run writes besides run.json, which it always writes: csv, glb, html, images.
    std::set<std::string> outputs{"csv", "glb", "html"};
    /// --outputs as given, empty when it was not: an explicit list is what the run writes,
    /// the default one gains images when --images asks for pictures.
    std::string outputs_given;
    /// Parameter values that replace the scene file's (--set), in the order given.
    std::vector<SceneSetting> settings;
    /// Which frames get a picture (none unless --images says, or every 10th frame when
    /// --outputs lists images without --images), from which camera, how large, and whether an
    /// SVG drawing goes beside each.
    PictureSchedule pictures;
    CameraView camera = CameraView::Top;
    int32_t picture_width = 800, picture_height = 600;
    bool svg = false;
    /// The options given that say how pictures look, for the mistake of giving them when no
    /// picture is taken.
    std::vector<std::string> picture_options;
};
void add_run_options(CLI::App& verb, RunOptions& options);
/// Checks what CLI11 does not (one scene file, given the values it did not take) and fills
/// in the default results folder; an Input error for the command line's mistake.
Status check_run_options(RunOptions& options, const std::vector<std::string>& leftover);
int run_command(const RunOptions& options);

} // namespace vantri
