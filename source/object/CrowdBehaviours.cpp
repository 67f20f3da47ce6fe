#include "CrowdBehaviours.h"

#include "register.h"

#include <new>

NodeData* CrowdBehav::Alloc() { return new (std::nothrow) CrowdBehav; }

Bool RegisterCrowdBehav() {
    return RegisterCrowdObject(ID_CROWDBEHAV, 1007, 8, CrowdBehav::Alloc, "ocrowdbehav", "CrowdBehav.tif");
}
