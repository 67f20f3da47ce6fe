// What `vantri run` shows on stderr as it goes, phase by phase: reading the scene, building
// it, building a large crew, the frames, and each file written at the end.
//
// On a terminal one status line is rewritten in place: the phase and the time it has taken,
// redrawn every second, so that no phase is silent; a phase that took a second or more
// leaves its line behind ("building the scene: done in 3.2 s"), a quicker one is replaced by
// the next. In a log (stderr not a terminal) the same status comes as a line about every
// 10 s, and a phase that was mentioned says when it is done. Both end the frames with a line
// about the last frame. The frame rate counts only the frames after the first, since the
// first one also builds the crews; the time left comes from that rate.
//
// The clock, the choice of terminal and the text's destination come in a ProgressConsole, so
// that a test can drive the display with a fake clock and read what it wrote; the ticker
// thread that calls tick() is started only for stderr.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantri {

/// Where the progress goes and how it is timed.
struct ProgressConsole {
    std::function<double()> seconds;               ///< a steady clock, in seconds
    bool terminal = false;                         ///< lines rewritten in place, else a log
    size_t columns = 0;                            ///< a terminal's width; 0 when unknown
    std::function<void(const std::string&)> write; ///< writes the text as it is, at once
};

/// stderr, timed by the steady clock.
ProgressConsole stderr_console();

class ProgressDisplay {
  public:
    static constexpr double kTerminalRedraw = 1.0; ///< seconds between redraws of a phase
    static constexpr double kFrameRedraw = 0.1;    ///< seconds between redraws of the frames
    static constexpr double kLogCadence = 10.0;    ///< seconds between a log's lines
    static constexpr double kKeptPhase = 1.0;      ///< a phase this long keeps its line
    static constexpr double kTickerPeriod = 0.25;  ///< seconds between the ticker's ticks

    /// With `quiet` nothing shows but message().
    ProgressDisplay(bool quiet, ProgressConsole console);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    /// A thread that calls tick() every kTickerPeriod of real time until done() or abandon().
    void start_ticker();
    /// A phase begins ("reading scene.json"), ending the one before. An `announced` phase is
    /// a known long wait, said at once in a log too.
    void phase(const std::string& name, bool announced = false);
    /// The frames `first` to `last` begin to play, ending the phase before. When `before`
    /// is given (a large crew to build), it is shown as an announced phase until the first
    /// frame is done.
    void frames(int32_t first, int32_t last, const std::string& before = {});
    /// `frame` was played with `agents` agents; the last frame ends the frames.
    void frame(int32_t frame, size_t agents);
    /// A line that always shows (a warning), even with quiet; the status line stays below it.
    void message(const std::string& line);
    /// Redraws the status when it is due; what the ticker calls.
    void tick();
    /// Every phase is over: ends the last one and the terminal's line.
    void done();
    /// The run stopped: a terminal keeps the status line where it stopped if it was up for a
    /// while (or showed a frame), else clears it.
    void abandon();

  private:
    enum class Phase { None, Named, Frames };

    double now() const { return console_.seconds(); }
    std::string status(double now, bool with_time_left) const;
    void begin_named(const std::string& name, bool announced, double now);
    void end_phase(double now, bool finished);
    void draw(const std::string& text, double now);
    void clear();
    void keep();
    void log_line(const std::string& text, double now);
    void stop_ticker();

    const bool quiet_;
    const ProgressConsole console_;
    mutable std::mutex mutex_;
    Phase phase_ = Phase::None;
    std::string name_;
    double phase_begun_ = 0;
    bool mentioned_ = false; ///< a log line named the phase
    int32_t first_ = 0, last_ = 0;
    uint64_t frames_done_ = 0;
    size_t agents_ = 0;
    int32_t frame_ = 0;
    double first_frame_at_ = 0, last_frame_at_ = 0;
    double drawn_at_ = 0, logged_at_ = 0;
    size_t drawn_width_ = 0; ///< the terminal's status line, 0 when there is none

    std::thread ticker_;
    std::mutex ticker_mutex_;
    std::condition_variable ticker_wake_;
    bool ticker_stop_ = false;
};

} // namespace vantri
