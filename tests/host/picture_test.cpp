// Pictures of scenes through the real module: a small fixed scene from the top camera must
// match the checked-in picture pixel for pixel, and vantri run writes the pictures it is
// asked for, or refuses clearly.
#include "tests/support/DrawnItems.h"
#include "tests/support/CommandRun.h"
#include "tests/support/ScratchFolder.h"

#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdobstacle.h"
#include "host/render/PictureFraming.h"
#include "host/render/PictureOverlay.h"
#include "host/render/PngFile.h"
#include "host/render/ScenePicture.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

namespace {

using vantri_test::kBehaviourType;
using vantri_test::kObstacleType;
using vantri_test::kWorldType;
using vantri_test::run_vantri;
using vantri_test::ScratchFolder;

/// Reads the PNG file at `path` into `image`; a failure with the reason when it cannot.
::testing::AssertionResult read_picture(const std::string& path, vantri::RgbImage& image) {
    vantri::Result<vantri::RgbImage> read = vantri::read_png(path);
    if (!read) return ::testing::AssertionFailure() << read.message();
    image = std::move(read).value();
    return ::testing::AssertionSuccess();
}

class Pictures : public vantri_test::DrawingTest {
  protected:
    /// A world with a crowd of six whose guides are on, a box and a sphere obstacle, a
    /// behaviour showing its radius and a null, at frame 0.
    void build_fixed_scene() {
        host.set_clock({2000, 1, 1, 0, 0, 0});
        vantri::SceneObject* world = add(kWorldType, "world");
        world->set_position({-150, 0, -120});
        vantri::SceneObject* generator = add_generator({"body"}, world);
        vantri::SceneObject::from(generator->first_child())->set_radius({15, 30, 20});
        set_counts(generator, 3, 1, 2);
        set_vector(generator, CROWDGEN_SPACING, {90, 100, 110});
        set_real(generator, CROWDGEN_JITTER, 0.3);
        set_int(generator, CROWDGEN_SHOW_RANGE, 1);
        set_int(generator, CROWDGEN_SHOW_BODY, 1);
        set_real(generator, CROWDGEN_SIZE_X, 18);
        set_real(generator, CROWDGEN_SIZE_Z, 25);
        set_real(generator, CROWDGEN_RANGE, 70);
        vantri::SceneObject* box = add(kObstacleType, "box");
        set_int(box, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_BOX);
        set_real(box, CROWDOBSTACLE_SIZE_X, 100);
        set_real(box, CROWDOBSTACLE_SIZE_Y, 50);
        set_real(box, CROWDOBSTACLE_SIZE_Z, 40);
        box->set_position({220, 0, 60});
        box->set_rotation({0.5, 0, 0});
        vantri::SceneObject* sphere = add(kObstacleType, "sphere");
        set_int(sphere, CROWDOBSTACLE_SHAPE, CROWDOBSTACLE_SHAPE_SPHERE);
        set_real(sphere, CROWDOBSTACLE_RADIUS, 60);
        sphere->set_position({-200, 0, 150});
        vantri::SceneObject* behaviour = add(kBehaviourType, "behaviour");
        set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
        set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 45);
        behaviour->set_position({150, 0, -150});
        add(vantri::kNullType, "goal")->set_position({0, 0, 200});
        evaluate(0);
    }

    vantri::RgbImage picture(vantri::CameraView view, int32_t w, int32_t h) {
        vantri::DisplayList display;
        vantri::RenderList list;
        vantri::draw_scene(*document, vantri::ShapeLibrary::standard(), display, list);
        return vantri::rasterise(list,
                                 vantri::Camera::framing(view, w, h, vantri::points_of(list)));
    }
};

/// Compares `image` with tests/golden/NAME pixel for pixel (VANTRI_UPDATE_GOLDEN=1 writes it).
void expect_golden(const vantri::RgbImage& image, const std::string& name) {
    const std::string path = std::string(VANTRI_SOURCE_DIR) + "/tests/golden/" + name;
    if (std::getenv("VANTRI_UPDATE_GOLDEN") != nullptr) {
        const vantri::Status written = vantri::write_png(path, image);
        ASSERT_TRUE(written) << written.message();
        GTEST_SKIP() << "wrote " << path;
    }
    vantri::RgbImage golden;
    ASSERT_TRUE(read_picture(path, golden));
    ASSERT_EQ(golden.width, image.width);
    ASSERT_EQ(golden.height, image.height);
    size_t differing = 0;
    int32_t first_x = -1, first_y = -1;
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            if (image.at(x, y) == golden.at(x, y)) continue;
            if (differing++ == 0) first_x = x, first_y = y;
        }
    }
    if (differing != 0) {
        const std::string made = ::testing::TempDir() + name;
        (void)vantri::write_png(made, image);
        FAIL() << differing << " pixels differ, the first at (" << first_x << ", " << first_y
               << "); the picture made is " << made
               << " (set VANTRI_UPDATE_GOLDEN=1 to take it as the new reference)";
    }
}

