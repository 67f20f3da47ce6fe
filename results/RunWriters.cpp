#include "results/RunWriters.h"

#include "host/scene/Transform.h"
#include "results/FiniteRecords.h"
#include "results/PreviewPage.h"
#include "results/SceneGltf.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vantri {

namespace {

constexpr const char* kFloatRangeAdvice =
    "scene.glb and preview.html hold 32-bit floats, up to 3.4e38 (in metres); leave them out "
    "with --outputs csv,images; nothing was written";

/// The first axis (0, 1, 2) of `v` that a 32-bit float cannot hold, or -1.
int float_range_axis(const VtVector& v) {
    const double largest = std::numeric_limits<float>::max();
    const double axes[3] = {v.x, v.y, v.z};
    for (int i = 0; i < 3; ++i) {
        if (!(std::abs(axes[i]) <= largest)) return i;
    }
    return -1;
}

/// "x is 1e+41 m", or "x scale is 1e+41" for `field` " scale", for the axis that is too large.
std::string beyond_text(const VtVector& v, const char* field) {
    const int axis = std::max(float_range_axis(v), 0);
    const double axes[3] = {v.x, v.y, v.z};
    char value[32];
    std::snprintf(value, sizeof value, "%g", axes[axis]);
    return std::string(1, "xyz"[axis]) + field + " = " + value + (*field != 0 ? "" : " m");
}

} // namespace

size_t PlayedFrame::agents() const {
    size_t agents = 0;
    for (const GeneratorFrame& generator : generators)
        agents += generator.count;
    return agents;
}

Status RunWriter::admit(const RunFrames&) {
    return {};
}
Status RunWriter::begin(const RunStart&) {
    return {};
}
Status RunWriter::finish(const RunEnd&) {
    return {};
}
void RunWriter::abandon() {}

Status FiniteCheck::record(const PlayedFrame& frame) {
    for (const GeneratorFrame& generator : frame.generators) {
        NonFiniteField bad;
        if (!find_non_finite(generator.records, generator.count, generator.matrix, bad)) continue;
        char value[32];
        std::snprintf(value, sizeof value, "%g", bad.value);
        return Error{Fault::OutOfRange,
                     scene_ + ": frame " + std::to_string(frame.frame) + ", generator '" +
                         generator.generator->name() + "', agent " + std::to_string(bad.agent) +
                         ": " + bad.field + " came out as " + value +
                         ", beyond the range of numbers (are speeds, spacing or sizes too "
                         "large?); nothing was written",
                     {}};
    }
    return {};
}

Status CsvWriter::begin(const RunStart& start) {
    return csv_.open(start.folder + "/agents.csv");
}

Status CsvWriter::record(const PlayedFrame& frame) {
    for (const GeneratorFrame& generator : frame.generators)
        csv_.write_frame(frame.frame, generator.generator->name(), generator.records,
                         generator.count, generator.matrix);
    return {};
}

Status CsvWriter::finish(const RunEnd& end) {
    end.begin_file("agents.csv");
    return csv_.close();
}

Status RecordingWriter::begin(const RunStart& start) {
    folder_ = start.folder + "/";
    recording_.begin(start.document, start.generators);
    return check_new_shapes();
}

// A shape's points come from the scene file (a cube's size, a sphere's radius, a plane's
// width, depth and heights, a spline's or polygon's points). Shapes are made at begin and as
// agents first show their source object's.
Status RecordingWriter::check_new_shapes() {
    const std::vector<RecordedShape>& shapes = recording_.shapes();
    for (; shapes_checked_ < shapes.size(); ++shapes_checked_) {
        const RecordedShape& shape = shapes[shapes_checked_];
        const auto fits = [](const VtVector& p) { return float_range_axis(export_point(p)) < 0; };
        const VtVector* beyond = nullptr;
        for (const VtVector& p : shape.shape.vertices) {
            if (beyond == nullptr && !fits(p)) beyond = &p;
        }
        for (const ObjectLine& line : shape.shape.lines) {
            for (const VtVector& p : line.points) {
                if (beyond == nullptr && !fits(p)) beyond = &p;
            }
        }
        if (beyond != nullptr)
            return input_error(scene_ + ": object '" + shape.name +
                               "': its shape (size, radius, width, depth, heights or points) "
                               "reaches " +
                               beyond_text(export_point(*beyond), "") + "; " + kFloatRangeAdvice);
    }
    return {};
}

