// agents.csv's rows: every real reads back as the same double, written in its shortest form;
// rows and names survive the buffer whatever their length; a write that fails is reported.
#include "results/AgentsCsv.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <unistd.h>

namespace {

std::string temp_path(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("vantri-csv-" + std::to_string(getpid()) + "-" + name))
        .string();
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> split(const std::string& line, char by) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, by))
        parts.push_back(part);
    return parts;
}

// A double of any sign and magnitude, subnormals included, from random bits; no NaN.
double any_double(std::mt19937_64& random) {
    for (;;) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isnan(value)) return value;
    }
}

bool same_bits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(AgentsCsv, EveryRealReadsBackAsTheSameDouble) {
    std::mt19937_64 random(42);
    std::vector<VtAgentRecord> records(5000);
    const double special[] = {0.0,
                              -0.0,
                              0.1,
                              1.0 / 3.0,
                              5.0,
                              -2.5e-7,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::min(),
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::infinity()};
    for (size_t i = 0; i < records.size(); ++i) {
        VtAgentRecord& r = records[i];
        std::memset(&r, 0, sizeof r);
        double* fields[] = {&r.mg.off.x,   &r.mg.off.y,   &r.mg.off.z, &r.rotation.x,
                            &r.rotation.y, &r.rotation.z, &r.speed,    &r.max_speed};
        // The first rows hold one special value in every field.
        for (double* field : fields)
            *field = i < 10 ? special[i] : any_double(random);
        r.waiting = static_cast<int32_t>(i % 2);
    }
    // A generator turned and moved, so that positions go through the matrix.
    const VtMatrix mg{{10, -20, 30}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}};
    const std::string path = temp_path("reals.csv");
    vantri::AgentsCsv csv;
    const vantri::Status opened = csv.open(path);
    ASSERT_TRUE(opened) << opened.message();
    csv.write_frame(12, "crowd", records, mg);
    const vantri::Status closed = csv.close();
    ASSERT_TRUE(closed) << closed.message();

    const std::vector<std::string> lines = split(read_file(path), '\n');
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), records.size() + 1);
    EXPECT_EQ(lines[0], vantri::AgentsCsv::header());
    for (size_t i = 0; i < records.size(); ++i) {
        const std::vector<std::string> f = split(lines[i + 1], ',');
        ASSERT_EQ(f.size(), 12u) << lines[i + 1];
        EXPECT_EQ(f[0], "12");
        EXPECT_EQ(f[1], "crowd");
        EXPECT_EQ(f[2], std::to_string(i));
        const VtAgentRecord& r = records[i];
        const VtVector p = vantri::transform_point(mg, r.mg.off);
        const double want[] = {p.x,          p.y,          p.z,     r.rotation.x,
                               r.rotation.y, r.rotation.z, r.speed, r.max_speed};
        for (int j = 0; j < 8; ++j) {
            const std::string& text = f[static_cast<size_t>(3 + j)];
            const double got = std::strtod(text.c_str(), nullptr);
            if (std::isnan(want[j])) {
                EXPECT_TRUE(std::isnan(got)) << text;
            } else {
                EXPECT_TRUE(same_bits(got, want[j]))
                    << "row " << i << " field " << j << ": " << text;
            }
        }
        EXPECT_EQ(f[11], std::to_string(r.waiting));
    }
    // The shortest forms, not seventeen digits.
    const std::vector<std::string> first = split(lines[1], ',');
    EXPECT_EQ(first[6], "0");
    EXPECT_EQ(split(lines[2], ',')[6], "-0");
    EXPECT_EQ(split(lines[3], ',')[6], "0.1");
    EXPECT_EQ(split(lines[4], ',')[6], "0.3333333333333333");
    EXPECT_EQ(split(lines[5], ',')[6], "5");
    EXPECT_EQ(split(lines[6], ',')[6], "-2.5e-07");
}

TEST(AgentsCsv, RowsAndNamesSurviveTheBufferWhateverTheirLength) {
    VtAgentRecord record;
    std::memset(&record, 0, sizeof record);
    record.speed = 1.5;
    const VtMatrix identity{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const std::string long_name(3 << 20, 'x');
    const std::string path = temp_path("long.csv");
    vantri::AgentsCsv csv;
    const vantri::Status opened = csv.open(path);
    ASSERT_TRUE(opened) << opened.message();
    const std::vector<VtAgentRecord> many(100000, record);
    csv.write_frame(1, "a, \"quoted\" name", many, identity);
    csv.write_frame(2, long_name, many.data(), 3, identity);
    csv.write_frame(3, "after", many.data(), 1, identity);
    const vantri::Status closed = csv.close();
    ASSERT_TRUE(closed) << closed.message();
    const std::vector<std::string> lines = split(read_file(path), '\n');
    std::remove(path.c_str());
    ASSERT_EQ(lines.size(), 1u + 100000 + 3 + 1);
    EXPECT_EQ(lines[1], "1,\"a, \"\"quoted\"\" name\",0,0,0,0,0,0,0,1.5,0,0");
    EXPECT_EQ(lines[100000], "1,\"a, \"\"quoted\"\" name\",99999,0,0,0,0,0,0,1.5,0,0");
    EXPECT_EQ(lines[100001], "2," + long_name + ",0,0,0,0,0,0,0,1.5,0,0");
    EXPECT_EQ(lines[100003], "2," + long_name + ",2,0,0,0,0,0,0,1.5,0,0");
    EXPECT_EQ(lines[100004], "3,after,0,0,0,0,0,0,0,1.5,0,0");
}

TEST(AgentsCsv, AWriteThatFailsIsReportedAtTheClose) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    VtAgentRecord record;
    std::memset(&record, 0, sizeof record);
    const VtMatrix identity{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    vantri::AgentsCsv csv;
    const vantri::Status opened = csv.open("/dev/full");
    ASSERT_TRUE(opened) << opened.message();
    csv.write_frame(0, "crowd", std::vector<VtAgentRecord>(10, record), identity);
    const vantri::Status closed = csv.close();
    ASSERT_FALSE(closed);
    EXPECT_NE(closed.message().find("/dev/full: could not write the file"), std::string::npos)
        << closed.message();
}

} // namespace
