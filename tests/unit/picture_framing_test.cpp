// Framing a run's pictures on its crowd: over many random walks of a crowd, every agent is in
// every picture and the camera changes only when an agent walked out; a runaway agent does
// not move the framing. The scale bar's length is a round number that fits.
#include "host/render/PictureFraming.h"
#include "host/render/PictureOverlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

using vantri::Camera;
using vantri::CameraView;
using vantri::RenderAgent;
using vantri::RenderList;

bool same_camera(const Camera& a, const Camera& b) {
    return a.centre().x == b.centre().x && a.centre().y == b.centre().y &&
           a.centre().z == b.centre().z && a.units_per_pixel() == b.units_per_pixel();
}

TEST(PictureFraming, EveryAgentShowsAndTheCameraMovesOnlyWhenOneLeft) {
    std::mt19937 random(5);
    std::normal_distribution<double> step(0.0, 40.0);
    for (CameraView view :
         {CameraView::Top, CameraView::Front, CameraView::Side, CameraView::Perspective}) {
        for (int crowd = 0; crowd < 20; ++crowd) {
            RenderList list;
            const size_t agents = 1 + random() % 12;
            for (size_t i = 0; i < agents; ++i)
                list.agents.push_back(
                    RenderAgent{{step(random) * 5, 0, step(random) * 5}, {0, 0, 1}, 20.0, 0});
            vantri::SteadyFraming framing(view, 320, 200);
            std::optional<Camera> previous;
            for (int picture = 0; picture < 30; ++picture) {
                bool all_in = previous.has_value();
                for (const RenderAgent& agent : list.agents)
                    all_in = all_in && vantri::in_picture(*previous, agent.position);
                const Camera camera = framing.camera_for(list);
                for (const RenderAgent& agent : list.agents) {
                    ASSERT_TRUE(vantri::in_picture(camera, agent.position))
                        << vantri::camera_view_name(view) << " picture " << picture;
                }
                if (all_in) {
                    EXPECT_TRUE(same_camera(camera, *previous));
                }
                previous = camera;
                for (RenderAgent& agent : list.agents) {
                    agent.position.x += step(random);
                    agent.position.z += step(random) + 15;
                }
            }
            EXPECT_LT(framing.framings(), 30u) << "a steady camera, not one per picture";
        }
    }
}

TEST(PictureFraming, RunawayValuesDoNotMoveTheFraming) {
    RenderList list;
    list.agents.push_back(RenderAgent{{0, 0, 0}, {0, 0, 1}, 20.0, 0});
    list.agents.push_back(RenderAgent{{300, 0, 100}, {0, 0, 1}, 20.0, 0});
    const Camera sane = vantri::SteadyFraming(CameraView::Top, 200, 200).camera_for(list);
    const double inf = std::numeric_limits<double>::infinity();
    for (const VtVector& wild : {VtVector{1e300, 0, 0}, VtVector{0, -inf, 0},
                                 VtVector{std::nan(""), 0, 0}, VtVector{0, 0, 2e8}}) {
        RenderList with = list;
        with.agents.push_back(RenderAgent{wild, {0, 0, 1}, 20.0, 0});
        vantri::SteadyFraming framing(CameraView::Top, 200, 200);
        EXPECT_TRUE(same_camera(framing.camera_for(with), sane)) << wild.x << " " << wild.y;
        EXPECT_TRUE(same_camera(framing.camera_for(with), sane)) << "and it stays";
    }
}

TEST(PictureOverlay, TheScaleBarIsARoundLengthThatFits) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> exponent(-3, 6);
    for (int round = 0; round < 2000; ++round) {
        const double units_per_pixel = std::pow(10.0, exponent(random));
        const double most = 20.0 + static_cast<double>(random() % 400);
        const double length = vantri::scale_bar_length(units_per_pixel, most);
        ASSERT_LE(length / units_per_pixel, most * (1 + 1e-12));
        ASSERT_GT(length / units_per_pixel, most / 2.5 * (1 - 1e-12));
        const double power = std::pow(10.0, std::floor(std::log10(length) + 1e-9));
        const double mantissa = length / power;
        EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                    std::abs(mantissa - 5) < 1e-9)
            << length;
    }
    EXPECT_EQ(vantri::scale_bar_length(0, 100), 0);
    EXPECT_EQ(vantri::length_text(200), "2 m");
    EXPECT_EQ(vantri::length_text(50), "50 cm");
}

} // namespace