Status RecordingWriter::record(const PlayedFrame& frame) {
    const size_t generators = recording_.generators().size();
    assert(generators == frame.generators.size() && "begun with the frame's generators");
    if (generators != frame.generators.size())
        return failure("the recording was begun with other generators than the frame's");
    const std::string at = scene_ + ": frame " + std::to_string(frame.frame) + ", ";
    for (size_t g = 0; g < frame.generators.size(); ++g) {
        const GeneratorFrame& generator = frame.generators[g];
        for (size_t a = 0; a < generator.count; ++a) {
            const ExportTransform t =
                export_transform(multiply(generator.matrix, generator.records[a].mg));
            const char* field = float_range_axis(t.translation) >= 0 ? ""
                                : float_range_axis(t.scale) >= 0     ? " scale"
                                                                     : nullptr;
            if (field != nullptr)
                return Error{Fault::OutOfRange,
                             at + "generator '" + generator.generator->name() + "', agent " +
                                 std::to_string(a) + ": " +
                                 beyond_text(*field != 0 ? t.scale : t.translation, field) +
                                 " (are speeds, spacing or sizes too large?); " + kFloatRangeAdvice,
                             {}};
        }
    }
    recording_.add_frame(frame.frame, frame.generators);
    if (Status shapes = check_new_shapes(); !shapes) return shapes;
    // The other objects stand where the scene file (their position, scale or keys) puts them.
    for (const RecordedPiece& piece : recording_.pieces()) {
        const ExportTransform t = export_transform(piece.matrices.back());
        const bool placed = float_range_axis(t.translation) < 0;
        if (!placed || float_range_axis(t.scale) >= 0)
            return input_error(at + "object '" + piece.name + "': its " +
                               (placed ? "scale reaches " + beyond_text(t.scale, " scale")
                                       : "position reaches " + beyond_text(t.translation, "")) +
                               "; " + kFloatRangeAdvice);
    }
    return {};
}

Status RecordingWriter::finish(const RunEnd& end) {
    if (glb_) {
        end.begin_file("scene.glb");
        Status written = write_scene_glb(recording_, scene_, folder_ + "scene.glb");
        if (!written) return written;
    }
    if (html_) {
        end.begin_file("preview.html");
        return write_preview_page(recording_, scene_, folder_ + "preview.html");
    }
    return {};
}

Status PictureWriter::admit(const RunFrames& frames) {
    first_ = frames.first;
    for (int32_t frame : schedule_.frames) {
        if (frame < frames.first || frame > frames.last)
            return input_error("--images: frame " + std::to_string(frame) +
                               " is outside the frames played, " + std::to_string(frames.first) +
                               " to " + std::to_string(frames.last));
    }
    return {};
}

Status PictureWriter::begin(const RunStart& start) {
    pictures_ = std::make_unique<FramePictures>(start.folder + "/frames", look_.camera, look_.width,
                                                look_.height, look_.svg);
    return {};
}

Status PictureWriter::record(const PlayedFrame& frame) {
    if (!schedule_.wants(frame.frame, first_)) return {};
    assert(pictures_ != nullptr && frame.document != nullptr && "begun, and a frame to draw");
    if (pictures_ == nullptr || frame.document == nullptr)
        return failure("a picture of frame " + std::to_string(frame.frame) +
                       " was asked for before the pictures began");
    return pictures_->take(*frame.document, frame.frame);
}

Status ReportWriter::begin(const RunStart& start) {
    folder_ = start.folder + "/";
    for (SceneObject* generator : start.generators)
        report_.generators.push_back({generator->name(), 0});
    return {};
}

Status ReportWriter::record(const PlayedFrame& frame) {
    assert(report_.generators.size() == frame.generators.size() && "begun with the generators");
    if (report_.generators.size() != frame.generators.size())
        return failure("the report was begun with other generators than the frame's");
    for (size_t g = 0; g < frame.generators.size(); ++g)
        report_.generators[g].agents = frame.generators[g].count;
    return {};
}

Status ReportWriter::finish(const RunEnd& end) {
    report_.wall_seconds = end.wall_seconds;
    report_.console = end.console;
    end.begin_file("run.json");
    return report_.write(folder_ + "run.json");
}

} // namespace vantri
