#include "host/Host.h"

#include "host/jobs/JobPool.h"
#include "host/services/Services.h"

#include <ctime>

namespace vantri {

namespace {
Host* g_current = nullptr;
}

Host::Host() : previous_(g_current), threads_(1) {
    api_.version = VT_API_VERSION;
    api_.crash_handler = host_crash_handler;
    api_.system = system_table();
    api_.resources = resource_table();
    api_.atoms = atom_table();
    api_.objects = object_table();
    api_.containers = container_table();
    api_.descriptions = description_table();
    api_.splines = spline_table();
    api_.rays = ray_table();
    api_.draw = draw_table();
    api_.bitmaps = bitmap_table();
    api_.plugins = plugin_table();
    api_.jobs = job_table();
    g_current = this;
}

void Host::set_threads(int32_t threads) {
    threads_ = threads < 1 ? 1 : threads;
    jobs_.reset();
}

JobPool& Host::jobs() {
    if (!jobs_ || jobs_->threads() != threads_) jobs_ = std::make_unique<JobPool>(threads_);
    return *jobs_;
}

Host::~Host() {
    g_current = previous_;
}

Host* Host::current_or_null() {
    return g_current;
}

void Host::print(const std::string& line) {
    console_.push_back(line);
}

VtDateTime Host::now() const {
    if (clock_) return *clock_;
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return VtDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

Result<Host::LoadedResources*> Host::load_resources(const std::string& plugin_folder) {
    auto loaded = std::make_unique<LoadedResources>();
    loaded->folder = plugin_folder;
    if (Status read = load_resource_folder(plugin_folder + "/res", loaded->set); !read) {
        last_resource_error_ = read.message();
        return read.error();
    }
    last_resource_error_.clear();
    resources_.push_back(std::move(loaded));
    return resources_.back().get();
}

void Host::release_resources(LoadedResources* resources) {
    for (auto it = resources_.begin(); it != resources_.end(); ++it) {
        if (it->get() == resources) {
            resources_.erase(it);
            return;
        }
    }
}

const DescriptionResource* Host::find_description(const std::string& name) const {
    for (auto it = resources_.rbegin(); it != resources_.rend(); ++it) {
        auto found = (*it)->set.descriptions.find(name);
        if (found != (*it)->set.descriptions.end()) return &found->second;
    }
    return nullptr;
}

} // namespace vantri
