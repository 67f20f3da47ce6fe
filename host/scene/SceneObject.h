// An object of the host's scene: a type, a transform relative to its parent, parameters,
// children and, for generators, the output they generated (the cache).
#pragma once

#include "host/scene/Atom.h"

#include <memory>

namespace vantri {

struct ObjectType;
class Mesh;
class SplinePath;
class TriangleBvh;

class SceneObject : public Atom {
  public:
    /// A bare object of `type`. Plug-in types get their instance from the type registry
    /// (see ObjectFactory); this constructor does not call into any plug-in.
    explicit SceneObject(int32_t type);
    ~SceneObject() override;

    static SceneObject* from(VtAtom* h);
    static SceneObject* from(Atom* atom);

    /// The local matrix; setting it keeps it exactly and derives position, rotation, scale.
    const VtMatrix& local_matrix() const { return local_; }
    void set_local_matrix(const VtMatrix& m);
    const VtVector& position() const { return local_.off; }
    void set_position(const VtVector& p);
    /// The rotation as last set (or derived from the last matrix set).
    const VtVector& rotation() const;
    void set_rotation(const VtVector& hpb);
    const VtVector& scale() const { return scale_; }
    void set_scale(const VtVector& s);

    /// Takes the transform, bounding box and geometry of `other` exactly as they are.
    void copy_transform_from(const SceneObject& other);

    /// The global matrix: the parent's (or, for generated output, the generator's) global
    /// matrix times the local one.
    VtMatrix global_matrix() const;
    /// The global matrix of what this object hangs under (identity at the top).
    VtMatrix parent_global_matrix() const;

    /// Half the size of the bounding box: of the geometry when the object has some, else
    /// as set.
    VtVector radius() const;
    void set_radius(const VtVector& r);
    /// The centre of the bounding box in the object's own space ((0,0,0) without geometry).
    VtVector bounds_centre() const;

    /// The curve of a spline object, or null. Geometry is shared and never changed in place:
    /// a change replaces it, and raises geometry_mark().
    const std::shared_ptr<const SplinePath>& spline() const;
    void set_spline(std::shared_ptr<const SplinePath> spline);
    /// The polygons of a polygon object or a primitive, or null.
    const std::shared_ptr<const Mesh>& mesh() const;
    void set_mesh(std::shared_ptr<const Mesh> mesh);
    /// A change counter of the geometry alone (0: never set).
    uint64_t geometry_mark() const { return shape_ != nullptr ? shape_->geometry_mark : 0; }
    /// The hierarchy of the polygons for rays, built on first use (or anew with `rebuild`)
    /// and kept until the geometry changes, so that every collider on this object shares it.
    /// Null without polygons.
    std::shared_ptr<const TriangleBvh> ray_hierarchy(bool rebuild) const;
    /// How often this object's hierarchy was built.
    uint64_t hierarchy_builds() const { return shape_ != nullptr ? shape_->hierarchy_builds : 0; }

    /// The registered type, when this is a plug-in object.
    const ObjectType* object_type() const { return object_type_; }
    VtNodeData* instance() const { return instance_; }
    void attach_instance(const ObjectType* type, VtNodeData* instance);

    /// Generated output: owned by this object.
    SceneObject* cache() const { return cache_; }
    /// Replaces the cache; the old one is freed unless it is the same object.
    void set_cache(SceneObject* cache);
    /// The generator whose output this object is the root of, or null.
    SceneObject* cache_owner() const { return cache_owner_; }
    /// The change mark of the children at the last clone handed to this generator.
    uint64_t clone_mark() const { return clone_mark_; }
    void set_clone_mark(uint64_t mark) { clone_mark_ = mark; }

    /// Objects the host made for the plug-in count in the host allocator until freed.
    void set_counted(size_t bytes) { counted_bytes_ = bytes; }

    Document* document() override;

  private:
    /// The bounds and geometry that only some objects have (splines, polygons, primitives
    /// with a size). A scene holds many more objects without: a generator's instances, one
    /// per agent, so they do without the room.
    struct Shape {
        VtVector radius{0, 0, 0};
        std::shared_ptr<const SplinePath> spline;
        std::shared_ptr<const Mesh> mesh;
        uint64_t geometry_mark = 0;
        std::shared_ptr<const TriangleBvh> hierarchy;
        uint64_t hierarchy_builds = 0;
    };

    /// The local axes from the rotation and scale; the offset stays.
    void rebuild_axes();
    /// The shape, made when first needed.
    Shape& shape();

    // The transform comes first: it is what a generator touches on every instance and frame.
    VtMatrix local_; ///< its offset is the position
    mutable VtVector rotation_{0, 0, 0};
    VtVector scale_{1, 1, 1};
    mutable bool rotation_stale_ = false; ///< the axes were set since the rotation was
    std::unique_ptr<Shape> shape_;
    const ObjectType* object_type_ = nullptr;
    VtNodeData* instance_ = nullptr;
    SceneObject* cache_ = nullptr;
    SceneObject* cache_owner_ = nullptr;
    uint64_t clone_mark_ = 0;
    size_t counted_bytes_ = 0;
};

} // namespace vantri
