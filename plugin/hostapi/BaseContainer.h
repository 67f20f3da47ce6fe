// The host's parameter container, seen through its handle.
#pragma once

#include "plugin/hostapi/GeData.h"

class BaseDocument;

/// A container of parameter values by id. Always a host handle: the plug-in never creates
/// or frees one. Getters give 0, 0.0, false, (0, 0, 0) or null for a missing entry; an
/// integer getter truncates a real entry toward zero, a real getter widens an integer.
class BaseContainer {
  public:
    BaseContainer() = delete;
    ~BaseContainer() = delete;

    int32_t GetLong(int32_t id, int32_t preset = 0) const;
    double GetReal(int32_t id, double preset = 0.0) const;
    Bool GetBool(int32_t id, Bool preset = FALSE) const;
    LVector GetVector(int32_t id) const;
    /// The linked object if it still exists in `doc` (null: in any document).
    ParameterNode* GetLink(int32_t id, const BaseDocument* doc) const;
    /// The entry's custom value of type `type`, owned by the container; null otherwise.
    CustomDataType* GetCustomDataType(int32_t id, int32_t type) const;
    GeData GetData(int32_t id) const;

    Bool SetData(int32_t id, const GeData& value);
    void SetLong(int32_t id, int32_t value) { SetData(id, GeData(value)); }
    void SetReal(int32_t id, double value) { SetData(id, GeData(value)); }
    void SetBool(int32_t id, Bool value) { SetData(id, GeData(static_cast<int32_t>(value != 0))); }
    void SetVector(int32_t id, const LVector& value) { SetData(id, GeData(value)); }

  private:
    const VtContainer* Handle() const { return reinterpret_cast<const VtContainer*>(this); }
    VtContainer* Handle() { return reinterpret_cast<VtContainer*>(this); }
};
