#include "app/RunProgress.h"

#include "scenefile/CrewSize.h"

namespace vantri {

Status ProgressWriter::admit(const RunFrames& frames) {
    frames_ = frames;
    return {};
}

Status ProgressWriter::begin(const RunStart&) {
    std::string crews;
    if (crew_agents_ >= kLargeCrew)
        crews = "building crews of " + count_text(crew_agents_) + " agents (" +
                size_text(static_cast<double>(crew_agents_) * kAgentRecordBytes) + " of records)";
    display_.frames(frames_.first, frames_.last, crews);
    return {};
}

Status ProgressWriter::record(const PlayedFrame& played) {
    display_.frame(played.frame, played.agents());
    return {};
}

void ProgressWriter::abandon() {
    display_.abandon();
}

} // namespace vantri
