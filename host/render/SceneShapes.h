// How pictures show the scene's own objects: each host object type has a shape (surfaces and
// lines in the object's own space), and a generator's output shows as its instances, each
// drawn as its source object's shape. New object types add a builder to the library.
#pragma once

#include "host/render/RenderList.h"

#include <functional>
#include <map>

namespace vantri {

class Document;
class SceneObject;

/// Receives one object's shape, in the object's own space.
class ShapeSink {
  public:
    virtual ~ShapeSink() = default;
    /// A flat polygon of 3 or 4 points, shaded in the object's colour.
    virtual void face(const VtVector* points, int32_t count) = 0;
    /// A line in the object's line colour.
    virtual void line(const VtVector& from, const VtVector& to) = 0;
};

using ShapeBuilder = std::function<void(const SceneObject& object, ShapeSink& sink)>;

/// The shape of each object type that has one.
class ShapeLibrary {
  public:
    /// The host's shapes: cubes, planes, spheres and polygon objects as their polygons (a
    /// cube made without polygons as its bounding box), splines as their curves, nulls as
    /// a small cross.
    static ShapeLibrary standard();

    /// Sets the shape of `type`, replacing any it had.
    void add(int32_t type, ShapeBuilder builder) { builders_[type] = std::move(builder); }
    const ShapeBuilder* find(int32_t type) const;

  private:
    std::map<int32_t, ShapeBuilder> builders_;
};

/// Half the length of each arm of a null's cross, in scene units.
constexpr double kNullCrossSize = 25.0;

/// The colour of the agents of the `index`-th generator in document order.
Rgb generator_colour(size_t index);

/// Adds the shapes of every object the viewport shows. Objects that generated output show as
/// that output, whose instances show as their source objects (with the source's children),
/// coloured by generator; other objects show in a neutral colour; nulls inside generated
/// output show nothing.
void add_scene_shapes(const Document& document, const ShapeLibrary& shapes, RenderList& out);

} // namespace vantri
