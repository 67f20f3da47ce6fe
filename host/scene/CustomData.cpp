#include "host/scene/CustomData.h"

#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

#include <map>

namespace vantri {

namespace {
// The host's own custom types are known from the start; others can be registered.
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

void register_custom_type(int32_t type, CustomDataFactory factory) {
    factories()[type] = std::move(factory);
}

std::unique_ptr<CustomData> make_custom_data(int32_t type) {
    auto it = factories().find(type);
    if (it == factories().end()) return nullptr;
    return it->second();
}

} // namespace vantri
