// What the viewable results (scene.glb, preview.html) show of a run, gathered while it
// plays: every agent's place and rotation at every frame in the export space (glTF's
// right-handed Y-up metres, see ExportSpace.h), the shape each agent shows (its source
// object's), and the scene's other objects with geometry: obstacles, the terrain, curves
// and scenery, and the nulls (goals and targets) as markers, with their global matrices per
// frame.
//
// A generator's agents are numbered as its records are; an agent that a frame lacks (a
// generator with fewer records at that frame than at others) is absent there.
#pragma once

#include "results/AgentRecords.h"
#include "results/ExportSpace.h"
#include "results/ObjectShapes.h"
#include "results/RunWriter.h"
#include "host/scene/Document.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace vantri {

/// An agent at one frame, in the export space. `rotation` is (x, y, z, w); all four are 0
/// where the agent is absent.
struct AgentPose {
    float translation[3];
    float rotation[4];
    bool present() const {
        return rotation[0] != 0 || rotation[1] != 0 || rotation[2] != 0 || rotation[3] != 0;
    }
};

/// A shape and the object it was made from.
struct RecordedShape {
    std::string name;
    ObjectShape shape; ///< own coordinates, scene units
};

struct RecordedGenerator {
    std::string name;
    /// Per agent: the shape it shows (an index into shapes()), or -1 for none.
    std::vector<int32_t> agent_shapes;
    /// Per agent: its scale along its own axes where it was first seen.
    std::vector<VtVector> agent_scales;
    /// The number of agents at each recorded frame.
    std::vector<uint32_t> counts;
};

/// What a piece is in the scene. A marker is a null (a goal, a target): a place with no
/// shape.
enum class PieceKind { Obstacle, Terrain, Curve, Scenery, Marker };

/// "obstacle", "terrain", "curve", "scenery", "marker".
const char* piece_kind_name(PieceKind kind);

/// A scene object shown where it stands.
struct RecordedPiece {
    std::string name;
    PieceKind kind = PieceKind::Scenery;
    int32_t shape = -1; ///< an index into RunRecording::shapes(); -1 for a marker
    /// The global matrix at each recorded frame.
    std::vector<VtMatrix> matrices;
    /// Whether the matrix changed during the run.
    bool moves() const;
};

class RunRecording {
  public:
    /// Finds the shapes of `document` and of the generators' source objects; the frames
    /// added later give the generators' records in this order. `makers` gives host objects
    /// their shapes.
    void begin(const Document& document, const std::vector<SceneObject*>& generators,
               const ShapeMakers& makers = ShapeMakers::host());
    /// Records one evaluated frame: each generator's records and matrix as read after the
    /// frame, in the order begin() was given the generators (a missing one has no agents).
    void add_frame(int32_t frame, const std::vector<GeneratorFrame>& generators);

    int32_t fps() const { return fps_; }
    const std::vector<int32_t>& frames() const { return frames_; }
    const std::vector<RecordedGenerator>& generators() const { return generators_; }
    const std::vector<RecordedPiece>& pieces() const { return pieces_; }
    const std::vector<RecordedShape>& shapes() const { return shapes_; }

    /// Agent `agent` of generator `generator` at the frame of index `frame`.
    AgentPose pose(size_t frame, size_t generator, size_t agent) const;
    /// The number of agents of every generator together (each at its largest count).
    size_t agent_count() const;

    /// The objects looked at so far to find the agents' shapes (the generators' instances
    /// and children): the work of recording grows with the crew, not with its square.
    size_t objects_visited() const { return objects_visited_; }

  private:
    /// Where a generator's new agents find their source objects, gathered once per frame
    /// that brings new agents.
    struct SourceIndex {
        std::unordered_map<const VtAtom*, SceneObject*> by_instance;
        std::vector<SceneObject*> children;
    };
    SourceIndex index_sources(size_t generator);
    int32_t shape_of_source(size_t generator, const SourceIndex& sources,
                            const VtAgentRecord& record, size_t index);
    int32_t add_shape(const std::string& name, ObjectShape shape);
    void find_pieces(const Document& document, const ShapeMakers& makers);

    int32_t fps_ = 25;
    std::vector<SceneObject*> generator_objects_;
    std::vector<RecordedGenerator> generators_;
    std::vector<RecordedPiece> pieces_;
    std::vector<SceneObject*> piece_objects_;
    std::vector<RecordedShape> shapes_;
    const ShapeMakers* makers_ = nullptr;
    /// Shapes already made, by source object.
    std::unordered_map<const SceneObject*, int32_t> source_shapes_;
    /// Per generator: the body box shown for sources without geometry (-2: not made yet).
    std::vector<int32_t> body_shapes_;
    std::vector<int32_t> frames_;
    /// Per frame: every generator's agents in turn, in a block of its own size, so that a
    /// long run never copies its poses into a larger block.
    std::vector<std::vector<AgentPose>> poses_;
    /// Per frame and generator: where its poses start in the frame's block.
    std::vector<std::vector<size_t>> offsets_;
    size_t objects_visited_ = 0;
};

} // namespace vantri
