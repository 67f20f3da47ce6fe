// Broken resource folders and images: each failure names the file and the place in it to
// fix (a JSON path, or the line and column of text that is not JSON), and the caller's data
// stays as it was.
#include "tests/support/ErrorText.h"
#include "tests/support/ScratchFolder.h"

#include "host/resources/ImageFile.h"
#include "host/resources/ResourceFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace vantri;
using vantri_test::error_names;
using vantri_test::ScratchFolder;

namespace {

const char* const kStrings = "{\n"
                             "  \"strings\": [\n"
                             "    {\"id\": 1000, \"text\": \"Thing\"}\n"
                             "  ]\n"
                             "}\n";
const char* const kDescription =
    "{\n"
    "  \"name\": \"othing\",\n"
    "  \"title\": \"Thing\",\n"
    "  \"parameters\": [\n"
    "    {\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": \"real\", \"min\": 0},\n"
    "    {\"symbol\": \"THING_MODE\", \"id\": 1001, \"type\": \"integer\", \"label\": \"Mode\",\n"
    "     \"options\": [{\"symbol\": \"THING_MODE_A\", \"value\": 1002, \"label\": \"A\"}]}\n"
    "  ]\n"
    "}\n";

/// A description file named `name` holding `parameters` (the text inside its list).
std::string description(const std::string& name, const std::string& parameters) {
    return "{\n  \"name\": \"" + name + "\",\n  \"parameters\": [\n" + parameters + "\n  ]\n}\n";
}

/// A small resource folder that loads, for each test to break in one place.
class ResourceFolderErrorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.write("strings.json", kStrings);
        folder_.write("descriptions/othing.json", kDescription);
        out_.strings[1] = "sentinel";
        out_.descriptions["sentinel"].name = "sentinel";
    }

    /// Loads the folder, expecting failure; checks that `out_` kept its sentinel.
    std::string fail() {
        const vantri::Status loaded = load_resource_folder(folder_.path(), out_);
        EXPECT_FALSE(loaded);
        const std::string error = loaded ? "" : loaded.message();
        EXPECT_EQ(out_.strings, (std::map<int32_t, std::string>{{1, "sentinel"}}));
        EXPECT_EQ(out_.descriptions.size(), 1u);
        EXPECT_EQ(out_.descriptions.count("sentinel"), 1u);
        return error;
    }

    ScratchFolder folder_;
    ResourceSet out_;
};

TEST_F(ResourceFolderErrorsTest, TheUnbrokenFolderLoads) {
    folder_.write("descriptions/notes.txt", "not a description: ignored");
    const vantri::Status loaded = load_resource_folder(folder_.path(), out_);
    ASSERT_TRUE(loaded) << loaded.message();
    EXPECT_EQ(out_.strings, (std::map<int32_t, std::string>{{1000, "Thing"}}));
    ASSERT_EQ(out_.descriptions.size(), 1u); // replaced whole, the sentinel is gone
    const DescriptionResource& d = out_.descriptions.at("othing");
    EXPECT_EQ(d.label, "Thing");
    ASSERT_EQ(d.parameters.size(), 2u);
    EXPECT_EQ(d.parameters[1].cycle[0].label, "A");
}

TEST_F(ResourceFolderErrorsTest, UnterminatedFile) {
    folder_.write("descriptions/othing.json",
                  "{\n  \"name\": \"othing\",\n  \"parameters\": [\n    {\"symbol\": "
                  "\"THING_SIZE\", \"id\": 1000, \"type\": \"real\"}\n");
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), "5",
                            "not valid JSON: unexpected end of input"));

    folder_.write("descriptions/othing.json", kDescription);
    folder_.write("strings.json", "{\n  \"strings\": [\n    {\"id\": 1000, \"text\": \"Thing\"}\n");
    EXPECT_TRUE(error_names(fail(), folder_.path("strings.json"), "4",
                            "not valid JSON: unexpected end of input"));
}

