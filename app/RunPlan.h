// `vantri run` as a plan: a few steps in a fixed order, each returning a Status, and the
// run's writers (results/RunWriter.h) taken through their phases along the way.
//
//   read      the scene file, the --set settings and the frame range;
//   admit     each writer's own check, the host meshes' size against --max-memory, then the
//             results folder's: still nothing written;
//   build     the plug-in started and the scene built in the host;
//   memory    every crew's records, and beside them the recording for scene.glb and
//             preview.html, must fit in --max-memory; the plug-in gets what the recording
//             leaves of it;
//   begin     the staging folder made and each writer begun;
//   play      every frame evaluated and recorded by each writer in turn;
//   finish    each writer finishes its files, and the staging folder takes the results
//             folder's place.
//
// The first step that fails ends the run with its Error; run_command turns it into the exit
// code and the one line on stderr.
#pragma once

#include "app/Commands.h"
#include "app/PluginSession.h"
#include "app/RunProgress.h"

#include "host/eval/FrameEvaluator.h"
#include "host/scene/Document.h"
#include "results/OutputFolder.h"
#include "results/RunWriters.h"
#include "scenefile/CrewSize.h"
#include "scenefile/SceneBuilder.h"

#include <memory>
#include <vector>

namespace vantri {

/// What a run can write besides run.json, which it always writes, in the order of its
/// report: csv, glb, html, images.
const std::vector<std::string>& run_outputs();
/// The file (or folder) an output writes: "agents.csv", ..., "frames/".
const char* output_file(const std::string& output);

class RunPlan {
  public:
    explicit RunPlan(const RunOptions& options);
    /// Every step in order; the results are in place when it succeeds.
    Status run();
    /// The summary on stdout of a run that succeeded (unless --quiet).
    void print_summary() const;

  private:
    Status read();
    Status admit();
    Status admit_meshes() const;
    Status build();
    Status admit_memory();
    Status admit_recording(const std::vector<CrewSize>& crews, double crew_bytes);
    Status begin();
    Status play();
    Status play_frame(int32_t frame);
    Status finish();

    void make_writers();
    /// The plug-in's memory limit was reached `when`.
    Error out_of_memory(const std::string& when) const;
    Error execute_failed(const ExecutionFailure& failed) const;

    const RunOptions& options_;
    SceneFile scene_;
    RunFrames frames_;
    OutputFolder folder_;
    uint64_t refusals_ = 0;
    /// What the recording for scene.glb and preview.html keeps out of the memory limit.
    size_t kept_for_outputs_ = 0;
    PluginSession session_;
    // After the session: the scene's objects go before the plug-in is unloaded.
    std::unique_ptr<Document> document_;
    std::vector<BuiltObject> objects_;
    std::vector<SceneObject*> generators_;
    ProgressDisplay display_; ///< the progress on stderr, through every step
    std::vector<std::unique_ptr<RunWriter>> writers_;
    ProgressWriter* progress_ = nullptr;
    PictureWriter* pictures_ = nullptr;
    ReportWriter* report_ = nullptr;
    std::chrono::steady_clock::time_point begun_;
};

} // namespace vantri
