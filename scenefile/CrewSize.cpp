#include "scenefile/CrewSize.h"

namespace vantri {

namespace {

constexpr int32_t kGeneratorType = VT_CROWD_TYPE_GENERATOR;
constexpr int32_t kCountIds[] = {1001, 1002, 1003}; // CROWDGEN_COUNT_X, _Y, _Z

} // namespace

std::vector<CrewSize> crew_sizes(const std::vector<BuiltObject>& built) {
    std::vector<CrewSize> sizes;
    for (const BuiltObject& object : built) {
        if (object.object->type() != kGeneratorType) continue;
        uint64_t agents = object.entry->children.empty() ? 0 : 1;
        for (int32_t id : kCountIds) {
            const Value* count = object.object->data().find(id);
            agents *= count != nullptr && count->integer > 0 ? uint64_t(count->integer) : 0;
        }
        sizes.push_back({object.object, agents});
    }
    return sizes;
}

} // namespace vantri
