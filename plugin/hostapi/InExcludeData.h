// The host's in/exclude list: an ordered list of objects that a parameter names.
#pragma once

#include "plugin/hostapi/GeData.h"

class BaseDocument;

/// An in/exclude list value, seen through its host handle (the container or GeData that
/// hands it out owns it). Entries are weak: an object that was freed still counts but
/// resolves to null.
class InExcludeData : public CustomDataType {
  public:
    InExcludeData() = delete;
    ~InExcludeData() = delete;

    /// The number of entries, objects that no longer exist included.
    int32_t GetObjectCount() const;
    /// Entry `i` if that object still exists and lies in `doc` (null: in any document);
    /// null otherwise, and for an index out of range.
    ParameterNode* ObjectFromIndex(const BaseDocument* doc, int32_t i) const;

  private:
    const VtCustomData* Handle() const { return reinterpret_cast<const VtCustomData*>(this); }
};
