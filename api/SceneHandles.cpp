#include "SceneHandles.h"

#include "host_binding.h"

BaseLink* BaseLink::Alloc() {
    return reinterpret_cast<BaseLink*>(vt::Tables()->objects->link_alloc());
}

void BaseLink::Free(BaseLink*& link) {
    if (link != nullptr) vt::Tables()->objects->link_free(reinterpret_cast<VtLink*>(link));
    link = nullptr;
}

void BaseLink::SetLink(C4DAtom* target) {
    vt::Tables()->objects->link_set(reinterpret_cast<VtLink*>(this),
                                    target != nullptr ? target->Handle() : nullptr);
}

ParameterNode* BaseLink::GetLink(const BaseDocument* doc) const {
    VtLink* link = reinterpret_cast<VtLink*>(const_cast<BaseLink*>(this));
    VtAtom* document = doc != nullptr ? doc->Handle() : nullptr;
    return FromHandle<ParameterNode>(vt::Tables()->objects->link_get(link, document));
}

AliasTrans* AliasTrans::Alloc() {
    return reinterpret_cast<AliasTrans*>(vt::Tables()->objects->alias_alloc());
}

void AliasTrans::Free(AliasTrans*& trans) {
    if (trans != nullptr) vt::Tables()->objects->alias_free(reinterpret_cast<VtAliasTrans*>(trans));
    trans = nullptr;
}

Bool AliasTrans::Init(const BaseDocument* doc) {
    return vt::Tables()->objects->alias_init(reinterpret_cast<VtAliasTrans*>(this),
                                             doc != nullptr ? doc->Handle() : nullptr) != 0;
}

void AliasTrans::Translate(Bool all) {
    vt::Tables()->objects->alias_translate(reinterpret_cast<VtAliasTrans*>(this), all ? 1 : 0);
}

namespace {
VtAtomArray* ArrayHandle(const AtomArray* array) {
    return reinterpret_cast<VtAtomArray*>(const_cast<AtomArray*>(array));
}
} // namespace

AtomArray* AtomArray::Alloc() {
    return reinterpret_cast<AtomArray*>(vt::Tables()->objects->array_alloc());
}

void AtomArray::Free(AtomArray*& array) {
    if (array != nullptr) vt::Tables()->objects->array_free(ArrayHandle(array));
    array = nullptr;
}

int32_t AtomArray::GetCount() const {
    return vt::Tables()->objects->array_get_count(ArrayHandle(this));
}

C4DAtom* AtomArray::GetIndex(int32_t index) const {
    return FromHandle<C4DAtom>(vt::Tables()->objects->array_get_index(ArrayHandle(this), index));
}

Bool AtomArray::Append(C4DAtom* atom) {
    return vt::Tables()->objects->array_append(ArrayHandle(this),
                                               atom != nullptr ? atom->Handle() : nullptr) != 0;
}

Bool AtomArray::Remove(C4DAtom* atom) {
    return vt::Tables()->objects->array_remove(ArrayHandle(this),
                                               atom != nullptr ? atom->Handle() : nullptr) != 0;
}

void AtomArray::Flush() {
    vt::Tables()->objects->array_flush(ArrayHandle(this));
}

int32_t AtomArray::Find(C4DAtom* atom) const {
    const int32_t count = GetCount();
    for (int32_t i = 0; i < count; ++i) {
        if (GetIndex(i) == atom) return i;
    }
    return -1;
}

void PriorityList::Add(GeListNode* node, int32_t priority, int32_t flags) {
    vt::Tables()->objects->priority_add(reinterpret_cast<VtPriorityList*>(this),
                                        node != nullptr ? node->Handle() : nullptr, priority,
                                        flags);
}
