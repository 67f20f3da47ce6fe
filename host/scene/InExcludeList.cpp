#include "host/scene/InExcludeList.h"

#include "host/scene/Atom.h"
#include "host/scene/Document.h"

namespace vantri {

std::unique_ptr<CustomData> InExcludeList::clone() const {
    return std::make_unique<InExcludeList>(*this);
}

std::string InExcludeList::summary() const {
    int32_t missing = 0;
    for (int32_t i = 0; i < count(); ++i) {
        if (resolve(i, nullptr) == nullptr) ++missing;
    }
    std::string text = std::to_string(count()) + (count() == 1 ? " object" : " objects");
    if (missing > 0) text += " (" + std::to_string(missing) + " missing)";
    return text;
}

void InExcludeList::append(const Atom* object) {
    serials_.push_back(object != nullptr ? object->serial() : 0);
}

Atom* InExcludeList::resolve(int32_t index, const Document* document) const {
    if (index < 0 || index >= count()) return nullptr;
    Atom* target = Atom::find_serial(serials_[static_cast<size_t>(index)]);
    if (target == nullptr) return nullptr;
    if (document != nullptr && target->document() != document) return nullptr;
    return target;
}

InExcludeList* InExcludeList::from(VtCustomData* h) {
    return h != nullptr ? dynamic_cast<InExcludeList*>(CustomData::from(h)) : nullptr;
}

const InExcludeList* InExcludeList::from(const VtCustomData* h) {
    return h != nullptr ? dynamic_cast<const InExcludeList*>(CustomData::from(h)) : nullptr;
}

} // namespace vantri
