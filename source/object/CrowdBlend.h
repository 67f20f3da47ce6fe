// CrowdBlend: combines behaviours and blends.
#pragma once

#include "c4d.h"

class CrowdBlend : public ObjectData {
public:
    static NodeData* Alloc();
};
