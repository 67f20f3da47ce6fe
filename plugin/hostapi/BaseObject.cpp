#include "plugin/hostapi/BaseObject.h"

#include "plugin/hostapi/host_binding.h"

#include "plugin/hostapi/SceneHandles.h"

BaseObject* BaseObject::Alloc(int32_t type) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return FromHandle<BaseObject>(objects->alloc(type));
}

void BaseObject::Free(BaseObject*& object) {
    const VtObjectTable* objects = vt::ObjectTable();
    if (object != nullptr && objects != nullptr) objects->free(object->Handle());
    object = nullptr;
}

LMatrix BaseObject::GetMg() const {
    VtMatrix m{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_mg(Handle(), &m);
    return FromAbi(m);
}

LMatrix BaseObject::GetMl() const {
    VtMatrix m{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_ml(Handle(), &m);
    return FromAbi(m);
}

void BaseObject::SetMl(const LMatrix& m) {
    const VtMatrix abi = ToAbi(m);
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->set_ml(Handle(), &abi);
}

LMatrix BaseObject::GetUpMg() const {
    VtMatrix m{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_up_mg(Handle(), &m);
    return FromAbi(m);
}

LVector BaseObject::GetRelPos() const {
    VtVector v{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_rel_pos(Handle(), &v);
    return FromAbi(v);
}

void BaseObject::SetRelPos(const LVector& v) {
    const VtVector abi = ToAbi(v);
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->set_rel_pos(Handle(), &abi);
}

LVector BaseObject::GetRelRot() const {
    VtVector v{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_rel_rot(Handle(), &v);
    return FromAbi(v);
}

void BaseObject::SetRelRot(const LVector& v) {
    const VtVector abi = ToAbi(v);
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->set_rel_rot(Handle(), &abi);
}

LVector BaseObject::GetRad() const {
    VtVector v{};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->get_rad(Handle(), &v);
    return FromAbi(v);
}

BaseObject* BaseObject::GetCache() const {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    return FromHandle<BaseObject>(objects->get_cache(Handle()));
}

BaseObject* BaseObject::GetAndCheckHierarchyClone(HierarchyHelp* hh, BaseObject* child,
                                                  int32_t flags, Bool* dirty, AliasTrans* trans,
                                                  Bool all_children) {
    int32_t is_dirty = 0;
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return nullptr;
    VtAtom* result = objects->get_and_check_hierarchy_clone(
        Handle(), reinterpret_cast<VtHierarchyHelp*>(hh),
        child != nullptr ? child->Handle() : nullptr, flags, &is_dirty,
        reinterpret_cast<VtAliasTrans*>(trans), all_children ? 1 : 0);
    if (dirty != nullptr) *dirty = is_dirty != 0;
    return FromHandle<BaseObject>(result);
}

BaseTime BaseDocument::GetTime() const {
    VtTime t{0.0, 1.0};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->doc_get_time(Handle(), &t);
    return BaseTime(t.numerator, t.denominator);
}

BaseTime BaseDocument::GetMinTime() const {
    VtTime t{0.0, 1.0};
    if (const VtObjectTable* objects = vt::ObjectTable()) objects->doc_get_min_time(Handle(), &t);
    return BaseTime(t.numerator, t.denominator);
}

int32_t BaseDocument::GetFps() const {
    const VtObjectTable* objects = vt::ObjectTable();
    if (objects == nullptr) return 0;
    return objects->doc_get_fps(Handle());
}
