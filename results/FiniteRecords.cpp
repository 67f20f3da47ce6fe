#include "results/FiniteRecords.h"

#include "host/scene/Transform.h"

#include <cmath>

namespace vantri {

bool find_non_finite(const VtAgentRecord* records, size_t count, const VtMatrix& generator_mg,
                     NonFiniteField& found) {
    for (size_t i = 0; i < count; ++i) {
        const VtAgentRecord& r = records[i];
        const VtVector p = transform_point(generator_mg, r.mg.off);
        const struct {
            const char* name;
            double value;
        } fields[] = {{"x", p.x},
                      {"y", p.y},
                      {"z", p.z},
                      {"heading", r.rotation.x},
                      {"pitch", r.rotation.y},
                      {"bank", r.rotation.z},
                      {"speed", r.speed},
                      {"max_speed", r.max_speed}};
        for (const auto& field : fields) {
            if (!std::isfinite(field.value)) {
                found = NonFiniteField{i, field.name, field.value};
                return true;
            }
        }
    }
    return false;
}

} // namespace vantri
