#include "results/RunWriters.h"

#include "results/FiniteRecords.h"
#include "results/PreviewPage.h"
#include "results/SceneGltf.h"

#include <cassert>
#include <cstdio>

namespace vantri {

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

Status CsvWriter::finish(const RunEnd&) {
    return csv_.close();
}

Status RecordingWriter::begin(const RunStart& start) {
    folder_ = start.folder + "/";
    recording_.begin(start.document, start.generators);
    records_.assign(start.generators.size(), {});
    return {};
}

Status RecordingWriter::record(const PlayedFrame& frame) {
    assert(records_.size() == frame.generators.size() && "begun with the frame's generators");
    if (records_.size() != frame.generators.size())
        return failure("the recording was begun with other generators than the frame's");
    for (size_t g = 0; g < frame.generators.size(); ++g) {
        const GeneratorFrame& generator = frame.generators[g];
        records_[g].assign(generator.records, generator.records + generator.count);
    }
    recording_.add_frame(frame.frame, records_);
    return {};
}

Status RecordingWriter::finish(const RunEnd&) {
    if (glb_) {
        Status written = write_scene_glb(recording_, scene_, folder_ + "scene.glb");
        if (!written) return written;
    }
    if (html_) return write_preview_page(recording_, scene_, folder_ + "preview.html");
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
    return report_.write(folder_ + "run.json");
}

} // namespace vantri
