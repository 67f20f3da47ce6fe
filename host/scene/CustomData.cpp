#include "scene/CustomData.h"

#include <map>

namespace vantri {

namespace {
std::map<int32_t, CustomDataFactory>& factories() {
    static std::map<int32_t, CustomDataFactory> table;
    return table;
}
}  // namespace

void register_custom_type(int32_t type, CustomDataFactory factory) {
    factories()[type] = std::move(factory);
}

std::unique_ptr<CustomData> make_custom_data(int32_t type) {
    auto it = factories().find(type);
    if (it == factories().end()) return nullptr;
    return it->second();
}

}  // namespace vantri
