// An in/exclude list: an ordered list of objects a parameter names (a generator's behaviours,
// a blend's entries, a world's obstacles). The list holds weak links, so an object that was
// freed is still counted but resolves to null.
#pragma once

#include "host/scene/CustomData.h"

#include <cstdint>
#include <vector>

namespace vantri {

class Atom;
class Document;

class InExcludeList : public CustomData {
  public:
    int32_t type() const override { return VT_CUSTOMDATA_INEXCLUDE; }
    std::unique_ptr<CustomData> clone() const override;
    /// "2 objects", with "(1 missing)" when some no longer exist.
    std::string summary() const override;

    /// Appends `object` (by its serial number; a null object gives an entry that never
    /// resolves).
    void append(const Atom* object);
    void clear() { serials_.clear(); }
    /// The number of entries, freed objects included.
    int32_t count() const { return static_cast<int32_t>(serials_.size()); }
    /// Entry `index` if it still exists and lies in `document` (null: in any document);
    /// null otherwise or when the index is out of range.
    Atom* resolve(int32_t index, const Document* document) const;

    /// The list behind a handle, or null when the handle is not an in/exclude list.
    static InExcludeList* from(VtCustomData* h);
    static const InExcludeList* from(const VtCustomData* h);

  private:
    std::vector<uint64_t> serials_;
};

} // namespace vantri
