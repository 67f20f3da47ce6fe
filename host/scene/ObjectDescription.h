// An object's description as the attribute manager builds it: the parameters of its type's
// description resource, each with attributes (label, hidden, open) that the object's code
// may change while the description is built.
#pragma once

#include "host/resources/DescriptionFile.h"
#include "host/scene/SceneObject.h"

#include <optional>
#include <vector>

namespace vantri {

class Host;

/// Attribute ids of a description entry.
constexpr int32_t kDescName = 1;
constexpr int32_t kDescHide = VT_DESC_ATTRIBUTE_HIDDEN;
constexpr int32_t kDescOpen = VT_DESC_ATTRIBUTE_GROUP_OPEN;
/// The flag an object's code sets when it loaded its description itself.
constexpr int32_t kDescriptionLoaded = VT_DESC_FLAG_LOADED;

struct DescriptionEntry {
    const DescriptionParameter* parameter = nullptr;
    Container attributes;
};

struct DescriptionBuild {
    const DescriptionResource* resource = nullptr;
    std::vector<DescriptionEntry> entries;
    std::optional<VtDescId> single;

    /// Fills the entries from the description registered for object type `type`.
    bool load(const Host& host, int32_t type);
    DescriptionEntry* find(int32_t id);
    bool hidden(int32_t id) const;
    /// Whether entry `id` (a group) is open; false for an entry that is not there.
    bool open(int32_t id) const;

    VtDescription* handle() { return reinterpret_cast<VtDescription*>(this); }
    static DescriptionBuild* from(VtDescription* h) {
        return reinterpret_cast<DescriptionBuild*>(h);
    }
};

/// Builds `object`'s description: its code's GetDDescription first; when that did not load
/// the description itself, the host loads it. False when the code refused. `single` asks for
/// one parameter only.
bool build_description(const Host& host, SceneObject& object, DescriptionBuild& out,
                       const VtDescId* single = nullptr);

} // namespace vantri
