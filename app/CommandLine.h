// The vantri command's options, parsed by CLI11: each verb adds its own options to its
// subcommand, and the helpers here give every option the same kind of message for a bad
// value ("--start needs a whole frame number, not 'soon'").
#pragma once

#include "host/Status.h"

#include <CLI/CLI.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vantri {

/// Exit codes of every verb (docs/run-promises.md).
namespace ExitCode {
constexpr int Success = 0;
constexpr int PluginFailed = 1;
constexpr int BadInput = 2;
constexpr int OutOfMemory = 3;
/// The simulation produced inf or nan, which the results cannot hold.
constexpr int NonFinite = 4;
} // namespace ExitCode

/// The one place where a failure's kind becomes the process's exit code.
int exit_code(Fault fault);

/// Prints "WHO: MESSAGE" on stderr, one line, and returns the failure's exit code.
int report_failure(const std::string& who, const Error& error);

/// Reads an option's text into its value; false when the text is no such value.
template <class Value> using OptionReader = std::function<bool(const std::string&, Value&)>;

/// Adds "NAME VALUE" to `verb`: the value is read by `read` into `target`, and a text it
/// refuses stops the parse with "NAME needs EXPECTED, not 'TEXT'". Given twice, the last wins.
template <class Value>
CLI::Option* add_checked_option(CLI::App& verb, const std::string& name, Value& target,
                                OptionReader<Value> read, const std::string& expected,
                                const std::string& help) {
    auto* option = verb.add_option_function<std::string>(
        name,
        [name, &target, read, expected](const std::string& text) {
            if (!read(text, target))
                throw CLI::ValidationError(name + " needs " + expected + ", not '" + text + "'");
        },
        help);
    option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    return option;
}

/// A whole frame number in the range of a 32-bit frame.
bool read_frame(const std::string& text, int32_t& frame);
/// "512M", "4G", "1000000" (bytes); binary multiples; above 0.
bool read_bytes(const std::string& text, size_t& bytes);
/// "4 GiB", "512 MiB", "1000 bytes".
std::string bytes_text(size_t bytes);

/// Adds "--plugin PATH" (default: $VANTRI_PLUGIN or the built module).
void add_plugin_option(CLI::App& verb, std::string& module_path);

} // namespace vantri
