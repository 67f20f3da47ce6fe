#include "app/RunProgress.h"

#include "scenefile/CrewSize.h"

#include <cstdio>
#include <unistd.h>

namespace vantri {

std::string count_text(uint64_t count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string size_text(double bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    int unit = 0;
    while (unit < 6 && bytes >= 1024) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

void CrewProgress::start(bool quiet, uint64_t agents) {
    if (quiet || agents < kLargeCrew) return;
    std::fprintf(stderr, "building crews of %s agents (%s of records)...\n",
                 count_text(agents).c_str(),
                 size_text(static_cast<double>(agents) * kAgentRecordBytes).c_str());
    std::fflush(stderr);
    const auto begun = std::chrono::steady_clock::now();
    ticker_ = std::thread([this, begun] {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!cv_.wait_for(lock, std::chrono::seconds(5), [this] { return done_; })) {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
            std::fprintf(stderr, "building crews: %.0f s\n", seconds);
            std::fflush(stderr);
        }
    });
}

void CrewProgress::finish() {
    if (!ticker_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    cv_.notify_one();
    ticker_.join();
}

bool ProgressWriter::isatty_stderr() {
    return isatty(2) != 0;
}

Status ProgressWriter::admit(const RunFrames& frames) {
    frames_ = frames;
    return {};
}

Status ProgressWriter::begin(const RunStart&) {
    begun_ = std::chrono::steady_clock::now();
    shown_ = begun_;
    crews_.start(quiet_, crew_agents_);
    return {};
}

Status ProgressWriter::record(const PlayedFrame& played) {
    crews_.finish();
    if (quiet_) return {};
    const int32_t frame = played.frame, first = frames_.first, last = frames_.last;
    const auto now = std::chrono::steady_clock::now();
    const bool final = frame == last;
    if (!final && now - shown_ < std::chrono::milliseconds(tty_ ? 100 : 5000)) return {};
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - begun_).count();
    const double done = static_cast<double>(frame) - first + 1;
    std::fprintf(stderr, "%sframe %d (%.0f of %.0f), %zu agents, %.1f frames/s%s", tty_ ? "\r" : "",
                 frame, done, static_cast<double>(last) - first + 1, played.agents(),
                 seconds > 0 ? done / seconds : 0.0, tty_ && !final ? "" : "\n");
    std::fflush(stderr);
    return {};
}

void ProgressWriter::abandon() {
    crews_.finish();
    if (!quiet_ && tty_) std::fputs("\n", stderr);
}

} // namespace vantri