TEST_F(ResourceFolderErrorsTest, UnknownNameInEachKindOfFile) {
    folder_.write("descriptions/othing.json",
                  description("othing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\", \"group\": \"THING_GROUP\"}"));
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), "parameters[0].group",
                            "unknown group 'THING_GROUP'"));

    folder_.write("descriptions/othing.json",
                  description("othing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\", \"lable\": \"Size\"}"));
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), "parameters[0].lable",
                            "unknown key 'lable' in a parameter"));

    folder_.write("descriptions/othing.json", kDescription);
    folder_.write("strings.json", "{\"strings\": [{\"id\": 1000, \"txt\": \"Thing\"}]}");
    EXPECT_TRUE(error_names(fail(), folder_.path("strings.json"), "strings[0].txt",
                            "unknown key 'txt' in a string: expected comment, id, text"));
}

TEST_F(ResourceFolderErrorsTest, UnknownType) {
    folder_.write("descriptions/othing.json",
                  description("othing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\"},\n{\"symbol\": \"THING_MODE\", \"id\": 1001, "
                                        "\"type\": \"LONG\"}"));
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), "parameters[1].type",
                            "unknown parameter type 'LONG': expected group, integer, real"));
}

TEST_F(ResourceFolderErrorsTest, DuplicateId) {
    folder_.write("descriptions/othing.json",
                  description("othing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\"},\n{\"symbol\": \"THING_GROUP\", \"id\": 1001, "
                                        "\"type\": \"group\"},\n{\"symbol\": \"THING_WIDTH\", "
                                        "\"id\": 1000, \"type\": \"real\", \"group\": "
                                        "\"THING_GROUP\"}"));
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), "parameters[2].id",
                            "duplicate id 1000 ('THING_WIDTH'): already declared at "
                            "parameters[0]"));

    folder_.write("descriptions/othing.json", kDescription);
    folder_.write("strings.json", "{\"strings\": [{\"id\": 1001, \"text\": \"Other\"}, {\"id\": "
                                  "1001, \"text\": \"Alias\"}]}");
    EXPECT_TRUE(error_names(fail(), folder_.path("strings.json"), "strings[1].id",
                            "duplicate id 1001: already has a text at strings[0]"));
}

TEST_F(ResourceFolderErrorsTest, BadStringLiteral) {
    folder_.write("strings.json", "{\"strings\": [\n  {\"id\": 1000, \"text\": \"Thing}\n]}\n");
    EXPECT_TRUE(error_names(fail(), folder_.path("strings.json"), "2",
                            "not valid JSON: invalid string: control character"));

    folder_.write("strings.json", kStrings);
    folder_.write("descriptions/othing.json",
                  description("othing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\", \"label\": \"Size \\x\"}"));
    const std::string error = fail();
    EXPECT_TRUE(error_names(error, folder_.path("descriptions/othing.json"), "4",
                            "forbidden character after backslash"));
    EXPECT_EQ(error.find(folder_.path("descriptions/othing.json") + ":4:70:"), 0u)
        << "the column points at the character after the backslash: " << error;
}

TEST_F(ResourceFolderErrorsTest, BrokenIdCannotReachTheHeader) {
    // What the id header generator would have to write: a symbol that is no C++ name, an id
    // beyond 32 bits, an id written as text. The loader refuses each, as the generator does.
    const struct {
        const char* entry;
        const char* where;
        const char* words;
    } cases[] = {
        {"{\"symbol\": \"THING-SIZE\", \"id\": 1000, \"type\": \"real\"}", "parameters[0].symbol",
         "expected a symbol made of letters, digits and '_'"},
        {"{\"symbol\": \"THING_SIZE\", \"id\": 4294967296, \"type\": \"real\"}", "parameters[0].id",
         "expected a whole number within 32 bits"},
        {"{\"symbol\": \"THING_SIZE\", \"id\": \"1000\", \"type\": \"real\"}", "parameters[0].id",
         "found the string \"1000\""},
    };
    for (const auto& c : cases) {
        folder_.write("descriptions/othing.json", description("othing", c.entry));
        EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/othing.json"), c.where, c.words))
            << c.entry;
    }
}

