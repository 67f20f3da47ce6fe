// Following a spline: the world keeps the samples of every spline used in a frame in its
// spline cache, which the frame execution empties at the start of every executed frame.
#include "CrowdWorld.h"

// No spline is sampled yet: the term gives no steering and leaves the agent's spline frame.
LVector Crowdworld::Calc_FollowSpline(BaseContainer*, SplineObject*, Agent_ID_Data*) {
    return LVector();
}
