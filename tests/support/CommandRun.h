// Running the built vantri command as a person does, for the tests of its verbs and of whole
// runs; and running a bundled example (`vantri run examples/NAME.json`) and reading the
// agents.csv it wrote, for the tests that check each example's result.
#pragma once

#include "abi/host_abi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vantri_test {

struct CommandOutcome {
    int exit_code = -1;
    std::string output; ///< stdout and stderr together
};

/// Runs `vantri arguments` with `prefix` before it (such as "timeout 60 ").
inline CommandOutcome run_vantri_prefixed(const std::string& prefix, const std::string& arguments) {
    const std::string command = prefix + std::string(VANTRI_COMMAND) + " " + arguments + " 2>&1";
    CommandOutcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.output.append(buffer, n);
    const int status = pclose(pipe);
    outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

inline CommandOutcome run_vantri(const std::string& arguments) {
    return run_vantri_prefixed("", arguments);
}

/// One row of agents.csv.
struct AgentRow {
    int frame = 0;
    std::string generator;
    int agent = 0;
    double x = 0, y = 0, z = 0;
    double heading = 0, pitch = 0, bank = 0;
    double speed = 0, max_speed = 0;
    int waiting = 0;

    VtVector position() const { return VtVector{x, y, z}; }
    VtVector rotation() const { return VtVector{heading, pitch, bank}; }
};

/// The cells of one CSV line; a quoted cell may hold commas.
inline std::vector<std::string> split_csv_line(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.push_back(cell);
    return cells;
}

/// The rows of the agents.csv at `path`, in file order; none when it cannot be read.
inline std::vector<AgentRow> read_agents_csv(const std::string& path) {
    std::vector<AgentRow> rows;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        const std::vector<std::string> f = split_csv_line(line);
        if (f.size() < 12) continue;
        AgentRow row;
        row.frame = std::stoi(f[0]);
        row.generator = f[1];
        row.agent = std::stoi(f[2]);
        row.x = std::stod(f[3]);
        row.y = std::stod(f[4]);
        row.z = std::stod(f[5]);
        row.heading = std::stod(f[6]);
        row.pitch = std::stod(f[7]);
        row.bank = std::stod(f[8]);
        row.speed = std::stod(f[9]);
        row.max_speed = std::stod(f[10]);
        row.waiting = std::stoi(f[11]);
        rows.push_back(row);
    }
    return rows;
}

} // namespace vantri_test

namespace vantri_example {

using vantri_test::AgentRow;

/// What one example run wrote: every row, and the rows by frame.
struct ExampleResult {
    int exit_code = -1;
    std::string output;
    std::filesystem::path folder;
    std::vector<AgentRow> rows;

    /// The rows of one frame, in file order.
    std::vector<AgentRow> frame(int number) const {
        std::vector<AgentRow> out;
        for (const AgentRow& row : rows)
            if (row.frame == number) out.push_back(row);
        return out;
    }
    int last_frame() const { return rows.empty() ? -1 : rows.back().frame; }
    /// Every frame's rows, in file order, by frame number.
    std::map<int, std::vector<AgentRow>> by_frame() const {
        std::map<int, std::vector<AgentRow>> frames;
        for (const AgentRow& row : rows)
            frames[row.frame].push_back(row);
        return frames;
    }
};

/// Runs examples/`name`.json into a fresh folder and reads its agents.csv.
inline ExampleResult run_example(const std::string& name, const std::string& extra = "") {
    ExampleResult result;
    result.folder = std::filesystem::temp_directory_path() /
                    ("vantri-example-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(result.folder);
    const vantri_test::CommandOutcome outcome =
        vantri_test::run_vantri("run " + std::string(VANTRI_SOURCE_DIR) + "/examples/" + name +
                                ".json --quiet --out " + result.folder.string() + " " + extra);
    result.exit_code = outcome.exit_code;
    result.output = outcome.output;

    result.rows = vantri_test::read_agents_csv((result.folder / "agents.csv").string());
    return result;
}

/// Removes the run's folder when the test ends.
struct RemoveFolder {
    std::filesystem::path folder;
    ~RemoveFolder() { std::filesystem::remove_all(folder); }
};

inline double horizontal_distance(const AgentRow& a, const AgentRow& b) {
    return std::hypot(a.x - b.x, a.z - b.z);
}

/// What every example must get right before its own checks: the run succeeded and wrote
/// frames 0 to `last_frame`, each with `agents` rows, every value finite and no agent faster
/// than its top speed.
inline void expect_complete_run(const ExampleResult& run, int last_frame, size_t agents) {
    ASSERT_EQ(run.exit_code, 0) << run.output;
    ASSERT_EQ(run.rows.size(), static_cast<size_t>(last_frame + 1) * agents);
    ASSERT_EQ(run.last_frame(), last_frame);
    for (size_t i = 0; i < run.rows.size(); ++i) {
        const AgentRow& row = run.rows[i];
        ASSERT_EQ(row.frame, static_cast<int>(i / agents)) << "row " << i;
        ASSERT_TRUE(std::isfinite(row.x) && std::isfinite(row.y) && std::isfinite(row.z) &&
                    std::isfinite(row.heading) && std::isfinite(row.pitch) &&
                    std::isfinite(row.bank) && std::isfinite(row.speed))
            << "frame " << row.frame << " " << row.generator << " agent " << row.agent;
        ASSERT_LE(row.speed, row.max_speed)
            << "frame " << row.frame << " " << row.generator << " agent " << row.agent;
    }
}

} // namespace vantri_example