TEST_F(ResourceFolderErrorsTest, MissingFileIsNamed) {
    folder_.remove("strings.json");
    const std::string error = fail();
    EXPECT_EQ(error.rfind(folder_.path("strings.json") + ": cannot be opened", 0), 0u) << error;

    SetUp(); // put everything back
    folder_.remove("descriptions/othing.json");
    folder_.write("descriptions/othing.json/inside", "a folder named like a description");
    const vantri::Status ignored = load_resource_folder(folder_.path(), out_);
    EXPECT_TRUE(ignored) << ignored.message();
    EXPECT_TRUE(out_.descriptions.empty()) << "only files are descriptions";

    const vantri::Status missing = load_resource_folder(folder_.path("no-such-folder"), out_);
    ASSERT_FALSE(missing);
    EXPECT_EQ(
        missing.message().rfind(folder_.path("no-such-folder") + ": not a resource folder", 0), 0u);
}

TEST_F(ResourceFolderErrorsTest, LaterBadDescriptionLeavesNothingHalfLoaded) {
    // "athing" loads first and is good; "zthing" breaks after it.
    folder_.write("descriptions/athing.json",
                  description("athing", "{\"symbol\": \"THING_SIZE\", \"id\": 1000, \"type\": "
                                        "\"real\"}"));
    folder_.write("descriptions/zthing.json", description("othing", ""));
    EXPECT_TRUE(error_names(fail(), folder_.path("descriptions/zthing.json"), "name",
                            "the description is named 'othing': expected 'zthing'"));
}

// ------------------------------------------------------------------ images

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t u32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v; // the icons are little-endian, as is this machine
}

/// Loads `path` expecting failure, with libtiff silent and `out` untouched.
std::string tiff_failure(const std::string& path) {
    Image image;
    image.width = 7;
    ::testing::internal::CaptureStderr();
    const vantri::Status loaded = load_tiff(path, image);
    const bool ok = loaded.ok();
    const std::string error = ok ? "" : loaded.message();
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ok);
    EXPECT_EQ(printed, "") << "libtiff printed on its own";
    EXPECT_EQ(image.width, 7);
    EXPECT_TRUE(image.rgba.empty());
    EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
    return error;
}

TEST(TiffImageErrorsTest, UnreadableFilesAreReportedByName) {
    ScratchFolder folder;
    const std::string icon =
        read_bytes(std::string(VANTRI_SOURCE_DIR) + "/plugin/res/CrowdBlend.tif");
    ASSERT_GT(icon.size(), 4200u);

    EXPECT_NE(tiff_failure(folder.path("missing.tif")).find("cannot be opened"), std::string::npos);

    folder.write("text.tif", "this is not an image\n");
    EXPECT_NE(tiff_failure(folder.path("text.tif")).find("not a readable TIFF"), std::string::npos);

    folder.write("truncated.tif", icon.substr(0, 200)); // the directory is cut off
    tiff_failure(folder.path("truncated.tif"));

    // A whole directory whose pixel strip lies past the end of the file.
    std::string moved = icon;
    const uint32_t directory = u32(moved, 4);
    uint16_t count;
    std::memcpy(&count, moved.data() + directory, 2);
    bool patched = false;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t entry = directory + 2 + size_t(i) * 12;
        uint16_t tag;
        std::memcpy(&tag, moved.data() + entry, 2);
        if (tag == 273) { // StripOffsets
            const uint32_t far_away = 0x00FFFFF0;
            std::memcpy(moved.data() + entry + 8, &far_away, 4);
            patched = true;
        }
    }
    ASSERT_TRUE(patched);
    folder.write("moved.tif", moved);
    EXPECT_NE(tiff_failure(folder.path("moved.tif")).find("cannot be decoded"), std::string::npos);
}

} // namespace
