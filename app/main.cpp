// vantri: plays crowd scenes through the Vantri plug-in in a stand-in host.
#include "app/Commands.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace vantri;

/// One verb: its subcommand, a check of what CLI11 leaves to us (given the arguments it did
/// not take), and the work itself.
struct Verb {
    CLI::App* command = nullptr;
    std::function<Status(const std::vector<std::string>&)> check;
    std::function<int()> run;
};

/// The arguments CLI11 did not take: an unknown option is a mistake of every verb; a stray
/// value is left to the verb's own check.
Status check_options_known(const std::vector<std::string>& leftover) {
    for (const std::string& argument : leftover) {
        if (argument.size() > 1 && argument[0] == '-')
            return input_error("unknown option '" + argument + "'");
    }
    return {};
}

Status check_no_leftover(const std::vector<std::string>& leftover) {
    if (leftover.empty()) return {};
    return input_error("unexpected argument '" + leftover.front() + "'");
}

int usage_mistake(const std::string& who, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n(try '%s --help')\n", who.c_str(), message.c_str(), who.c_str());
    return exit_code(Fault::Input);
}

/// Every verb's options, filled in by the parse.
struct VerbOptions {
    PluginsOptions plugins;
    DescribeOptions describe;
    RunOptions run;
};

/// The verbs as subcommands of `app`, their options read into `options`.
std::vector<Verb> add_verbs(CLI::App& app, VerbOptions& options) {
    std::vector<Verb> verbs;
    {
        Verb verb;
        verb.command = app.add_subcommand(
            "plugins", "load the plug-in and list the object types it registers");
        add_plugins_options(*verb.command, options.plugins);
        verb.check = check_no_leftover;
        verb.run = [&options] { return plugins_command(options.plugins); };
        verbs.push_back(verb);
    }
    {
        Verb verb;
        verb.command = app.add_subcommand(
            "describe", "the parameters of a new object of TYPE (scene file name such as "
                        "generator, description "
                        "name, type id or display name), with their labels and units");
        add_describe_options(*verb.command, options.describe);
        verb.check = [&options](const std::vector<std::string>& leftover) {
            return check_describe_options(options.describe, leftover);
        };
        verb.run = [&options] { return describe_command(options.describe); };
        verbs.push_back(verb);
    }
    {
        Verb verb;
        verb.command = app.add_subcommand("run", "play a scene file and write the agents' motion");
        add_run_options(*verb.command, options.run);
        verb.check = [&options](const std::vector<std::string>& leftover) {
            return check_run_options(options.run, leftover);
        };
        verb.run = [&options] { return run_command(options.run); };
        verbs.push_back(verb);
    }
    app.footer("Each verb has its own --help.");
    for (Verb& verb : verbs) {
        verb.command->allow_extras();
        verb.command->set_help_flag("-h,--help", "this text");
    }
    return verbs;
}

int run_verb(int argc, char** argv) {
    CLI::App app("Plays crowd scenes through the Vantri plug-in in a stand-in host.", "vantri");
    app.allow_extras();
    app.set_help_flag("-h,--help", "this text");
    VerbOptions options;
    const std::vector<Verb> verbs = add_verbs(app, options);

    // The verb whose options were being read when a mistake was found names the message.
    const auto current_verb = [&]() -> const Verb* {
        for (const Verb& verb : verbs)
            if (verb.command->parsed()) return &verb;
        return nullptr;
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const Verb* verb = current_verb();
        std::fputs((verb != nullptr ? verb->command->help("vantri") : app.help()).c_str(), stdout);
        return ExitCode::Success;
    } catch (const CLI::ParseError& e) {
        const Verb* verb = current_verb();
        return usage_mistake(verb != nullptr ? "vantri " + verb->command->get_name() : "vantri",
                             e.what());
    }

    const Verb* verb = current_verb();
    if (verb == nullptr) {
        const std::vector<std::string> leftover = app.remaining();
        if (leftover.empty()) {
            std::fputs(app.help().c_str(), stderr);
            return exit_code(Fault::Input);
        }
        if (leftover.front() == "help") {
            std::fputs(app.help().c_str(), stdout);
            return ExitCode::Success;
        }
        std::fprintf(stderr, "vantri: unknown verb '%s' (try 'vantri --help')\n",
                     leftover.front().c_str());
        return exit_code(Fault::Input);
    }
    const std::string who = "vantri " + verb->command->get_name();
    const std::vector<std::string> leftover = verb->command->remaining();
    Status checked = check_options_known(leftover);
    if (checked) checked = verb->check(leftover);
    if (!checked) return usage_mistake(who, checked.message());
    return verb->run();
}

} // namespace

// The verbs turn the failures they expect into exit codes; anything else that escapes them
// still ends the command with a message and an exit code rather than an abort.
int main(int argc, char** argv) {
    try {
        return run_verb(argc, argv);
    } catch (const std::bad_alloc&) {
        return report_failure("vantri", {Fault::OutOfMemory, "out of memory", {}});
    } catch (const std::exception& e) {
        return report_failure("vantri", failure(e.what()));
    } catch (...) {
        return report_failure("vantri", failure("unexpected failure"));
    }
}
