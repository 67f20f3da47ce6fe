#include "scenefile/Tracks.h"

namespace vantri {

VtVector track_value(const std::vector<TrackKey>& keys, double frame) {
    if (frame <= keys.front().frame) return keys.front().value;
    if (frame >= keys.back().frame) return keys.back().value;
    size_t next = 1;
    while (keys[next].frame < frame)
        ++next;
    const TrackKey& a = keys[next - 1];
    const TrackKey& b = keys[next];
    const double t = (frame - a.frame) / (b.frame - a.frame);
    return VtVector{a.value.x + (b.value.x - a.value.x) * t,
                    a.value.y + (b.value.y - a.value.y) * t,
                    a.value.z + (b.value.z - a.value.z) * t};
}

void SceneTracks::add(const SceneObject& object, std::vector<TrackKey> position,
                      std::vector<TrackKey> rotation) {
    if (position.empty() && rotation.empty()) return;
    tracks_.push_back({object.serial(), std::move(position), std::move(rotation)});
}

void SceneTracks::apply(double frame) const {
    for (const ObjectTrack& track : tracks_) {
        SceneObject* object = SceneObject::from(Atom::find_serial(track.object));
        if (object == nullptr) continue;
        if (!track.rotation.empty()) object->set_rotation(track_value(track.rotation, frame));
        if (!track.position.empty()) object->set_position(track_value(track.position, frame));
    }
}

void SceneTracks::attach(Document& document) const {
    if (empty()) {
        document.animation = nullptr;
        return;
    }
    SceneTracks tracks = *this;
    document.animation = [tracks](Document& animated) {
        const VtTime time = animated.time();
        tracks.apply(time.numerator * animated.fps() / time.denominator);
    };
}

} // namespace vantri
