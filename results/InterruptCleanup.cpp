#include "results/InterruptCleanup.h"

#include "results/OutputFolder.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace vantri {

namespace {

constexpr size_t kPathBytes = 4096;
constexpr size_t kMostParents = 32;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Filled before `armed` is set and read only while it is: the handler copies nothing.
char staging_path[kPathBytes];
char parent_paths[kMostParents][kPathBytes];
size_t parent_count = 0;
volatile std::sig_atomic_t armed = 0;

void on_signal(int signal) {
    if (armed != 0) {
        armed = 0;
        remove_tree(staging_path);
        for (size_t i = parent_count; i > 0; --i)
            rmdir(parent_paths[i - 1]); // only when empty
    }
    // Ends the process by the signal itself once the handler returns (it is blocked here).
    std::signal(signal, SIG_DFL);
    raise(signal);
}

bool copy_path(char* to, const std::string& from) {
    if (from.size() >= kPathBytes) return false;
    std::memcpy(to, from.c_str(), from.size() + 1);
    return true;
}

} // namespace

void install_interrupt_cleanup() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // No second signal interrupts the cleanup halfway.
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (int signal : kSignals) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        // A signal the shell told us to ignore (nohup, background jobs) stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

void set_interrupt_cleanup(const std::string& staging, const std::vector<std::string>& parents) {
    armed = 0;
    if (staging.empty() || !copy_path(staging_path, staging)) return;
    parent_count = 0;
    for (const std::string& parent : parents) {
        if (parent_count == kMostParents || !copy_path(parent_paths[parent_count], parent)) break;
        ++parent_count;
    }
    armed = 1;
}

} // namespace vantri