TEST_F(Pictures, TheTopViewOfAFixedSceneMatchesTheCheckedInPicture) {
    build_fixed_scene();
    expect_golden(picture(vantri::CameraView::Top, 320, 240), "top_view.png");
}

// The picture a run takes: framed on the crowd (the null far away left out), with the
// frame and time, the legend, the scale bar and a facing mark on every agent.
TEST_F(Pictures, ARunPictureIsFramedOnTheCrowdWithItsOverlays) {
    build_fixed_scene();
    add(vantri::kNullType, "far goal")->set_position({6000, 0, 3000});
    evaluate(0);
    vantri::DisplayList display;
    vantri::RenderList list;
    vantri::draw_scene(*document, vantri::ShapeLibrary::standard(), display, list);
    ASSERT_EQ(list.crowds.size(), 1u);
    EXPECT_EQ(list.crowds[0].agents, 6u);
    vantri::SteadyFraming framing(vantri::CameraView::Top, 320, 240);
    const vantri::Camera camera = framing.camera_for(list);
    for (const vantri::RenderAgent& agent : list.agents)
        EXPECT_TRUE(vantri::in_picture(camera, agent.position));
    vantri::RgbImage image = vantri::rasterise(list, camera);
    vantri::draw_overlay(image, camera, vantri::PictureCaption{12, 0.48, list.crowds});
    expect_golden(image, "run_picture.png");
}

TEST_F(Pictures, EveryViewShowsTheSceneAndTheGuides) {
    build_fixed_scene();
    const vantri::Rgb green{0, 255, 0}, red{255, 0, 0};
    for (vantri::CameraView view : {vantri::CameraView::Top, vantri::CameraView::Front,
                                    vantri::CameraView::Side, vantri::CameraView::Perspective}) {
        const vantri::RgbImage image = picture(view, 200, 150);
        size_t greens = 0, reds = 0, agents = 0;
        for (int32_t y = 0; y < image.height; ++y) {
            for (int32_t x = 0; x < image.width; ++x) {
                const vantri::Rgb c = image.at(x, y);
                greens += c == green;
                reds += c == red;
                agents += c.r > 100 && c.g > 50 && c.g < c.r && c.b < 100 && !(c == red);
            }
        }
        EXPECT_GT(greens, 0u) << "zone outlines, " << vantri::camera_view_name(view);
        EXPECT_GT(reds, 0u) << "bodies and obstacles, " << vantri::camera_view_name(view);
        EXPECT_GT(agents, 0u) << "the agents' cubes, " << vantri::camera_view_name(view);
    }
}

const char* const kSmallScene = R"({
  "fps": 10, "start": 0, "end": 6,
  "objects": [
    { "type": "world", "name": "world", "children": [
      { "type": "generator", "name": "crowd",
        "params": { "CROWDGEN_COUNT_X": 2, "CROWDGEN_SHOW_BODY": 1, "CROWDGEN_SHOW_INFO": 1,
                    "CROWDGEN_SIZE_X": 20, "CROWDGEN_SIZE_Z": 20 },
        "children": [ { "type": "cube", "name": "body", "size": [20, 40, 20] } ] } ] }
  ]
})";

TEST(RunPictures, EveryNthFrameAsPngAndSvgFromTheChosenCamera) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("small.json", kSmallScene);
    const std::string out = scratch.path("out");
    const auto outcome = run_vantri("run " + scene + " --out " + out +
                                    " --images every:3 --camera front --svg --image-size 160x120");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("3 pictures in frames/"), std::string::npos) << outcome.output;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out + "/frames"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"0000.png", "0000.svg", "0003.png", "0003.svg",
                                               "0006.png", "0006.svg"}));
    vantri::RgbImage image;
    ASSERT_TRUE(read_picture(out + "/frames/0003.png", image));
    EXPECT_EQ(image.width, 160);
    EXPECT_EQ(image.height, 120);
    const std::string svg = vantri_test::read_text(out + "/frames/0003.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("<image"), std::string::npos) << "the agents' labels face the front";
    // The overlay as in the PNG picture: the frame and its time, the legend.
    EXPECT_NE(svg.find(">frame 3  0.30 s</text>"), std::string::npos) << svg;
    EXPECT_NE(svg.find(">crowd (2)</text>"), std::string::npos);

    // The same run again gives the same pictures.
    const std::string again = scratch.path("again");
    ASSERT_EQ(run_vantri("run " + scene + " --out " + again +
                         " --images 3 --camera front --svg --image-size 160x120 --quiet")
                  .exit_code,
              0);
    EXPECT_EQ(vantri_test::read_text(again + "/frames/0003.png"),
              vantri_test::read_text(out + "/frames/0003.png"));
    EXPECT_EQ(vantri_test::read_text(again + "/frames/0003.svg"), svg);
}

