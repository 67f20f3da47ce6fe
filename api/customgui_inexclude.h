// The host's in/exclude list: an ordered list of objects that a parameter names.
#pragma once

#include "c4d_gedata.h"

class BaseDocument;

/// An in/exclude list value, seen through its host handle (the container or GeData that
/// hands it out owns it). Entries are weak: an object that was freed still counts but
/// resolves to null.
class InExcludeData : public CustomDataType {
  public:
    InExcludeData() = delete;
    ~InExcludeData() = delete;

    /// The number of entries, objects that no longer exist included.
    LONG GetObjectCount() const;
    /// Entry `i` if that object still exists and lies in `doc` (null: in any document);
    /// null otherwise, and for an index out of range.
    BaseList2D* ObjectFromIndex(const BaseDocument* doc, LONG i) const;

  private:
    const VtCustomData* Handle() const { return reinterpret_cast<const VtCustomData*>(this); }
};
