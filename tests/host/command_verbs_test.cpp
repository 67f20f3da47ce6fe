// The vantri command's first verbs, run as a person runs them.
#include "tests/support/CommandRun.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Outcome = vantri_test::CommandOutcome;
using vantri_test::run_vantri;

TEST(CommandVerbs, PluginsListsTheFiveTypesInRegistrationOrder) {
    const Outcome outcome = run_vantri("plugins");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    // One line per type, in registration order, each with its id, description and flags.
    size_t at = 0;
    for (const char* type : {"1027811   Crowd World        ocrowdworld       32780 (0x800C)",
                             "1027810   Crowd Generator    ocrowdgenerator   32780 (0x800C)",
                             "1027813   Crowd Behaviour    ocrowdbehav       8 (0x8)",
                             "1027812   Crowd Obstacle     ocrowdobstacle    8 (0x8)",
                             "1027814   Crowd Blend        ocrowdBlend       8 (0x8)"}) {
        at = outcome.output.find(type, at);
        ASSERT_NE(at, std::string::npos) << type << " missing or out of order:\n" << outcome.output;
    }
    EXPECT_NE(outcome.output.find("console:\n  \" \"\n  \" \"\n"), std::string::npos);
}

TEST(CommandVerbs, DescribeListsEveryGeneratorParameter) {
    const Outcome outcome = run_vantri("describe ocrowdgenerator");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    for (int id : {1001, 1002, 1003, 1004, 1006, 1010, 1017, 1018, 1019, 1020, 1021, 1022, 1023,
                   1024, 1025, 1026, 1027, 1031, 1034, 1035, 1036, 1037, 1039, 1040, 1041, 1042}) {
        const std::string line = "\n" + std::to_string(id) + "   CROWDGEN_";
        EXPECT_NE(outcome.output.find(line), std::string::npos) << "parameter " << id << " missing";
    }
}

TEST(CommandVerbs, MistakesSayWhatWentWrong) {
    Outcome outcome = run_vantri("describe onothing");
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_NE(outcome.output.find("no registered object type 'onothing'"), std::string::npos)
        << outcome.output;
    outcome = run_vantri("frobnicate");
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_NE(outcome.output.find("unknown verb 'frobnicate'"), std::string::npos);
    outcome = run_vantri("plugins --plugin /nonexistent/vantri.so");
    EXPECT_EQ(outcome.exit_code, 1);
    EXPECT_NE(outcome.output.find("/nonexistent/vantri.so: cannot load the plug-in module"),
              std::string::npos)
        << outcome.output;
}

TEST(CommandVerbs, EveryVerbHasHelpAndUsageMistakesExitTwo) {
    for (const char* verb : {"plugins", "describe", "run"}) {
        const Outcome help = run_vantri(std::string(verb) + " --help");
        EXPECT_EQ(help.exit_code, 0) << help.output;
        EXPECT_NE(help.output.find(std::string("Usage: vantri ") + verb), std::string::npos)
            << help.output;
        EXPECT_NE(help.output.find("--plugin PATH"), std::string::npos) << help.output;
    }
    EXPECT_NE(run_vantri("run --help").output.find("--max-memory BYTES"), std::string::npos);
    const Outcome top = run_vantri("--help");
    EXPECT_EQ(top.exit_code, 0);
    EXPECT_NE(top.output.find("describe"), std::string::npos);
    EXPECT_EQ(run_vantri("").exit_code, 2);

    struct Mistake {
        const char* arguments;
        const char* message;
    };
    for (const Mistake& mistake : {
             Mistake{"run s.json --end 1e3",
                     "vantri run: --end needs a whole frame number, not '1e3'"},
             Mistake{"run s.json --end 99999999999",
                     "vantri run: --end needs a whole frame number, not '99999999999'"},
             Mistake{"run s.json --outputs csv,pdf",
                     "vantri run: --outputs needs a comma-separated list of csv, glb, html and "
                     "images, or none, not 'csv,pdf'"},
             Mistake{"run s.json --out ''", "vantri run: --out needs a folder, not ''"},
             Mistake{"run s.json --start", "vantri run: --start"},
             Mistake{"run a.json b.json",
                     "vantri run: one scene file at a time ('a.json' and 'b.json')"},
             Mistake{"describe", "vantri describe: which object type?"},
             Mistake{"plugins extra", "vantri plugins: unexpected argument 'extra'"},
             Mistake{"plugins --verbose", "vantri plugins: unknown option '--verbose'"},
         }) {
        const Outcome outcome = run_vantri(mistake.arguments);
        EXPECT_EQ(outcome.exit_code, 2) << mistake.arguments << "\n" << outcome.output;
        EXPECT_EQ(outcome.output.rfind(mistake.message, 0), 0u) << mistake.arguments << "\n"
                                                                << outcome.output;
    }
}

} // namespace