TEST(RunPictures, TheGuidesExampleMakesASequenceThatFollowsTheAgents) {
    ScratchFolder scratch;
    const std::string out = scratch.path("out");
    const auto outcome =
        run_vantri("run " + std::string(VANTRI_SOURCE_DIR) + "/examples/guides.json --out " + out +
                   " --images every:30 --camera persp --quiet");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    vantri::RgbImage first, last;
    ASSERT_TRUE(read_picture(out + "/frames/0000.png", first));
    ASSERT_TRUE(read_picture(out + "/frames/0060.png", last));
    EXPECT_TRUE(std::filesystem::exists(out + "/frames/0030.png"));
    EXPECT_EQ(first.width, 800);
    EXPECT_EQ(first.height, 600);
    EXPECT_NE(first.rgb, last.rgb) << "the agents moved between the pictures";
}

TEST(RunPictures, PictureOptionsAreCheckedBeforeAnythingIsWritten) {
    ScratchFolder scratch;
    const std::string scene = scratch.write("small.json", kSmallScene);
    const std::string out = scratch.path("out");
    struct Case {
        std::string arguments, message;
    };
    for (const Case& c :
         {Case{"--images 0,7", "frame 7 is outside the frames played, 0 to 6"},
          Case{"--images every:0", "--images needs every:N or a list of frames"},
          Case{"--images 2 --camera below", "--camera needs top, front, side or persp"},
          Case{"--camera side", "--images says which frames"},
          Case{"--svg", "or add images to --outputs"},
          Case{"--outputs csv --images 2",
               "--images asks for pictures, but --outputs csv leaves them out: add images to "
               "--outputs (--outputs csv,images), or drop --images"},
          Case{"--outputs none --images every:2", "(--outputs images)"},
          Case{"--outputs csv --camera front", "no picture is taken"},
          Case{"--images 2 --image-size 10x10", "--image-size needs"}}) {
        const auto outcome = run_vantri("run " + scene + " --out " + out + " " + c.arguments);
        EXPECT_EQ(outcome.exit_code, 2) << c.arguments << "\n" << outcome.output;
        EXPECT_NE(outcome.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                     << outcome.output;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.arguments;
    }
}

/// The sorted names in `folder`.
std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(RunPictures, OutputsImagesTakesEveryTenthFrameAndImagesJoinsTheDefaultOutputs) {
    ScratchFolder scratch;
    std::string text = kSmallScene;
    const std::string six = "\"end\": 6";
    text.replace(text.find(six), six.size(), "\"end\": 25");
    const std::string scene = scratch.write("small.json", text);

    // images in --outputs without --images: every 10th frame from the first, from the top,
    // beside exactly the other outputs listed.
    const std::string listed = scratch.path("listed");
    auto outcome = run_vantri("run " + scene + " --out " + listed + " --outputs csv,images");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(names_in(listed), (std::vector<std::string>{"agents.csv", "frames", "run.json"}));
    EXPECT_EQ(names_in(listed + "/frames"),
              (std::vector<std::string>{"0000.png", "0010.png", "0020.png"}));
    EXPECT_NE(outcome.output.find("(agents.csv, 3 pictures in frames/, run.json)"),
              std::string::npos)
        << outcome.output;
    EXPECT_NE(outcome.output.find("pictures: " + listed + "/frames/"), std::string::npos)
        << outcome.output;
    auto report = nlohmann::json::parse(vantri_test::read_text(listed + "/run.json"));
    EXPECT_EQ(report["files"], nlohmann::json({"agents.csv", "frames/", "run.json"}));
    vantri::RgbImage top, front;
    ASSERT_TRUE(read_picture(listed + "/frames/0010.png", top));
    EXPECT_EQ(top.width, 800);

    // The camera options go with images in --outputs as with --images.
    const std::string framed = scratch.path("framed");
    outcome = run_vantri("run " + scene + " --out " + framed +
                         " --outputs images --camera front --image-size 160x120 --quiet");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(names_in(framed), (std::vector<std::string>{"frames", "run.json"}));
    ASSERT_TRUE(read_picture(framed + "/frames/0020.png", front));
    EXPECT_EQ(front.width, 160);

    // --images without --outputs: the default outputs and the pictures it names.
    const std::string asked = scratch.path("asked");
    outcome = run_vantri("run " + scene + " --out " + asked + " --images 5,25 --quiet");
    ASSERT_EQ(outcome.exit_code, 0) << outcome.output;
    EXPECT_EQ(names_in(asked), (std::vector<std::string>{"agents.csv", "frames", "preview.html",
                                                         "run.json", "scene.glb"}));
    EXPECT_EQ(names_in(asked + "/frames"), (std::vector<std::string>{"0005.png", "0025.png"}));
    report = nlohmann::json::parse(vantri_test::read_text(asked + "/run.json"));
    EXPECT_EQ(report["files"],
              nlohmann::json({"agents.csv", "scene.glb", "preview.html", "frames/", "run.json"}));

    // And both: --images says which frames.
    const std::string both = scratch.path("both");
    ASSERT_EQ(run_vantri("run " + scene + " --out " + both + " --outputs images --images 7 --quiet")
                  .exit_code,
              0);
    EXPECT_EQ(names_in(both + "/frames"), (std::vector<std::string>{"0007.png"}));
}

} // namespace
