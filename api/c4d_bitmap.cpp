#include "c4d_bitmap.h"

#include "c4d_general.h"
#include "host_binding.h"

LONG BaseBitmap::GetBw() const {
    return vt::Host()->bitmaps->get_width(reinterpret_cast<const VtBitmap*>(this));
}

LONG BaseBitmap::GetBh() const {
    return vt::Host()->bitmaps->get_height(reinterpret_cast<const VtBitmap*>(this));
}

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
