#include "plugin/hostapi/HostSystem.h"

#include "plugin/hostapi/HostMemory.h"
#include "plugin/hostapi/host_binding.h"

GeResource resource;

void GePrint(const String& text) {
    HostApi* host = vt::Host();
    if (host != nullptr) host->system->print(text.GetCString());
}

Bool GeResource::Init(const Filename& path) {
    HostApi* host = vt::Host();
    if (host == nullptr || !path.IsValid()) return FALSE;
    Free();
    handle_ = host->resources->load(path.GetString().GetCString());
    return handle_ != nullptr;
}

Bool GeResource::Init() {
    return Init(GeGetPluginPath());
}

void GeResource::Free() {
    HostApi* host = vt::Host();
    if (handle_ != nullptr && host != nullptr) host->resources->release(handle_);
    handle_ = nullptr;
}

String GeLoadString(int32_t id) {
    HostApi* host = vt::Host();
    if (host == nullptr || resource.Get() == nullptr) return String();
    char small[256];
    const int32_t length = host->resources->load_string(resource.Get(), id, small, sizeof small);
    if (length < 0) return String();
    if (length < static_cast<int32_t>(sizeof small)) return String(small);
    // Longer than the stack buffer: fetch it again into a block of the right size.
    char* big = static_cast<char*>(GeAlloc(static_cast<size_t>(length) + 1));
    if (big == nullptr) return String();
    host->resources->load_string(resource.Get(), id, big, length + 1);
    String text(big);
    GeFreeBlock(big);
    return text;
}

void GetDateTimeNow(DateTime& out) {
    HostApi* host = vt::Host();
    if (host == nullptr) return;
    VtDateTime now{};
    host->system->date_time_now(&now);
    out = DateTime(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

Bool CheckIsRunning(int32_t what) {
    HostApi* host = vt::Host();
    return host != nullptr && host->objects->check_is_running(what) != 0;
}
