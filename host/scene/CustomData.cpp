#include "host/scene/CustomData.h"

#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

#include <map>

namespace vantri {

namespace {
// The custom types the host knows, each with the factory of its empty value.
std::map<int32_t, CustomDataFactory> builtin_types() {
    std::map<int32_t, CustomDataFactory> table;
    table[VT_CUSTOMDATA_INEXCLUDE] = [] { return std::make_unique<InExcludeList>(); };
    table[VT_CUSTOMDATA_SPLINE] = [] { return std::make_unique<SplineCurve>(); };
    return table;
}

std::map<int32_t, CustomDataFactory>& factories() {
    static std::map<int32_t, CustomDataFactory> table = builtin_types();
    return table;
}
} // namespace

std::unique_ptr<CustomData> make_custom_data(int32_t type) {
    auto it = factories().find(type);
    if (it == factories().end()) return nullptr;
    return it->second();
}

} // namespace vantri
