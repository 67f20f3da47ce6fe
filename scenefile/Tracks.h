// Keyframed position and rotation tracks of a scene's objects. The frame evaluator applies
// them first thing in every frame, after setting the time, so that an animated object (a
// follow target, a moving obstacle) is where its track puts it before anything reads it.
#pragma once

#include "host/scene/Document.h"
#include "scenefile/SceneFile.h"

#include <vector>

namespace vantri {

/// The value of a track at `frame`: the first key's value before it, the last key's after
/// it, and in between the linear interpolation of the two keys around the frame.
/// `keys` is non-empty and in increasing frame order.
VtVector track_value(const std::vector<TrackKey>& keys, double frame);

class SceneTracks {
  public:
    /// Tracks `object` (by its serial, so a removed object is skipped); either list may be
    /// empty.
    void add(const SceneObject& object, std::vector<TrackKey> position,
             std::vector<TrackKey> rotation);
    bool empty() const { return tracks_.empty(); }
    /// Moves every tracked object that still exists to its tracks' values at `frame`.
    void apply(double frame) const;
    /// Makes `document` apply these tracks at every evaluated frame.
    void attach(Document& document) const;

  private:
    struct ObjectTrack {
        uint64_t object;
        std::vector<TrackKey> position;
        std::vector<TrackKey> rotation;
    };
    std::vector<ObjectTrack> tracks_;
};

} // namespace vantri
