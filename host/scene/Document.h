// A document: the root of a scene tree, with its time, frame rate and frame range.
#pragma once

#include "host/scene/SceneObject.h"

#include <functional>

namespace vantri {

/// The document's type id.
constexpr int32_t kDocumentType = 110059;

class Document : public Atom {
  public:
    Document();
    ~Document() override;

    static Document* from(VtAtom* h);

    VtTime time() const { return time_; }
    VtTime min_time() const { return min_time_; }
    void set_min_time(VtTime t) { min_time_ = t; }
    VtTime max_time() const { return max_time_; }
    void set_max_time(VtTime t) { max_time_ = t; }
    int32_t fps() const { return fps_; }
    void set_fps(int32_t fps) { fps_ = fps; }
    /// Sets the time to a whole frame at the document's frame rate.
    void set_frame(int32_t frame);

    /// Adds an object at the end of the top level, or as the last child of `parent`.
    void insert(SceneObject* object, SceneObject* parent = nullptr);
    /// Every object of the scene tree (not generated output), parents before children.
    void for_each_object(const std::function<void(SceneObject&)>& visit) const;
    /// The first object with this name, or null.
    SceneObject* find(const std::string& name) const;

    Document* document() override { return this; }

    /// Animates the scene at step 1 of every evaluated frame, after the time is set (the
    /// scene's keyframed tracks); empty when nothing is animated.
    std::function<void(Document&)> animation;

  private:
    VtTime time_{0.0, 1.0};
    VtTime min_time_{0.0, 1.0};
    VtTime max_time_{0.0, 1.0};
    int32_t fps_ = 25;
};

} // namespace vantri
