#include "plugin/register.h"

Bool RegisterCrowdObject(int32_t id, int32_t name_string, int32_t flags, NodeAllocator* alloc,
                         const char* description, const char* icon) {
    const String name = GeLoadString(name_string);
    if (!name.Content()) return TRUE;
    AutoBitmap bitmap{String(icon)};
    return RegisterObjectPlugin(id, name, flags, alloc, String(description), bitmap, 0);
}
