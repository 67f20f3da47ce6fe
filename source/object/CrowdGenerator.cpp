#include "CrowdGenerator.h"

#include "register.h"

#include <new>

NodeData* Crowdgenerator::Alloc() { return new (std::nothrow) Crowdgenerator; }

Bool RegisterCrowdgenerator() {
    return RegisterCrowdObject(ID_CROWDGENERATOR, 1004, 32780, Crowdgenerator::Alloc, "ocrowdgenerator", "Crowdgenerator.tif");
}
