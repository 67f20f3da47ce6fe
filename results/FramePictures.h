// Pictures of a run: after chosen frames' evaluation, a picture of the scene from one camera
// (the scene's shapes and the guides its objects draw, as the host's viewport shows them),
// written as frames/NNNN.png and, when asked, frames/NNNN.svg, with the frame and its time,
// the legend of the crowds and a scale bar over it. The camera is framed on the crowd and
// kept from picture to picture, so that the pictures line up as a sequence, until the crowd
// walks out of it (host/render/PictureFraming.h).
#pragma once

#include "host/Status.h"
#include "host/render/PictureFraming.h"
#include "host/render/SceneShapes.h"

#include <optional>
#include <string>
#include <vector>

namespace vantri {

class Document;

/// Which frames of a run get a picture: every N-th frame from the first one played, or the
/// frames of a list.
struct PictureSchedule {
    int32_t every = 0;           ///< above 0: every N-th frame from the first played
    std::vector<int32_t> frames; ///< otherwise: these frames, ascending, without repeats

    bool empty() const { return every <= 0 && frames.empty(); }
    bool wants(int32_t frame, int32_t first) const;
};

/// Reads "every:N" (N a whole number above 0) or "F1,F2,..." (whole frame numbers). An
/// Input error when the text is neither.
Result<PictureSchedule> parse_picture_schedule(const std::string& text);

struct PictureSize {
    int32_t width = 800, height = 600;
};
/// Reads a picture size "WIDTHxHEIGHT", each 16 to kMaxPictureSide pixels.
Result<PictureSize> parse_picture_size(const std::string& text);

/// The file name of frame `frame`'s picture without extension: at least four digits.
std::string picture_name(int32_t frame);

class FramePictures {
  public:
    /// Pictures go into `folder` (created on the first picture).
    FramePictures(std::string folder, CameraView view, int32_t width, int32_t height, bool svg);

    /// Draws the document as it stands and writes the picture of `frame`. Fails when a file
    /// cannot be written.
    Status take(Document& document, int32_t frame);

    /// Pictures written so far.
    size_t count() const { return count_; }
    /// The camera of the last picture, once there was one.
    const std::optional<Camera>& camera() const { return framing_.camera(); }

  private:
    std::string folder_;
    bool svg_;
    ShapeLibrary shapes_ = ShapeLibrary::standard();
    SteadyFraming framing_;
    size_t count_ = 0;
};

} // namespace vantri
