// The host's parameter container, seen through its handle.
#pragma once

#include "c4d_gedata.h"

class BaseDocument;

/// A container of parameter values by id. Always a host handle: the plug-in never creates
/// or frees one. Getters give 0, 0.0, false, (0, 0, 0) or null for a missing entry; an
/// integer getter truncates a real entry toward zero, a real getter widens an integer.
class BaseContainer {
public:
    BaseContainer() = delete;
    ~BaseContainer() = delete;

    LONG GetLong(LONG id, LONG preset = 0) const;
    Real GetReal(LONG id, Real preset = 0.0) const;
    Bool GetBool(LONG id, Bool preset = FALSE) const;
    LVector GetVector(LONG id) const;
    /// The linked object if it still exists in `doc` (null: in any document).
    BaseList2D* GetLink(LONG id, const BaseDocument* doc) const;
    /// The entry's custom value of type `type`, owned by the container; null otherwise.
    CustomDataType* GetCustomDataType(LONG id, LONG type) const;
    GeData GetData(LONG id) const;

    Bool SetData(LONG id, const GeData& value);
    void SetLong(LONG id, LONG value) { SetData(id, GeData(value)); }
    void SetReal(LONG id, Real value) { SetData(id, GeData(value)); }
    void SetBool(LONG id, Bool value) { SetData(id, GeData(static_cast<LONG>(value != 0))); }
    void SetVector(LONG id, const LVector& value) { SetData(id, GeData(value)); }

private:
    const VtContainer* Handle() const { return reinterpret_cast<const VtContainer*>(this); }
    VtContainer* Handle() { return reinterpret_cast<VtContainer*>(this); }
};
