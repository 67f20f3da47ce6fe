// Standing agents on the terrain object linked to the world.
#include "CrowdWorld.h"

// Returns the current agent's own rotation, so its pitch and bank stay as they are, and
// leaves `mg` and the terrain contact matrix unchanged: no ray is cast against the terrain.
LVector Crowdworld::Get_Terrain_Angle(LMatrix&, BaseObject*) {
    return current_agent != nullptr ? current_agent->rotation : LVector();
}
