// The progress of a model run, driven by a fake clock: the phases as the run plan says them,
// a large crew built in 30 s during the first frame, 1000 frames at about 4 a second, and the
// files written at the end, one of them slow. Checked on a terminal (through a small model
// of one) and in a log.
#include "app/RunProgress.h"

#include "host/scene/Document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace vantri {
namespace {

struct Written {
    double at;
    std::string text;
};

struct ModelRun {
    std::vector<Written> writes;
    std::vector<std::pair<std::string, double>> phases; ///< name and seconds taken
    double begun = 0, frames_end = 0, ended = 0;
};

constexpr double kTick = ProgressDisplay::kTickerPeriod;

ModelRun play_model_run(bool terminal, bool quiet) {
    ModelRun run;
    double now = 1000;
    ProgressConsole console;
    console.seconds = [&now] { return now; };
    console.terminal = terminal;
    console.columns = 120;
    console.write = [&](const std::string& text) { run.writes.push_back({now, text}); };
    ProgressDisplay display(quiet, console);
    // The ticker's ticks while `seconds` pass.
    const auto pass = [&](double seconds) {
        const double until = now + seconds;
        while (now + kTick < until) {
            now += kTick;
            display.tick();
        }
        now = until;
    };
    const auto phase = [&](const std::string& name, double seconds) {
        display.phase(name);
        run.phases.push_back({name, seconds});
        pass(seconds);
    };
    run.begun = now;
    phase("reading w.json", 0.2);
    display.phase("building the scene");
    pass(1.5);
    display.message("vantri run: warning: w.json: something to know");
    pass(1.5);
    run.phases.push_back({"building the scene", 3.0});

    ProgressWriter progress(display);
    progress.set_crew_agents(200000);
    const int32_t first = 1, last = 1000;
    EXPECT_TRUE(progress.admit({first, last}));
    Document document;
    const std::vector<SceneObject*> generators;
    EXPECT_TRUE(progress.begin({"staging", document, generators}));
    run.phases.push_back({"building crews of 200,000 agents", 30.0});
    pass(30.0);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> frame_seconds(0.2, 0.3);
    PlayedFrame played;
    played.generators.push_back({nullptr, nullptr, 200000, {}});
    for (int32_t frame = first; frame <= last; ++frame) {
        if (frame > first) pass(frame_seconds(random));
        played.frame = frame;
        EXPECT_TRUE(progress.record(played));
    }
    run.frames_end = now;

    RunEnd end;
    end.writing = [&](const std::string& file) { display.phase("writing " + file); };
    for (const auto& [file, seconds] :
         std::vector<std::pair<std::string, double>>{{"agents.csv", 0.01},
                                                     {"scene.glb", 25.0},
                                                     {"preview.html", 3.0},
                                                     {"run.json", 0.01}}) {
        end.begin_file(file);
        run.phases.push_back({"writing " + file, seconds});
        pass(seconds);
    }
    phase("moving the results into out", 0.01);
    display.done();
    run.ended = now;
    return run;
}

/// What a terminal shows after `writes`: its lines, trailing blanks dropped.
std::vector<std::string> screen(const std::vector<Written>& writes) {
    std::vector<std::string> lines(1);
    size_t column = 0;
    for (const Written& written : writes) {
        for (char c : written.text) {
            if (c == '\r') {
                column = 0;
            } else if (c == '\n') {
                lines.emplace_back();
                column = 0;
            } else {
                std::string& line = lines.back();
                if (line.size() <= column) line.resize(column + 1, ' ');
                line[column++] = c;
            }
        }
    }
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    return lines;
}

/// Seconds from "4.2 s", "12 s", "1 min 5 s", "2 h 10 min".
double seconds_of(const std::string& text) {
    std::istringstream in(text);
    double total = 0, value = 0;
    std::string unit;
    while (in >> value >> unit)
        total += value * (unit == "h" ? 3600 : unit == "min" ? 60 : 1);
    return total;
}

bool starts_with(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

/// A frame status in `text` ("frame 12 (13 of 1000), 200,000 agents, 4.0 frames/s, 32 s
/// left"), its counts in plain digits as the Blender add-on reads them: whether there is one,
/// and its rate and time left when shown (an empty text when not).
struct FrameStatus {
    bool found = false;
    std::string rate, left;
};

bool all_digits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

FrameStatus frame_status(const std::string& text) {
    FrameStatus status;
    const size_t at = text.find("frame ");
    const std::string counts_end = " of 1000), 200,000 agents";
    const size_t end = text.find(counts_end, at);
    if (at == std::string::npos || end == std::string::npos) return status;
    const std::string counts = text.substr(at + 6, end - at - 6); // "12 (13"
    const size_t space = counts.find(" (");
    if (space == std::string::npos || !all_digits(counts.substr(0, space)) ||
        !all_digits(counts.substr(space + 2)))
        return status;
    status.found = true;
    std::string rest = text.substr(end + counts_end.size());
    const size_t rate_end = rest.find(" frames/s");
    if (starts_with(rest, ", ") && rate_end != std::string::npos) {
        status.rate = rest.substr(2, rate_end - 2);
        rest = rest.substr(rate_end + 9);
    }
    const size_t left_end = rest.rfind(" left");
    if (starts_with(rest, ", ") && left_end != std::string::npos)
        status.left = rest.substr(2, left_end - 2);
    return status;
}

/// Every frame status shown: the rate counts the frames alone (each took 0.2 to 0.3 s, the
/// first one 30 s more), and the time left is near the time the frames went on to take.
void check_frame_statuses(const ModelRun& run) {
    int with_rate = 0, with_time_left = 0;
    for (const Written& written : run.writes) {
        const FrameStatus status = frame_status(written.text);
        if (!status.found) continue;
        if (!status.rate.empty()) {
            ++with_rate;
            const double rate = std::stod(status.rate);
            EXPECT_GE(rate, 3.3) << written.text;
            EXPECT_LE(rate, 5.0) << written.text;
        }
        if (!status.left.empty()) {
            ++with_time_left;
            const double truth = run.frames_end - written.at;
            EXPECT_NEAR(seconds_of(status.left), truth, 0.5 + 0.25 * truth) << written.text;
        }
    }
    EXPECT_GE(with_rate, 2);
    EXPECT_GE(with_time_left, 1);
}

TEST(RunProgress, AModelRunShowsEveryPhaseWithRateAndTimeLeft) {
    // On a terminal: one line rewritten in place, never still for more than 2 s; the slow
    // phases keep a line saying how long they took, the quick ones leave nothing behind.
    const ModelRun tty = play_model_run(true, false);
    check_frame_statuses(tty);
    double shown = tty.begun;
    for (const Written& written : tty.writes) {
        EXPECT_LE(written.at - shown, 2.0) << written.text;
        shown = written.at;
    }
    EXPECT_LE(tty.ended - shown, 2.0);
    std::vector<std::string> segments;
    for (const Written& written : tty.writes) {
        std::string segment;
        for (std::istringstream in(written.text); std::getline(in, segment, '\r');)
            segments.push_back(segment);
    }
    const std::vector<std::string> lines = screen(tty.writes);
    for (const auto& [name, seconds] : tty.phases) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(std::any_of(segments.begin(), segments.end(),
                                [&](const std::string& s) { return starts_with(s, name); }));
        const auto kept = std::find_if(lines.begin(), lines.end(),
                                       [&](const std::string& l) { return starts_with(l, name); });
        EXPECT_EQ(kept != lines.end(), seconds >= ProgressDisplay::kKeptPhase);
        if (kept != lines.end()) {
            EXPECT_NEAR(seconds_of(kept->substr(kept->find("done in ") + 8)), seconds, 0.3);
        }
    }
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "vantri run: warning: w.json: something to know"),
        lines.end());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) {
                                return starts_with(l,
                                                   "frame 1000 (1000 of 1000), 200,000 agents, ") &&
                                       l.find("left") == std::string::npos;
                            }),
              1);
    EXPECT_EQ(lines.back(), "") << "the terminal's line is cleared at the end";

    // In a log: whole lines, one about every 10 s; the crew is announced at once, the phases
    // that were mentioned say when they are done, and the last frame always has its line.
    const ModelRun log = play_model_run(false, false);
    check_frame_statuses(log);
    double logged = log.begun;
    std::string previous;
    for (const Written& written : log.writes) {
        SCOPED_TRACE(written.text);
        EXPECT_EQ(written.text.find('\r'), std::string::npos);
        EXPECT_EQ(written.text.find('\n'), written.text.size() - 1);
        EXPECT_LE(written.at - logged, ProgressDisplay::kLogCadence + kTick + 1e-9);
        const bool event = written.text.find("...") != std::string::npos ||
                           written.text.find("done in") != std::string::npos ||
                           written.text.find("(1000 of 1000)") != std::string::npos ||
                           starts_with(written.text, "vantri run: warning");
        if (!event) {
            EXPECT_GE(written.at - logged, ProgressDisplay::kLogCadence - 1e-9);
        }
        logged = written.at;
    }
    EXPECT_LE(log.ended - logged, ProgressDisplay::kLogCadence + kTick + 1e-9);
    EXPECT_TRUE(std::any_of(log.writes.begin(), log.writes.end(), [](const Written& w) {
        return starts_with(w.text, "building crews of 200,000 agents (") &&
               w.text.find(" of records)...\n") != std::string::npos;
    }));
    for (const char* done : {"building crews of 200,000 agents", "writing scene.glb"}) {
        EXPECT_TRUE(std::any_of(log.writes.begin(), log.writes.end(), [&](const Written& w) {
            return starts_with(w.text, done) && w.text.find("done in") != std::string::npos;
        })) << done;
    }

    // Quiet: nothing but the warning.
    const ModelRun quiet = play_model_run(true, true);
    ASSERT_EQ(quiet.writes.size(), 1u);
    EXPECT_EQ(quiet.writes[0].text, "vantri run: warning: w.json: something to know\n");
}

} // namespace
} // namespace vantri
