// The description an object shows in the host's attribute manager, while it is built.
#pragma once

#include "plugin/hostapi/SceneHandles.h"

/// Attributes of a description entry.
namespace DescriptionAttribute {
constexpr int32_t Hidden = VT_DESC_ATTRIBUTE_HIDDEN;
constexpr int32_t GroupOpen = VT_DESC_ATTRIBUTE_GROUP_OPEN; ///< the open state of a group
} // namespace DescriptionAttribute

/// Flags of a description build.
namespace DescriptionFlag {
constexpr int32_t Loaded = VT_DESC_FLAG_LOADED;
}
typedef int32_t DESCFLAGS_DESC;

class Description {
  public:
    Description() = delete;
    ~Description() = delete;
    /// Loads the description resource registered for object type `type`.
    Bool LoadDescription(int32_t type);
    /// The one id the host asks for, or null when it builds the whole description.
    const DescID* GetSingleDescID();
    /// The attribute container of entry `id` (owned by the description), or null.
    BaseContainer* GetParameterI(const DescID& id, AtomArray* array);

  private:
    VtDescription* Handle() { return reinterpret_cast<VtDescription*>(this); }
};
