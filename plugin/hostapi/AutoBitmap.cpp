#include "plugin/hostapi/BaseBitmap.h"

#include "plugin/hostapi/HostSystem.h"
#include "plugin/hostapi/host_binding.h"

AutoBitmap::AutoBitmap(const String& name) {
    HostApi* host = vt::Host();
    if (host == nullptr) return;
    const Filename path = GeGetPluginPath() + String("res") + name;
    if (!path.IsValid()) return;
    bitmap_ = reinterpret_cast<BaseBitmap*>(host->bitmaps->load(path.GetString().GetCString()));
}

AutoBitmap::~AutoBitmap() {
    HostApi* host = vt::Host();
    if (bitmap_ != nullptr && host != nullptr)
        host->bitmaps->free(reinterpret_cast<VtBitmap*>(bitmap_));
}
