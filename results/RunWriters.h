// The writers of a run (RunWriter.h): one per output, each small and usable alone.
#pragma once

#include "results/AgentsCsv.h"
#include "results/FramePictures.h"
#include "results/RunRecording.h"
#include "results/RunReport.h"
#include "results/RunWriter.h"

#include <memory>

namespace vantri {

/// Stops the run at the first agent field that is inf or nan (FiniteRecords.h), before any
/// later writer sees the frame: OutOfRange, "SCENE: frame F, generator 'G', agent A: FIELD
/// came out as V, ...".
class FiniteCheck : public RunWriter {
  public:
    explicit FiniteCheck(std::string scene) : scene_(std::move(scene)) {}
    Status record(const PlayedFrame& frame) override;

  private:
    std::string scene_;
};

/// agents.csv.
class CsvWriter : public RunWriter {
  public:
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;
    Status finish(const RunEnd& end) override;

  private:
    AgentsCsv csv_;
};

/// The run kept for scene.glb and preview.html, written at the finish: either or both.
class RecordingWriter : public RunWriter {
  public:
    RecordingWriter(std::string scene, bool glb, bool html)
        : scene_(std::move(scene)), glb_(glb), html_(html) {}
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;
    Status finish(const RunEnd& end) override;

    const RunRecording& recording() const { return recording_; }

  private:
    std::string scene_;
    bool glb_, html_;
    std::string folder_;
    RunRecording recording_;
    size_t shapes_checked_ = 0;

    /// The shapes made since the last check must fit the files' 32-bit floats.
    Status check_new_shapes();
};

/// The pictures of the frames a schedule names, into frames/.
class PictureWriter : public RunWriter {
  public:
    struct Look {
        CameraView camera = CameraView::Top;
        int32_t width = 800, height = 600;
        bool svg = false;
    };
    PictureWriter(PictureSchedule schedule, Look look)
        : schedule_(std::move(schedule)), look_(look) {}
    /// Input: a listed frame outside the frames played.
    Status admit(const RunFrames& frames) override;
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;

    /// Pictures written so far.
    size_t count() const { return pictures_ ? pictures_->count() : 0; }

  private:
    PictureSchedule schedule_;
    Look look_;
    int32_t first_ = 0;
    std::unique_ptr<FramePictures> pictures_;
};

/// run.json: the report, with each generator's agents at the last frame, the wall time and
/// the console filled in as the run goes.
class ReportWriter : public RunWriter {
  public:
    explicit ReportWriter(RunReport report) : report_(std::move(report)) {}
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;
    Status finish(const RunEnd& end) override;

    const RunReport& report() const { return report_; }

  private:
    RunReport report_;
    std::string folder_;
};

} // namespace vantri
