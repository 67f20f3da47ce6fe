#include "CrowdWorld.h"

#include "register.h"

#include <new>

NodeData* Crowdworld::Alloc() { return new (std::nothrow) Crowdworld; }

Bool RegisterCrowdworld() {
    return RegisterCrowdObject(ID_CROWDWORLD, 1009, 32780, Crowdworld::Alloc, "ocrowdworld", "Crowdworld.tif");
}
