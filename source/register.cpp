#include "register.h"

Bool RegisterCrowdObject(LONG id, LONG name_string, LONG flags, DataAllocator* alloc,
                         const char* description, const char* icon) {
    const String name = GeLoadString(name_string);
    if (!name.Content()) return TRUE;
    AutoBitmap bitmap{String(icon)};
    return RegisterObjectPlugin(id, name, flags, alloc, String(description), bitmap, 0);
}
