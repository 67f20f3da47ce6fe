#include "app/CommandLine.h"
#include "app/PluginSession.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace vantri {

int exit_code(Fault fault) {
    switch (fault) {
    case Fault::Failed:
        return ExitCode::PluginFailed;
    case Fault::Input:
        return ExitCode::BadInput;
    case Fault::OutOfMemory:
        return ExitCode::OutOfMemory;
    case Fault::OutOfRange:
        return ExitCode::NonFinite;
    }
    assert(false && "a Fault without an exit code");
    return ExitCode::PluginFailed;
}

int report_failure(const std::string& who, const Error& error) {
    std::fprintf(stderr, "%s: %s\n", who.c_str(), error.message.c_str());
    return exit_code(error.fault);
}

bool read_frame(const std::string& text, int32_t& frame) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX)
        return false;
    frame = static_cast<int32_t>(value);
    return true;
}

bool read_bytes(const std::string& text, size_t& bytes) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || end == text.c_str() || errno != 0 || text[0] == '-') return false;
    std::string suffix(end);
    if (suffix.size() == 3 && suffix.substr(1) == "iB") suffix = suffix.substr(0, 1);
    int shift = 0;
    if (suffix == "K" || suffix == "k")
        shift = 10;
    else if (suffix == "M")
        shift = 20;
    else if (suffix == "G")
        shift = 30;
    else if (suffix == "T")
        shift = 40;
    else if (!suffix.empty())
        return false;
    if (value == 0 || value > (~0ull >> shift)) return false;
    bytes = static_cast<size_t>(value << shift);
    return true;
}

std::string bytes_text(size_t bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (unit < 4 && bytes % 1024 == 0 && bytes >= 1024) {
        bytes /= 1024;
        ++unit;
    }
    return std::to_string(bytes) + " " + units[unit];
}

void add_plugin_option(CLI::App& verb, std::string& module_path) {
    module_path = PluginSession::default_module_path();
    verb.add_option("--plugin", module_path,
                    "the plug-in module to load (default: $VANTRI_PLUGIN or the built one)")
        ->type_name("PATH")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

} // namespace vantri
