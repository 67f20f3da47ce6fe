#include "plugin/object/ObstacleDepth.h"

#include "plugin/messages.h"
#include "plugin/register.h"

#include "plugin/geometry/VectorMath.h"
#include "plugin/hostapi/BaseContainer.h"
#include "parameter_ids/ocrowdobstacle.h"

#include <cmath>

// The shapes are read as the collision test reads them: the radius and the sizes in whole
// units, each size halved with integer division, the box along the obstacle's normalised axes.
double DepthInsideObstacle(BaseObject* obstacle, const LMatrix& generator_mg,
                           const LVector& point) {
    if (obstacle == nullptr || obstacle->GetType() != CrowdType::Obstacle) return -1.0;
    VtPrivateData request{0, nullptr};
    obstacle->Message(ObjectMessage::PrivateData, &request);
    const BaseContainer* settings = static_cast<BaseContainer*>(request.data);
    if (settings == nullptr) return -1.0;
    const int32_t shape = settings->GetLong(CROWDOBSTACLE_SHAPE);
    const LMatrix frame = !generator_mg * obstacle->GetMg();
    const LVector offset = point - frame.off;
    if (shape == CROWDOBSTACLE_SHAPE_SPHERE)
        return static_cast<double>(settings->GetLong(CROWDOBSTACLE_RADIUS)) - Len(offset);
    if (shape != CROWDOBSTACLE_SHAPE_BOX) return -1.0;
    const int32_t half[3] = {settings->GetLong(CROWDOBSTACLE_SIZE_X) / 2,
                             settings->GetLong(CROWDOBSTACLE_SIZE_Y) / 2,
                             settings->GetLong(CROWDOBSTACLE_SIZE_Z) / 2};
    const LVector axes[3] = {!frame.v1, !frame.v2, !frame.v3};
    double depth = 0.0;
    for (int i = 0; i < 3; ++i) {
        const double inside = std::fabs(static_cast<double>(half[i])) - std::fabs(offset * axes[i]);
        if (i == 0 || inside < depth) depth = inside;
    }
    return depth;
}
