// What a run shows on stderr while it plays, as one more writer of the run (RunWriter.h):
// while the first frame builds a large crew, a line saying so and the time taken every few
// seconds; then the frame counter, rewritten in place on a terminal, otherwise a line every
// few seconds, and the last frame always. Nothing with --quiet.
#pragma once

#include "results/RunWriter.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vantri {

/// "1,000,000".
std::string count_text(uint64_t count);
/// "5.2 GiB".
std::string size_text(double bytes);

/// The "building crews" line and its ticker, from start() until finish().
class CrewProgress {
  public:
    static constexpr uint64_t kLargeCrew = 100000;

    /// Says so and starts the ticker when `agents` make a large crew.
    void start(bool quiet, uint64_t agents);
    /// The first frame is done.
    void finish();
    ~CrewProgress() { finish(); }

  private:
    std::thread ticker_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
};

class ProgressWriter : public RunWriter {
  public:
    explicit ProgressWriter(bool quiet) : quiet_(quiet), tty_(isatty_stderr()) {}
    /// The agents the crews will hold, known once the scene is built.
    void set_crew_agents(uint64_t agents) { crew_agents_ = agents; }

    Status admit(const RunFrames& frames) override;
    Status begin(const RunStart& start) override;
    Status record(const PlayedFrame& frame) override;
    /// Ends a line left open on a terminal.
    void abandon() override;

  private:
    static bool isatty_stderr();

    bool quiet_, tty_;
    RunFrames frames_;
    uint64_t crew_agents_ = 0;
    CrewProgress crews_;
    std::chrono::steady_clock::time_point begun_, shown_;
};

} // namespace vantri
