// The progress on stderr as one more writer of the run (results/RunWriter.h): the frames
// begin with the writer, after the crews when they are large, and each played frame is
// counted. The phases before and after the frames (reading, building, writing the files) are
// said by the run plan itself through the same display (app/ProgressDisplay.h).
#pragma once

#include "app/ProgressDisplay.h"
#include "app/QuantityText.h"
#include "results/RunWriter.h"

#include <cstdint>

namespace vantri {

class ProgressWriter : public RunWriter {
  public:
    /// A crew this large takes a while to build in the first frame, and says so.
    static constexpr uint64_t kLargeCrew = 100000;

    /// Shows on `display`, which outlives the writer.
    explicit ProgressWriter(ProgressDisplay& display) : display_(display) {}
    /// The agents the crews will hold, known once the scene is built.
    void set_crew_agents(uint64_t agents) { crew_agents_ = agents; }

    Status admit(const RunFrames& frames) override;
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;
    void abandon() override;

  private:
    ProgressDisplay& display_;
    RunFrames frames_;
    uint64_t crew_agents_ = 0;
};

} // namespace vantri
