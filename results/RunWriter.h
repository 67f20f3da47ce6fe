// The one interface of everything a run writes or checks as it plays (agents.csv, the
// recording behind scene.glb and preview.html, the pictures, run.json, the finite check, the
// progress on stderr). The run plan (app/RunPlan.cpp) takes each writer through the same
// phases, in the order the writers were given:
//
//   admit   before anything is written or built: refuses a run the writer cannot take
//           (a picture of a frame that is not played);
//   begin   the scene is built and the staging folder exists: opens files, finds shapes;
//   record  after every evaluated frame, with the generators' records as they stand;
//   finish  after the last frame: writes what is left into the staging folder, saying which
//           file it begins (RunEnd::begin_file);
//   abandon the play stopped before its last frame: nothing more will come.
//
// The first failure of any writer in any phase ends the run with that writer's Error; the
// plan turns its kind into the exit code. Since every writer sees every phase, the progress
// on stderr is one more writer (app/RunProgress.h) and can say what each phase does. A
// writer is tested alone by calling the phases.
#pragma once

#include "host/Status.h"
#include "results/AgentRecords.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantri {

class Document;

/// The frames a run plays, first to last, both included.
struct RunFrames {
    int32_t first = 0;
    int32_t last = 0;
};

/// What a writer may use from begin on.
struct RunStart {
    const std::string& folder; ///< the staging folder, where every file goes
    const Document& document;
    const std::vector<SceneObject*>& generators; ///< in scene order
};

/// One generator's records after a frame, in place (valid until the next frame).
struct GeneratorFrame {
    const SceneObject* generator = nullptr;
    const VtAgentRecord* records = nullptr;
    size_t count = 0;
    VtMatrix matrix{}; ///< the generator's global matrix
};

/// One evaluated frame.
struct PlayedFrame {
    int32_t frame = 0;
    Document* document = nullptr;
    std::vector<GeneratorFrame> generators; ///< in scene order
    /// Every generator's agents together.
    size_t agents() const;
};

/// How the play ended, for what is written at the finish.
struct RunEnd {
    double wall_seconds = 0.0;
    std::vector<std::string> console; ///< the plug-in's console lines
    /// Told the name of each file as a writer begins to write it (the progress on stderr
    /// shows it, and the time it takes); may be empty.
    std::function<void(const std::string& file)> writing;
    /// Tells `writing`, if there is one.
    void begin_file(const std::string& file) const {
        if (writing) writing(file);
    }
};

class RunWriter {
  public:
    virtual ~RunWriter() = default;
    virtual Status admit(const RunFrames& frames);
    virtual Status begin(const RunStart& start);
    virtual Status record(const PlayedFrame& frame) = 0;
    virtual Status finish(const RunEnd& end);
    virtual void abandon();
};

} // namespace vantri
