// Parameters, messages, names and the node tree of any atom.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/Document.h"

namespace vantri {

namespace {

Atom* atom_of(VtAtom* handle) {
    return Atom::from(handle);
}

int32_t get_type(VtAtom* atom) {
    return atom != nullptr ? atom_of(atom)->type() : 0;
}

int32_t get_parameter(VtAtom* atom, const VtDescId* id, VtData* out, int32_t) {
    if (atom == nullptr || id == nullptr || out == nullptr || id->depth < 1) return 0;
    *out = VtData{};
    const Value* value = atom_of(atom)->data().find(id->level[0].id);
    if (value == nullptr) return 0;
    return value_to_plugin(*value, *out) ? 1 : 0;
}

int32_t set_parameter(VtAtom* atom, const VtDescId* id, const VtData* data, int32_t) {
    if (atom == nullptr || id == nullptr || data == nullptr || id->depth < 1) return 0;
    Value value;
    if (!Value::from_abi(*data, value)) return 0;
    atom_of(atom)->data().set(id->level[0].id, std::move(value));
    atom_of(atom)->touch();
    return 1;
}

int32_t send_message(VtAtom* atom, int32_t type, void* data) {
    SceneObject* object = SceneObject::from(atom);
    if (object == nullptr || object->object_type() == nullptr) return 1;
    return object->object_type()->callbacks->message(object->instance(), atom, type, data);
}

VtContainer* get_data_instance(VtAtom* atom) {
    return atom != nullptr ? atom_of(atom)->data().handle() : nullptr;
}

int32_t set_name(VtAtom* atom, const char* name) {
    if (atom == nullptr) return 0;
    atom_of(atom)->set_name(name != nullptr ? name : "");
    return 1;
}

VtAtom* get_document(VtAtom* atom) {
    if (atom == nullptr) return nullptr;
    Document* document = atom_of(atom)->document();
    return document != nullptr ? document->handle() : nullptr;
}

VtAtom* get_down(VtAtom* atom) {
    if (atom == nullptr) return nullptr;
    Atom* child = atom_of(atom)->first_child();
    return child != nullptr ? child->handle() : nullptr;
}

VtAtom* get_next(VtAtom* atom) {
    if (atom == nullptr) return nullptr;
    Atom* next = atom_of(atom)->next();
    return next != nullptr ? next->handle() : nullptr;
}

void insert_under_last(VtAtom* atom, VtAtom* parent) {
    if (atom == nullptr || parent == nullptr) return;
    atom_of(atom)->insert_under_last(atom_of(parent));
}

const VtAtomTable kTable = {
    .size = sizeof(VtAtomTable),
    .get_type = get_type,
    .get_parameter = get_parameter,
    .set_parameter = set_parameter,
    .send_message = send_message,
    .get_data_instance = get_data_instance,
    .retired_get_name = nullptr,
    .set_name = set_name,
    .get_document = get_document,
    .get_down = get_down,
    .get_next = get_next,
    .retired_get_up = nullptr,
    .insert_under_last = insert_under_last,
};

} // namespace

const VtAtomTable* atom_table() {
    return &kTable;
}

} // namespace vantri
