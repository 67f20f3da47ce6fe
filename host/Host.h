// The stand-in host: the service tables a plug-in binds to, and the state behind them
// (object types, loaded resources, console, clock, playback state).
//
// The tables are plain C function pointers without a context argument, so one Host is
// current per process at a time; it becomes current when constructed.
#pragma once

#include "host/plugin/ObjectTypes.h"
#include "host/resources/ResourceFolder.h"

#include "abi/host_abi.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantri {

class JobPool;

class Host {
  public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    /// The current host, or null when none exists. Only the service tables ask (through
    /// calling_host()); everything else is handed the Host it works with.
    static Host* current_or_null();

    /// The record handed to a plug-in at initialisation.
    HostApi* api() { return &api_; }

    TypeRegistry& types() { return types_; }
    const TypeRegistry& types() const { return types_; }

    /// Console lines printed so far, oldest first.
    const std::vector<std::string>& console() const { return console_; }
    void print(const std::string& line);

    /// The clock: the real local time unless a test set a time.
    VtDateTime now() const;
    void set_clock(const VtDateTime& time) { clock_ = time; }

    /// Whether the animation is playing (what CheckIsRunning reports).
    bool animation_running() const { return animation_running_; }
    void set_animation_running(bool running) { animation_running_ = running; }

    /// Crash reports that reached the host's own crash handler.
    const std::vector<std::string>& crash_reports() const { return crash_reports_; }
    void report_crash(const std::string& info) { crash_reports_.push_back(info); }

    /// Resources loaded for plug-ins, newest last; each is a VtResource handle.
    struct LoadedResources {
        std::string folder;
        ResourceSet set;
    };
    /// Loads the resource folder of the plug-in in `plugin_folder` (never null on success).
    Result<LoadedResources*> load_resources(const std::string& plugin_folder);
    void release_resources(LoadedResources* resources);
    size_t loaded_resource_count() const { return resources_.size(); }
    /// The description resource with this name among the loaded resources, or null.
    const DescriptionResource* find_description(const std::string& name) const;
    /// Why the last resource load failed (empty when it did not).
    const std::string& last_resource_error() const { return last_resource_error_; }

    /// Calls a plug-in made that the host refused because they would corrupt its state
    /// (freeing an object the host owns, ...). Tests expect none.
    const std::vector<std::string>& misuse() const { return misuse_; }
    void report_misuse(const std::string& what) { misuse_.push_back(what); }

    /// The threads the plug-in's jobs run on (VtJobTable): 1 by default, so that every job
    /// runs on the calling thread until a caller asks for more (vantri run --threads).
    int32_t threads() const { return threads_; }
    void set_threads(int32_t threads);
    /// The pool that runs the jobs, made on first use.
    JobPool& jobs();

    /// Why the last registration was refused.
    std::string last_refusal;

  private:
    HostApi api_{};
    TypeRegistry types_;
    std::vector<std::string> console_;
    std::optional<VtDateTime> clock_;
    bool animation_running_ = false;
    std::vector<std::string> crash_reports_;
    std::vector<std::string> misuse_;
    std::vector<std::unique_ptr<LoadedResources>> resources_;
    std::string last_resource_error_;
    Host* previous_ = nullptr;
    int32_t threads_;
    std::unique_ptr<JobPool> jobs_;
};

} // namespace vantri
