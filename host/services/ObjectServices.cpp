// Objects, documents, links, alias translators, atom arrays and the execution pipeline.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/eval/ExecutionList.h"
#include "host/memory/Allocator.h"
#include "host/scene/Document.h"
#include "host/scene/ObjectFactory.h"

#include <algorithm>
#include <new>
#include <vector>

namespace vantri {

namespace {

SceneObject* object_of(VtAtom* handle) {
    return SceneObject::from(handle);
}

// ------------------------------------------------------------------ objects

VtAtom* alloc(int32_t type) {
    Host* host = calling_host();
    if (host == nullptr || !allocator().admit(sizeof(SceneObject))) return nullptr;
    const Result<SceneObject*> made = create_object(host->types(), type);
    if (!made) {
        allocator().retire(sizeof(SceneObject));
        return nullptr;
    }
    SceneObject* object = *made;
    object->set_counted(sizeof(SceneObject));
    return object->handle();
}

void free_object(VtAtom* handle) {
    SceneObject* object = object_of(handle);
    if (object == nullptr) return;
    if (object->parent() != nullptr || object->cache_owner() != nullptr) {
        if (Host* host = calling_host())
            host->report_misuse("freed object '" + object->name() +
                                "', which belongs to a tree or a generator's output");
        return;
    }
    delete object;
}

void get_mg(VtAtom* h, VtMatrix* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->global_matrix();
}
void get_ml(VtAtom* h, VtMatrix* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->local_matrix();
}
void set_ml(VtAtom* h, const VtMatrix* m) {
    if (SceneObject* o = object_of(h); o && m) o->set_local_matrix(*m);
}
void get_up_mg(VtAtom* h, VtMatrix* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->parent_global_matrix();
}
void get_rel_pos(VtAtom* h, VtVector* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->position();
}
void set_rel_pos(VtAtom* h, const VtVector* v) {
    if (SceneObject* o = object_of(h); o && v) o->set_position(*v);
}
void get_rel_rot(VtAtom* h, VtVector* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->rotation();
}
void set_rel_rot(VtAtom* h, const VtVector* v) {
    if (SceneObject* o = object_of(h); o && v) o->set_rotation(*v);
}
void get_rad(VtAtom* h, VtVector* out) {
    if (SceneObject* o = object_of(h); o && out) *out = o->radius();
}

VtAtom* get_cache(VtAtom* h) {
    SceneObject* o = object_of(h);
    return o != nullptr && o->cache() != nullptr ? o->cache()->handle() : nullptr;
}

// The change mark of `child` (and, with all_children, of the siblings after it), together
// with the generator's own list of children.
uint64_t children_mark(const SceneObject& op, const Atom* child, bool all_children) {
    uint64_t mark = op.structure_dirty();
    for (const Atom* node = child; node != nullptr; node = all_children ? node->next() : nullptr) {
        mark = std::max(mark, node->subtree_dirty());
    }
    return mark;
}

VtAtom* get_and_check_hierarchy_clone(VtAtom* op_handle, VtHierarchyHelp*, VtAtom* child_handle,
                                      int32_t, int32_t* dirty, VtAliasTrans* trans,
                                      int32_t all_children) {
    SceneObject* op = object_of(op_handle);
    SceneObject* child = object_of(child_handle);
    if (dirty != nullptr) *dirty = 0;
    if (op == nullptr || child == nullptr) return nullptr;
    const uint64_t mark = children_mark(*op, child, all_children != 0);
    if (op->cache() != nullptr && mark <= op->clone_mark()) return op->cache()->handle();
    if (dirty != nullptr) *dirty = 1;
    // The clone is the plug-in's to free, so it counts as one of its objects.
    Host* host = calling_host();
    if (host == nullptr || !allocator().admit(sizeof(SceneObject))) return nullptr;
    AliasMap* aliases = reinterpret_cast<AliasMap*>(trans);
    SceneObject* clone = nullptr;
    if (all_children) {
        const Result<SceneObject*> group = create_object(host->types(), kNullType);
        clone = group ? *group : nullptr;
        for (Atom* node = child; clone != nullptr && node != nullptr; node = node->next()) {
            SceneObject* source = SceneObject::from(node);
            if (source == nullptr) continue;
            SceneObject* copy = clone_object(host->types(), *source, aliases);
            if (copy == nullptr) {
                delete clone;
                clone = nullptr;
                break;
            }
            copy->insert_under_last(clone);
        }
    } else {
        clone = clone_object(host->types(), *child, aliases);
    }
    if (clone == nullptr) {
        allocator().retire(sizeof(SceneObject));
        return nullptr;
    }
    clone->set_counted(sizeof(SceneObject));
    op->set_clone_mark(mark);
    return clone->handle();
}

void priority_add(VtPriorityList* list, VtAtom* h, int32_t priority, int32_t flags) {
    SceneObject* object = object_of(h);
    if (list == nullptr || object == nullptr) return;
    ExecutionList* pipeline = ExecutionList::from(list);
    pipeline->entries.push_back(ExecutionEntry{object, priority, flags, pipeline->current_order});
}

// ------------------------------------------------------------------ documents

void doc_get_time(VtAtom* h, VtTime* out) {
    if (Document* d = Document::from(h); d && out) *out = d->time();
}
void doc_get_min_time(VtAtom* h, VtTime* out) {
    if (Document* d = Document::from(h); d && out) *out = d->min_time();
}
int32_t doc_get_fps(VtAtom* h) {
    Document* d = Document::from(h);
    return d != nullptr ? d->fps() : 0;
}
int32_t check_is_running(int32_t what) {
    Host* host = calling_host();
    return what == 0 && host != nullptr && host->animation_running() ? 1 : 0;
}

// ------------------------------------------------------------------ links

struct Link {
    uint64_t target = 0;
};

VtLink* link_alloc() {
    if (!allocator().admit(sizeof(Link))) return nullptr;
    return reinterpret_cast<VtLink*>(new Link);
}
void link_free(VtLink* link) {
    if (link == nullptr) return;
    delete reinterpret_cast<Link*>(link);
    allocator().retire(sizeof(Link));
}
void link_set(VtLink* link, VtAtom* target) {
    if (link != nullptr)
        reinterpret_cast<Link*>(link)->target = target ? Atom::from(target)->serial() : 0;
}
VtAtom* link_get(VtLink* link, VtAtom* document) {
    if (link == nullptr) return nullptr;
    Atom* target = Atom::find_serial(reinterpret_cast<Link*>(link)->target);
    if (target == nullptr) return nullptr;
    if (document != nullptr && target->document() != Atom::from(document)) return nullptr;
    return target->handle();
}

// ------------------------------------------------------------------ alias translators

VtAliasTrans* alias_alloc() {
    if (!allocator().admit(sizeof(AliasMap))) return nullptr;
    return reinterpret_cast<VtAliasTrans*>(new AliasMap);
}
int32_t alias_init(VtAliasTrans* trans, VtAtom*) {
    if (trans == nullptr) return 0;
    reinterpret_cast<AliasMap*>(trans)->initialised = true;
    return 1;
}
void alias_translate(VtAliasTrans* trans, int32_t) {
    if (trans != nullptr) reinterpret_cast<AliasMap*>(trans)->translate();
}
void alias_free(VtAliasTrans* trans) {
    if (trans == nullptr) return;
    delete reinterpret_cast<AliasMap*>(trans);
    allocator().retire(sizeof(AliasMap));
}

// ------------------------------------------------------------------ atom arrays

using AtomList = std::vector<VtAtom*>;

AtomList* list_of(VtAtomArray* a) {
    return reinterpret_cast<AtomList*>(a);
}
const AtomList* list_of(const VtAtomArray* a) {
    return reinterpret_cast<const AtomList*>(a);
}

VtAtomArray* array_alloc() {
    if (!allocator().admit(sizeof(AtomList))) return nullptr;
    return reinterpret_cast<VtAtomArray*>(new AtomList);
}
void array_free(VtAtomArray* a) {
    if (a == nullptr) return;
    delete list_of(a);
    allocator().retire(sizeof(AtomList));
}
int32_t array_append(VtAtomArray* a, VtAtom* atom) {
    if (a == nullptr) return 0;
    // Growing the array is an allocation the plug-in asked for.
    AtomList* list = list_of(a);
    if (list->size() == list->capacity() && !allocator().admit(0)) return 0;
    if (list->size() == list->capacity()) allocator().retire(0);
    list->push_back(atom);
    return 1;
}
int32_t array_get_count(const VtAtomArray* a) {
    return a != nullptr ? static_cast<int32_t>(list_of(a)->size()) : 0;
}
VtAtom* array_get_index(const VtAtomArray* a, int32_t i) {
    if (a == nullptr || i < 0 || i >= array_get_count(a)) return nullptr;
    return (*list_of(a))[static_cast<size_t>(i)];
}
int32_t array_remove(VtAtomArray* a, VtAtom* atom) {
    if (a == nullptr) return 0;
    AtomList* list = list_of(a);
    auto it = std::find(list->begin(), list->end(), atom);
    if (it == list->end()) return 0;
    list->erase(it);
    return 1;
}

const VtObjectTable kTable = {
    .size = sizeof(VtObjectTable),
    .alloc = alloc,
    .free = free_object,
    .get_mg = get_mg,
    .get_ml = get_ml,
    .set_ml = set_ml,
    .get_up_mg = get_up_mg,
    .get_rel_pos = get_rel_pos,
    .set_rel_pos = set_rel_pos,
    .get_rel_rot = get_rel_rot,
    .set_rel_rot = set_rel_rot,
    .retired_get_rel_scale = nullptr,
    .get_rad = get_rad,
    .get_cache = get_cache,
    .get_and_check_hierarchy_clone = get_and_check_hierarchy_clone,
    .priority_add = priority_add,
    .doc_get_time = doc_get_time,
    .doc_get_min_time = doc_get_min_time,
    .retired_doc_get_max_time = nullptr,
    .doc_get_fps = doc_get_fps,
    .check_is_running = check_is_running,
    .link_alloc = link_alloc,
    .link_free = link_free,
    .link_set = link_set,
    .link_get = link_get,
    .alias_alloc = alias_alloc,
    .alias_init = alias_init,
    .alias_translate = alias_translate,
    .alias_free = alias_free,
    .array_alloc = array_alloc,
    .array_free = array_free,
    .array_append = array_append,
    .array_get_count = array_get_count,
    .array_get_index = array_get_index,
    .array_remove = array_remove,
};

} // namespace

const VtObjectTable* object_table() {
    return &kTable;
}

} // namespace vantri
