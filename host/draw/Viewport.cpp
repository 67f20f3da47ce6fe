#include "host/draw/Viewport.h"

#include "host/plugin/ObjectTypes.h"
#include "host/scene/Document.h"

namespace vantri {

void Viewport::begin_object(const SceneObject* object, DrawPass pass) {
    object_ = object;
    pass_ = pass;
    matrix_ = kIdentityMatrix;
    pen_ = VtVector{1, 1, 1};
}

void Viewport::end_object(int32_t result) {
    list_.calls.push_back({object_, pass_, result});
}

void Viewport::record(DrawShape shape) {
    DrawItem item;
    item.object = object_;
    item.pass = pass_;
    item.matrix = matrix_;
    item.pen = pen_;
    item.shape = std::move(shape);
    list_.items.push_back(std::move(item));
}

void Viewport::set_matrix(const SceneObject* for_object, const VtMatrix& m) {
    matrix_ = m;
    record(drawn::MatrixChange{for_object});
}

void Viewport::set_pen(const VtVector& colour, int32_t flags) {
    pen_ = colour;
    record(drawn::PenChange{flags});
}

void Viewport::line(const VtVector& from, const VtVector& to, int32_t flags) {
    record(drawn::Line{from, to, flags});
}

void Viewport::circle(const VtMatrix& m) {
    record(drawn::Circle{m});
}

void Viewport::box(const VtMatrix& m, double size, const VtVector& colour, bool wire) {
    record(drawn::Box{m, size, colour, wire});
}

void Viewport::textured_quad(drawn::TexturedQuad quad) {
    record(std::move(quad));
}

bool shown_in_viewport(const SceneObject& object) {
    for (const Atom* up = object.parent(); up != nullptr; up = up->parent()) {
        if (up->kind() != Atom::Kind::Object) break;
        if (static_cast<const SceneObject*>(up)->cache() != nullptr) return false;
    }
    return true;
}

void draw_document(Document& document, DisplayList& list) {
    list.clear();
    std::vector<SceneObject*> objects;
    document.for_each_object([&](SceneObject& object) {
        if (object.object_type() != nullptr && shown_in_viewport(object))
            objects.push_back(&object);
    });
    Viewport viewport(list);
    for (DrawPass pass : kDrawPasses) {
        for (SceneObject* object : objects) {
            const ObjectType* type = object->object_type();
            DrawContext context{object, object->global_matrix()};
            viewport.begin_object(object, pass);
            const int32_t result = type->callbacks->draw(object->instance(), object->handle(),
                                                         static_cast<int32_t>(pass),
                                                         viewport.handle(), context.handle());
            viewport.end_object(result);
        }
    }
}

} // namespace vantri
