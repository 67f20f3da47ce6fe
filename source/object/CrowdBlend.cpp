#include "CrowdBlend.h"

#include "register.h"

#include <new>

NodeData* CrowdBlend::Alloc() { return new (std::nothrow) CrowdBlend; }

Bool RegisterCrowdBlend() {
    return RegisterCrowdObject(ID_CROWDBLEND, 1010, 8, CrowdBlend::Alloc, "ocrowdBlend", "CrowdBlend.tif");
}
