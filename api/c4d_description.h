// The description an object shows in the host's attribute manager, while it is built.
#pragma once

#include "c4d_utility.h"

/// Attributes of a description entry and flags of a description build.
enum {
    DESC_HIDE = 15,
    DESC_DEFAULT = 25,  // the open state of a group
    DESCFLAGS_DESC_LOADED = 2,
};
typedef LONG DESCFLAGS_DESC;

class Description {
public:
    Description() = delete;
    ~Description() = delete;
    /// Loads the description resource registered for object type `type`.
    Bool LoadDescription(LONG type);
    /// The one id the host asks for, or null when it builds the whole description.
    const DescID* GetSingleDescID();
    /// The attribute container of entry `id` (owned by the description), or null.
    BaseContainer* GetParameterI(const DescID& id, AtomArray* array);

private:
    VtDescription* Handle() { return reinterpret_cast<VtDescription*>(this); }
};
