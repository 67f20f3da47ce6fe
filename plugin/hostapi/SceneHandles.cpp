#include "plugin/hostapi/SceneHandles.h"

#include "plugin/hostapi/host_binding.h"

BaseLink* BaseLink::Alloc() {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return reinterpret_cast<BaseLink*>(objects->link_alloc());
}

void BaseLink::Free(BaseLink*& link) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (link != nullptr && objects != nullptr) objects->link_free(reinterpret_cast<VtLink*>(link));
    link = nullptr;
}

void BaseLink::SetLink(C4DAtom* target) {
    if (const VtObjectTable* objects = vt::ObjectTable())
        objects->link_set(reinterpret_cast<VtLink*>(this),
                          target != nullptr ? target->Handle() : nullptr);
}

ParameterNode* BaseLink::GetLink(const BaseDocument* doc) const {
    VtLink* link = reinterpret_cast<VtLink*>(const_cast<BaseLink*>(this));
    VtAtom* document = doc != nullptr ? doc->Handle() : nullptr;
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return FromHandle<ParameterNode>(objects->link_get(link, document));
}

AliasTrans* AliasTrans::Alloc() {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return reinterpret_cast<AliasTrans*>(objects->alias_alloc());
}

void AliasTrans::Free(AliasTrans*& trans) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (trans != nullptr && objects != nullptr)
        objects->alias_free(reinterpret_cast<VtAliasTrans*>(trans));
    trans = nullptr;
}

Bool AliasTrans::Init(const BaseDocument* doc) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return FALSE;
    return objects->alias_init(reinterpret_cast<VtAliasTrans*>(this),
                               doc != nullptr ? doc->Handle() : nullptr) != 0;
}

void AliasTrans::Translate(Bool all) {
    if (const VtObjectTable* objects = vt::ObjectTable())
        objects->alias_translate(reinterpret_cast<VtAliasTrans*>(this), all ? 1 : 0);
}

namespace {
VtAtomArray* ArrayHandle(const AtomArray* array) {
    return reinterpret_cast<VtAtomArray*>(const_cast<AtomArray*>(array));
}
} // namespace

AtomArray* AtomArray::Alloc() {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return reinterpret_cast<AtomArray*>(objects->array_alloc());
}

void AtomArray::Free(AtomArray*& array) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (array != nullptr && objects != nullptr) objects->array_free(ArrayHandle(array));
    array = nullptr;
}

int32_t AtomArray::GetCount() const {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return 0;
    return objects->array_get_count(ArrayHandle(this));
}

C4DAtom* AtomArray::GetIndex(int32_t index) const {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return FromHandle<C4DAtom>(objects->array_get_index(ArrayHandle(this), index));
}

Bool AtomArray::Append(C4DAtom* atom) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return FALSE;
    return objects->array_append(ArrayHandle(this), atom != nullptr ? atom->Handle() : nullptr) !=
           0;
}

Bool AtomArray::Remove(C4DAtom* atom) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return FALSE;
    return objects->array_remove(ArrayHandle(this), atom != nullptr ? atom->Handle() : nullptr) !=
           0;
}

int32_t AtomArray::Find(C4DAtom* atom) const {
    const int32_t count = GetCount();
    for (int32_t i = 0; i < count; ++i) {
        if (GetIndex(i) == atom) return i;
    }
    return -1;
}

void PriorityList::Add(GeListNode* node, int32_t priority, int32_t flags) {
    if (const VtObjectTable* objects = vt::ObjectTable())
        objects->priority_add(reinterpret_cast<VtPriorityList*>(this),
                              node != nullptr ? node->Handle() : nullptr, priority, flags);
}
