#include "host/scene/Document.h"

#include <cmath>

namespace vantri {

Document::Document() : Atom(Kind::Document, kDocumentType) {}

Document::~Document() {
    free_children();
}

Document* Atom::document() {
    Atom* node = this;
    while (node->parent() != nullptr)
        node = node->parent();
    return node->kind() == Kind::Document ? static_cast<Document*>(node) : nullptr;
}

Document* Document::from(VtAtom* h) {
    Atom* atom = Atom::from(h);
    if (atom == nullptr || atom->kind() != Kind::Document) return nullptr;
    return static_cast<Document*>(atom);
}

void Document::set_frame(int32_t frame) {
    time_ = VtTime{static_cast<double>(frame), static_cast<double>(fps_)};
}

void Document::insert(SceneObject* object, SceneObject* parent) {
    object->insert_under_last(parent != nullptr ? static_cast<Atom*>(parent) : this);
}

namespace {
void visit_subtree(Atom* node, const std::function<void(SceneObject&)>& visit) {
    for (Atom* child = node->first_child(); child != nullptr; child = child->next()) {
        if (SceneObject* object = SceneObject::from(child)) {
            visit(*object);
            visit_subtree(object, visit);
        }
    }
}
} // namespace

void Document::for_each_object(const std::function<void(SceneObject&)>& visit) const {
    visit_subtree(const_cast<Document*>(this), visit);
}

SceneObject* Document::find(const std::string& name) const {
    SceneObject* found = nullptr;
    for_each_object([&](SceneObject& object) {
        if (found == nullptr && object.name() == name) found = &object;
    });
    return found;
}

} // namespace vantri
