// Descriptions being built.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/scene/ObjectDescription.h"

namespace vantri {

namespace {

int32_t load(VtDescription* desc, int32_t type) {
    Host* host = calling_host();
    return desc != nullptr && host != nullptr && DescriptionBuild::from(desc)->load(*host, type)
               ? 1
               : 0;
}

const VtDescId* get_single_id(VtDescription* desc) {
    if (desc == nullptr) return nullptr;
    DescriptionBuild* build = DescriptionBuild::from(desc);
    return build->single ? &*build->single : nullptr;
}

VtContainer* get_parameter_i(VtDescription* desc, const VtDescId* id, VtAtomArray*) {
    if (desc == nullptr || id == nullptr || id->depth < 1) return nullptr;
    DescriptionEntry* entry = DescriptionBuild::from(desc)->find(id->level[0].id);
    return entry != nullptr ? entry->attributes.handle() : nullptr;
}

const VtDescriptionTable kTable = {
    .size = sizeof(VtDescriptionTable),
    .load = load,
    .get_single_id = get_single_id,
    .get_parameter_i = get_parameter_i,
};

} // namespace

const VtDescriptionTable* description_table() {
    return &kTable;
}

} // namespace vantri
