#include "app/ProgressDisplay.h"

#include "app/QuantityText.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <new>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>

namespace vantri {

namespace {

/// "4.0", "12", "0.25": the frames per second, with two or three figures.
std::string rate_text(double rate) {
    char text[32];
    std::snprintf(text, sizeof text, rate >= 100 ? "%.0f" : rate >= 1 ? "%.1f" : "%.2g", rate);
    return text;
}

/// `text` cut to fit `columns` (a line that wraps cannot be rewritten in place), at a
/// character's start.
std::string fitted(const std::string& text, size_t columns) {
    if (columns < 2 || text.size() < columns) return text;
    size_t cut = columns - 1;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

} // namespace

ProgressConsole stderr_console() {
    ProgressConsole console;
    console.seconds = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    console.terminal = isatty(2) != 0;
    winsize size{};
    if (console.terminal && ioctl(2, TIOCGWINSZ, &size) == 0) console.columns = size.ws_col;
    console.write = [](const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    };
    return console;
}

ProgressDisplay::ProgressDisplay(bool quiet, ProgressConsole console)
    : quiet_(quiet), console_(std::move(console)) {
    drawn_at_ = logged_at_ = now();
}

ProgressDisplay::~ProgressDisplay() {
    stop_ticker();
    // A run left by an exception: the next text starts on a line of its own.
    if (drawn_width_ != 0) console_.write("\n");
}

void ProgressDisplay::start_ticker() {
    if (quiet_ || ticker_.joinable()) return;
    try {
        ticker_ = std::thread([this] {
            std::unique_lock<std::mutex> lock(ticker_mutex_);
            const auto period = std::chrono::duration<double>(kTickerPeriod);
            while (!ticker_wake_.wait_for(lock, period, [this] { return ticker_stop_; })) {
                lock.unlock();
                try {
                    tick();
                } catch (const std::bad_alloc&) {
                    // This status line is skipped for want of memory; the next tick tries again.
                }
                lock.lock();
            }
        });
    } catch (const std::system_error&) {
        // No thread to spare: the status still changes with every phase and frame.
    }
}

void ProgressDisplay::stop_ticker() {
    if (!ticker_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(ticker_mutex_);
        ticker_stop_ = true;
    }
    ticker_wake_.notify_one();
    ticker_.join();
}

std::string ProgressDisplay::status(double now, bool with_time_left) const {
    const double elapsed = now - phase_begun_;
    const std::string taken = elapsed >= kKeptPhase ? ": " + duration_text(elapsed) : "";
    if (phase_ == Phase::Named) return name_ + taken;
    if (phase_ != Phase::Frames) return {};
    if (frames_done_ == 0)
        return "playing frames " + std::to_string(first_) + " to " + std::to_string(last_) + taken;
    const double total = static_cast<double>(last_) - first_ + 1;
    std::string text = "frame " + std::to_string(frame_) + " (" + std::to_string(frames_done_) +
                       " of " + std::to_string(static_cast<uint64_t>(total)) + "), " +
                       count_text(agents_) + " agents";
    // The first frame also builds the crews: the rate is of the frames after it.
    if (frames_done_ < 2 || last_frame_at_ <= first_frame_at_) return text;
    const double rate = static_cast<double>(frames_done_ - 1) / (last_frame_at_ - first_frame_at_);
    text += ", " + rate_text(rate) + " frames/s";
    const double left_frames = total - static_cast<double>(frames_done_);
    if (with_time_left && left_frames > 0)
        text += ", " + duration_text(std::max(left_frames / rate - (now - last_frame_at_), 0.0)) +
                " left";
    return text;
}

void ProgressDisplay::draw(const std::string& line, double now) {
    const std::string text = fitted(line, console_.columns);
    std::string out = "\r" + text;
    if (drawn_width_ > text.size()) out.append(drawn_width_ - text.size(), ' ');
    console_.write(out);
    drawn_width_ = std::max<size_t>(text.size(), 1);
    drawn_at_ = now;
}

void ProgressDisplay::clear() {
    if (drawn_width_ == 0) return;
    console_.write("\r" + std::string(drawn_width_, ' ') + "\r");
    drawn_width_ = 0;
}

void ProgressDisplay::keep() {
    if (drawn_width_ == 0) return;
    console_.write("\n");
    drawn_width_ = 0;
}

void ProgressDisplay::log_line(const std::string& text, double now) {
    console_.write(text + "\n");
    logged_at_ = now;
    mentioned_ = true;
}

void ProgressDisplay::end_phase(double now, bool finished) {
    const double elapsed = now - phase_begun_;
    const bool long_enough = elapsed >= kKeptPhase;
    if (phase_ == Phase::Named) {
        const std::string ended = name_ + ": done in " + duration_text(elapsed);
        if (console_.terminal && long_enough) {
            draw(finished ? ended : status(now, true), now);
            keep();
        } else if (!console_.terminal && finished && mentioned_) {
            log_line(ended, now);
        }
    } else if (phase_ == Phase::Frames && console_.terminal) {
        // Frames that stop before the last keep their line: it says where they stopped.
        if (frames_done_ > 0 || long_enough) {
            draw(status(now, false), now);
            keep();
        }
    }
    clear();
    phase_ = Phase::None;
}

void ProgressDisplay::phase(const std::string& name, bool announced) {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    const double t = now();
    end_phase(t, true);
    begin_named(name, announced, t);
}

void ProgressDisplay::begin_named(const std::string& name, bool announced, double t) {
    phase_ = Phase::Named;
    name_ = name;
    phase_begun_ = t;
    mentioned_ = false;
    if (console_.terminal)
        draw(name_, t);
    else if (announced)
        log_line(name_ + "...", t);
}

void ProgressDisplay::frames(int32_t first, int32_t last, const std::string& before) {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    const double t = now();
    end_phase(t, true);
    first_ = first;
    last_ = last;
    frames_done_ = 0;
    if (!before.empty()) {
        begin_named(before, true, t);
        return;
    }
    phase_ = Phase::Frames;
    phase_begun_ = t;
    if (console_.terminal) draw(status(t, true), t);
}

void ProgressDisplay::frame(int32_t frame, size_t agents) {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    const double t = now();
    if (phase_ != Phase::Frames) {
        // The first frame ends the wait for the crews.
        end_phase(t, true);
        phase_ = Phase::Frames;
        phase_begun_ = t;
    }
    ++frames_done_;
    frame_ = frame;
    agents_ = agents;
    if (frames_done_ == 1) first_frame_at_ = t;
    last_frame_at_ = t;
    if (frame == last_) {
        const std::string line = status(t, false);
        if (console_.terminal) {
            draw(line, t);
            keep();
        } else {
            log_line(line, t);
        }
        phase_ = Phase::None;
        return;
    }
    if (console_.terminal) {
        if (t - drawn_at_ >= kFrameRedraw || frames_done_ == 1) draw(status(t, true), t);
    } else if (t - logged_at_ >= kLogCadence) {
        log_line(status(t, true), t);
    }
}

void ProgressDisplay::message(const std::string& line) {
    const std::lock_guard<std::mutex> lock(mutex_);
    clear();
    console_.write(line + "\n");
    if (console_.terminal && !quiet_ && phase_ != Phase::None) {
        const double t = now();
        draw(status(t, true), t);
    }
}

void ProgressDisplay::tick() {
    if (quiet_) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (phase_ == Phase::None) return;
    const double t = now();
    if (console_.terminal) {
        if (t - drawn_at_ >= kTerminalRedraw) draw(status(t, true), t);
    } else if (t - logged_at_ >= kLogCadence) {
        log_line(status(t, true), t);
    }
}

void ProgressDisplay::done() {
    if (!quiet_) {
        const std::lock_guard<std::mutex> lock(mutex_);
        end_phase(now(), true);
    }
    stop_ticker();
}

void ProgressDisplay::abandon() {
    if (!quiet_) {
        const std::lock_guard<std::mutex> lock(mutex_);
        end_phase(now(), false);
    }
    stop_ticker();
}

} // namespace vantri
