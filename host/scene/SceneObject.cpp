#include "host/scene/SceneObject.h"

#include "host/geometry/Mesh.h"
#include "host/geometry/SplinePath.h"
#include "host/geometry/TriangleBvh.h"
#include "host/memory/Allocator.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/Document.h"
#include "host/scene/Transform.h"

namespace vantri {

SceneObject::SceneObject(int32_t type) : Atom(Kind::Object, type), local_(identity_matrix()) {}

SceneObject::~SceneObject() {
    set_cache(nullptr);
    free_children();
    if (instance_ != nullptr && object_type_ != nullptr) object_type_->callbacks->free(instance_);
    instance_ = nullptr;
    if (counted_bytes_ != 0) allocator().retire(counted_bytes_);
}

SceneObject* SceneObject::from(VtAtom* h) {
    return from(Atom::from(h));
}

SceneObject* SceneObject::from(Atom* atom) {
    if (atom == nullptr || atom->kind() != Kind::Object) return nullptr;
    return static_cast<SceneObject*>(atom);
}

// The rotation of the new axes is worked out when it is first asked for: a generator sets
// the matrix of every agent and then its rotation at once, every frame.
void SceneObject::set_local_matrix(const VtMatrix& m) {
    local_ = m;
    rotation_stale_ = true;
    scale_ = scale_from_axes(m);
    touch();
}

const VtVector& SceneObject::rotation() const {
    if (rotation_stale_) {
        rotation_ = rotation_from_axes(local_);
        rotation_stale_ = false;
    }
    return rotation_;
}

void SceneObject::set_position(const VtVector& p) {
    local_.off = p;
    touch();
}

void SceneObject::set_rotation(const VtVector& hpb) {
    rotation_ = hpb;
    rotation_stale_ = false;
    rebuild_axes();
}

void SceneObject::set_scale(const VtVector& s) {
    rotation();
    scale_ = s;
    rebuild_axes();
}

void SceneObject::rebuild_axes() {
    const VtMatrix axes = axes_from_rotation(rotation_, scale_);
    local_.v1 = axes.v1;
    local_.v2 = axes.v2;
    local_.v3 = axes.v3;
    touch();
}

void SceneObject::copy_transform_from(const SceneObject& other) {
    local_ = other.local_;
    rotation_ = other.rotation();
    rotation_stale_ = false;
    scale_ = other.scale_;
    if (other.shape_ != nullptr || shape_ != nullptr) {
        static const Shape kNone;
        const Shape& from = other.shape_ != nullptr ? *other.shape_ : kNone;
        Shape& to = shape();
        to.radius = from.radius;
        to.spline = from.spline;
        to.mesh = from.mesh;
        to.geometry_mark = from.geometry_mark;
        to.hierarchy = from.hierarchy;
    }
    touch();
}

VtMatrix SceneObject::parent_global_matrix() const {
    if (SceneObject* up = SceneObject::from(parent())) return up->global_matrix();
    if (cache_owner_ != nullptr) return cache_owner_->global_matrix();
    return identity_matrix();
}

VtMatrix SceneObject::global_matrix() const {
    if (parent() == nullptr && cache_owner_ == nullptr) return local_;
    return multiply(parent_global_matrix(), local_);
}

SceneObject::Shape& SceneObject::shape() {
    if (shape_ == nullptr) shape_ = std::make_unique<Shape>();
    return *shape_;
}

const std::shared_ptr<const SplinePath>& SceneObject::spline() const {
    static const std::shared_ptr<const SplinePath> kNone;
    return shape_ != nullptr ? shape_->spline : kNone;
}

const std::shared_ptr<const Mesh>& SceneObject::mesh() const {
    static const std::shared_ptr<const Mesh> kNone;
    return shape_ != nullptr ? shape_->mesh : kNone;
}

void SceneObject::set_radius(const VtVector& r) {
    shape().radius = r;
}

VtVector SceneObject::radius() const {
    if (shape_ == nullptr) return VtVector{0, 0, 0};
    if (shape_->mesh != nullptr) return shape_->mesh->bounds_half_size();
    if (shape_->spline != nullptr) {
        VtVector centre, half;
        bounding_box(shape_->spline->points(), centre, half);
        return half;
    }
    return shape_->radius;
}

VtVector SceneObject::bounds_centre() const {
    if (shape_ == nullptr) return VtVector{0, 0, 0};
    if (shape_->mesh != nullptr) return shape_->mesh->bounds_centre();
    if (shape_->spline != nullptr) {
        VtVector centre, half;
        bounding_box(shape_->spline->points(), centre, half);
        return centre;
    }
    return VtVector{0, 0, 0};
}

void SceneObject::set_spline(std::shared_ptr<const SplinePath> spline) {
    Shape& s = shape();
    s.spline = std::move(spline);
    s.geometry_mark = next_change();
    touch();
}

std::shared_ptr<const TriangleBvh> SceneObject::ray_hierarchy(bool rebuild) const {
    if (shape_ == nullptr || shape_->mesh == nullptr) return nullptr;
    if (shape_->hierarchy == nullptr || rebuild) {
        auto bvh = std::make_shared<TriangleBvh>();
        bvh->build(*shape_->mesh);
        shape_->hierarchy = std::move(bvh);
        ++shape_->hierarchy_builds;
    }
    return shape_->hierarchy;
}

void SceneObject::set_mesh(std::shared_ptr<const Mesh> mesh) {
    Shape& s = shape();
    s.hierarchy.reset();
    s.mesh = std::move(mesh);
    s.geometry_mark = next_change();
    touch();
}

void SceneObject::attach_instance(const ObjectType* type, VtNodeData* instance) {
    object_type_ = type;
    instance_ = instance;
}

void SceneObject::set_cache(SceneObject* cache) {
    if (cache == cache_) return;
    if (cache_ != nullptr) {
        cache_->cache_owner_ = nullptr;
        delete cache_;
    }
    cache_ = cache;
    if (cache_ != nullptr) {
        cache_->remove();
        cache_->cache_owner_ = this;
    }
}

Document* SceneObject::document() {
    const SceneObject* node = this;
    while (true) {
        while (node->parent() != nullptr && node->parent()->kind() == Kind::Object)
            node = static_cast<const SceneObject*>(node->parent());
        if (node->parent() != nullptr) return static_cast<Document*>(node->parent());
        if (node->cache_owner_ == nullptr) return nullptr;
        node = node->cache_owner_;
    }
}

} // namespace vantri
