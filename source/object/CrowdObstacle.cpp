#include "CrowdObstacle.h"

#include "register.h"

#include <new>

NodeData* CrowdObstacle::Alloc() { return new (std::nothrow) CrowdObstacle; }

Bool RegisterCrowdObstacle() {
    return RegisterCrowdObject(ID_CROWDOBSTACLE, 1008, kParameterTypeFlags, CrowdObstacle::Alloc, "ocrowdobstacle", "Crowdobstacle.tif");
}
