#include "results/RunRecording.h"

#include "host/plugin/ObjectTypes.h"
#include "host/scene/Transform.h"

namespace vantri {

namespace {

// The plug-in's object types and the parameters read here.
constexpr int32_t kGeneratorType = 1027810;
constexpr int32_t kWorldType = 1027811;
constexpr int32_t kObstacleType = 1027812;
constexpr int32_t kWorldTerrain = 1000;
constexpr int32_t kObstacleShape = 1000;
constexpr int32_t kObstacleSphere = 1001;
constexpr int32_t kObstacleBox = 1002;
constexpr int32_t kObstacleObject = 1005;
constexpr int32_t kObstacleRadius = 1007;
constexpr int32_t kObstacleSizeX = 1009;
constexpr int32_t kObstacleSizeY = 1010;
constexpr int32_t kObstacleSizeZ = 1011;
constexpr int32_t kObstacleLink = 1013;
constexpr int32_t kGeneratorSizeX = 1034;
constexpr int32_t kGeneratorSizeY = 1035;
constexpr int32_t kGeneratorSizeZ = 1036;

constexpr int32_t kNoShapeYet = -2;

SceneObject* linked_object(const SceneObject& object, int32_t parameter) {
    const Value* value = object.data().find(parameter);
    if (value == nullptr || value->type != VT_DTYPE_LINK) return nullptr;
    return SceneObject::from(value->target());
}

AgentPose pose_of(const VtMatrix& global) {
    const ExportTransform t = export_transform(global);
    AgentPose pose;
    pose.translation[0] = static_cast<float>(t.translation.x);
    pose.translation[1] = static_cast<float>(t.translation.y);
    pose.translation[2] = static_cast<float>(t.translation.z);
    for (int i = 0; i < 4; ++i)
        pose.rotation[i] = static_cast<float>(t.rotation[i]);
    return pose;
}

} // namespace

const char* piece_kind_name(PieceKind kind) {
    switch (kind) {
    case PieceKind::Obstacle:
        return "obstacle";
    case PieceKind::Terrain:
        return "terrain";
    case PieceKind::Curve:
        return "curve";
    case PieceKind::Marker:
        return "marker";
    case PieceKind::Scenery:
        break;
    }
    return "scenery";
}

bool RecordedPiece::moves() const {
    for (const VtMatrix& m : matrices) {
        if (!same_matrix(m, matrices.front())) return true;
    }
    return false;
}

void RunRecording::begin(const Document& document, const std::vector<SceneObject*>& generators,
                         const ShapeMakers& makers) {
    *this = RunRecording{};
    makers_ = &makers;
    fps_ = document.fps();
    generator_objects_ = generators;
    for (SceneObject* generator : generators)
        generators_.push_back(RecordedGenerator{generator->name(), {}, {}, {}});
    body_shapes_.assign(generators.size(), kNoShapeYet);
    find_pieces(document, makers);
}

int32_t RunRecording::add_shape(const std::string& name, ObjectShape shape) {
    shapes_.push_back(RecordedShape{name, std::move(shape)});
    return static_cast<int32_t>(shapes_.size() - 1);
}

// Every object with geometry outside the generators (whose children are shown by their
// agents), every obstacle's sphere or box, and every null outside the generators. What links an
// object decides its kind: a world's terrain, an obstacle's geometry; otherwise a line is a curve
// and a mesh scenery.
void RunRecording::find_pieces(const Document& document, const ShapeMakers& makers) {
    std::unordered_map<const SceneObject*, PieceKind> roles;
    document.for_each_object([&](SceneObject& object) {
        if (object.type() == kWorldType) {
            if (SceneObject* terrain = linked_object(object, kWorldTerrain))
                roles[terrain] = PieceKind::Terrain;
        } else if (object.type() == kObstacleType &&
                   object.data().get_int(kObstacleShape) == kObstacleObject) {
            if (SceneObject* linked = linked_object(object, kObstacleLink))
                roles.emplace(linked, PieceKind::Obstacle);
        }
    });

    const auto visit = [&](const auto& self, Atom* atom) -> void {
        for (; atom != nullptr; atom = atom->next()) {
            SceneObject* object = SceneObject::from(atom);
            if (object == nullptr) continue;
            ObjectShape shape;
            PieceKind kind = PieceKind::Scenery;
            if (object->type() == kObstacleType) {
                kind = PieceKind::Obstacle;
                const Container& data = object->data();
                const int32_t which = data.get_int(kObstacleShape);
                if (which == kObstacleSphere) shape = sphere_shape(data.get_real(kObstacleRadius));
                if (which == kObstacleBox)
                    shape = box_shape(VtVector{data.get_real(kObstacleSizeX) / 2,
                                               data.get_real(kObstacleSizeY) / 2,
                                               data.get_real(kObstacleSizeZ) / 2});
            } else if (makers.shape_of(*object, shape)) {
                const auto role = roles.find(object);
                kind = role != roles.end()
                           ? role->second
                           : (shape.has_mesh() ? PieceKind::Scenery : PieceKind::Curve);
            }
            if (!shape.empty()) {
                RecordedPiece piece;
                piece.name = object->name();
                piece.kind = kind;
                piece.shape = add_shape(object->name(), std::move(shape));
                pieces_.push_back(std::move(piece));
                piece_objects_.push_back(object);
            } else if (object->type() == kNullType) {
                // A null is a place (a behaviour's goal, a target): a marker without a shape.
                RecordedPiece piece;
                piece.name = object->name();
                piece.kind = PieceKind::Marker;
                pieces_.push_back(std::move(piece));
                piece_objects_.push_back(object);
            }
            // A generator's children are its agents' source objects, shown by the agents.
            if (object->type() != kGeneratorType) self(self, object->first_child());
        }
    };
    visit(visit, document.first_child());
}

// A generator's instances by handle (a record names its instance by handle, and its object
// pointer is only followed when it names one of them), and its children in order.
RunRecording::SourceIndex RunRecording::index_sources(size_t g) {
    SceneObject& generator = *generator_objects_[g];
    SourceIndex index;
    if (SceneObject* root = generator.cache()) {
        for (Atom* child = root->first_child(); child != nullptr; child = child->next()) {
            ++objects_visited_;
            index.by_instance.emplace(child->handle(),
                                      linked_object(*SceneObject::from(child), kInstanceLink));
        }
    }
    for (Atom* child = generator.first_child(); child != nullptr; child = child->next()) {
        ++objects_visited_;
        index.children.push_back(SceneObject::from(child));
    }
    return index;
}

// The shape of the object that a record's instance repeats.
int32_t RunRecording::shape_of_source(size_t g, const SourceIndex& sources,
                                      const VtAgentRecord& record, size_t index) {
    SceneObject& generator = *generator_objects_[g];
    SceneObject* source = nullptr;
    const auto instance = sources.by_instance.find(record.object);
    if (instance != sources.by_instance.end()) source = instance->second;
    // Without its instance: the source the generator gives the agent's index.
    if (source == nullptr && !sources.children.empty())
        source = sources.children[index % sources.children.size()];
    if (source != nullptr) {
        auto known = source_shapes_.find(source);
        if (known == source_shapes_.end()) {
            ObjectShape shape;
            const int32_t made = makers_->shape_of(*source, shape)
                                     ? add_shape(source->name(), std::move(shape))
                                     : -1;
            known = source_shapes_.emplace(source, made).first;
        }
        if (known->second >= 0) return known->second;
    }
    // A source without geometry (a null): the agent's body box, from the generator's sizes.
    if (body_shapes_[g] == kNoShapeYet) {
        const Container& data = generator.data();
        ObjectShape body = box_shape(VtVector{data.get_real(kGeneratorSizeX) / 2,
                                              data.get_real(kGeneratorSizeY) / 2,
                                              data.get_real(kGeneratorSizeZ) / 2});
        body_shapes_[g] =
            body.empty() ? -1 : add_shape(generator.name() + " body", std::move(body));
    }
    return body_shapes_[g];
}

void RunRecording::add_frame(int32_t frame, const std::vector<GeneratorFrame>& frame_generators) {
    frames_.push_back(frame);
    offsets_.emplace_back();
    size_t agents = 0;
    for (size_t g = 0; g < generators_.size() && g < frame_generators.size(); ++g)
        agents += frame_generators[g].count;
    std::vector<AgentPose>& poses = poses_.emplace_back();
    poses.reserve(agents);
    for (size_t g = 0; g < generators_.size(); ++g) {
        RecordedGenerator& generator = generators_[g];
        offsets_.back().push_back(poses.size());
        const GeneratorFrame none{};
        const GeneratorFrame& list = g < frame_generators.size() ? frame_generators[g] : none;
        generator.counts.push_back(static_cast<uint32_t>(list.count));
        SourceIndex sources;
        if (list.count > generator.agent_shapes.size()) sources = index_sources(g);
        for (size_t i = 0; i < list.count; ++i) {
            // The same product as agents.csv's position: the generator's matrix applied to
            // the record's matrix in generator space.
            const VtMatrix global = multiply(list.matrix, list.records[i].mg);
            poses.push_back(pose_of(global));
            if (i >= generator.agent_shapes.size()) {
                generator.agent_shapes.push_back(shape_of_source(g, sources, list.records[i], i));
                generator.agent_scales.push_back(export_transform(global).scale);
            }
        }
    }
    for (size_t p = 0; p < pieces_.size(); ++p)
        pieces_[p].matrices.push_back(piece_objects_[p]->global_matrix());
}

AgentPose RunRecording::pose(size_t frame, size_t generator, size_t agent) const {
    if (frame < frames_.size() && generator < generators_.size() &&
        agent < generators_[generator].counts[frame])
        return poses_[frame][offsets_[frame][generator] + agent];
    return AgentPose{{0, 0, 0}, {0, 0, 0, 0}};
}

size_t RunRecording::agent_count() const {
    size_t count = 0;
    for (const RecordedGenerator& generator : generators_)
        count += generator.agent_shapes.size();
    return count;
}

} // namespace vantri
