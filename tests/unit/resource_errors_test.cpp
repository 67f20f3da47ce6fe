// Broken resource folders and images: each failure names the file and the line to fix, and
// the caller's data stays as it was.
#include "resource_test_support.h"

#include "resources/ImageFile.h"
#include "resources/ResourceFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace vantri;
using vantri_test::error_names;
using vantri_test::ScratchFolder;

namespace {

const char* const kSymbols = "enum { IDS_THING = 1000, IDS_OTHER = 1001, IDS_ALIAS = 1001 };\n";
const char* const kStrings = "STRINGTABLE\n{\n    IDS_THING \"Thing\";\n}\n";
const char* const kHeader = "#pragma once\n"
                            "enum {\n"
                            "    THING_SIZE = 1000,\n"
                            "    THING_MODE = 1001,\n"
                            "    THING_MODE_A = 1002,\n"
                            "};\n";
const char* const kDescription = "DESCRIPTION othing\n"
                                 "{\n"
                                 "    REAL THING_SIZE { MIN 0; }\n"
                                 "    LONG THING_MODE { CYCLE { THING_MODE_A; } }\n"
                                 "}\n";
const char* const kLabels = "STRINGTABLE othing\n"
                            "{\n"
                            "    othing \"Thing\";\n"
                            "    THING_SIZE \"Size\";\n"
                            "    THING_MODE \"Mode\";\n"
                            "    THING_MODE_A \"A\";\n"
                            "}\n";

/// A small resource folder that loads, for each test to break in one place.
class ResourceFolderErrorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.write("c4d_symbols.h", kSymbols);
        folder_.write("strings_us/c4d_strings.str", kStrings);
        folder_.write("description/othing.h", kHeader);
        folder_.write("description/othing.res", kDescription);
        folder_.write("strings_us/description/othing.str", kLabels);
        out_.strings[1] = "sentinel";
        out_.descriptions["sentinel"].name = "sentinel";
    }

    /// Loads the folder, expecting failure; checks that `out_` kept its sentinel.
    std::string fail() {
        std::string error;
        EXPECT_FALSE(load_resource_folder(folder_.path().string(), out_, error));
        EXPECT_EQ(out_.strings, (std::map<int32_t, std::string>{{1, "sentinel"}}));
        EXPECT_EQ(out_.descriptions.size(), 1u);
        EXPECT_EQ(out_.descriptions.count("sentinel"), 1u);
        return error;
    }

    ScratchFolder folder_;
    ResourceSet out_;
};

TEST_F(ResourceFolderErrorsTest, TheUnbrokenFolderLoads) {
    std::string error;
    ASSERT_TRUE(load_resource_folder(folder_.path().string(), out_, error)) << error;
    EXPECT_EQ(out_.strings, (std::map<int32_t, std::string>{{1000, "Thing"}}));
    ASSERT_EQ(out_.descriptions.size(), 1u); // replaced whole, the sentinel is gone
    const DescriptionResource& d = out_.descriptions.at("othing");
    EXPECT_EQ(d.label, "Thing");
    ASSERT_EQ(d.parameters.size(), 2u);
    EXPECT_EQ(d.parameters[1].cycle[0].label, "A");
}

TEST_F(ResourceFolderErrorsTest, UnterminatedBlock) {
    folder_.write("description/othing.res", "DESCRIPTION othing\n{\n    REAL THING_SIZE;\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("description/othing.res"), 4,
                            "expected '}' to close the description opened on line 2"));

    folder_.write("description/othing.res", kDescription);
    folder_.write("strings_us/c4d_strings.str", "STRINGTABLE\n{\n    IDS_THING \"Thing\";\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("strings_us/c4d_strings.str"), 4,
                            "expected '}' to close the string table opened on line 2"));
}

TEST_F(ResourceFolderErrorsTest, UnknownSymbolInEachKindOfFile) {
    folder_.write("description/othing.res", "DESCRIPTION othing\n{\n    REAL THING_SIZ;\n}\n");
    std::string error = fail();
    EXPECT_TRUE(error_names(error, folder_.file("description/othing.res"), 3,
                            "unknown symbol 'THING_SIZ'"));
    EXPECT_NE(error.find("description/othing.h"), std::string::npos) << error;

    folder_.write("description/othing.res", kDescription);
    folder_.write(
        "strings_us/description/othing.str",
        "STRINGTABLE othing\n{\n    THING_SIZE \"Size\";\n    THING_COLOR \"Colour\";\n}");
    EXPECT_TRUE(error_names(fail(), folder_.file("strings_us/description/othing.str"), 4,
                            "unknown symbol 'THING_COLOR'"));

    folder_.write("strings_us/description/othing.str", kLabels);
    folder_.write("strings_us/c4d_strings.str", "STRINGTABLE\n{\n    IDS_THNG \"Thing\";\n}\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("strings_us/c4d_strings.str"), 3,
                            "unknown symbol 'IDS_THNG': expected a name from " +
                                folder_.file("c4d_symbols.h")));
}

TEST_F(ResourceFolderErrorsTest, UnknownType) {
    folder_.write("description/othing.res",
                  "DESCRIPTION othing\n{\n    REAL THING_SIZE;\n    INTEGER THING_MODE;\n}\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("description/othing.res"), 4,
                            "unknown parameter type 'INTEGER': expected LONG, REAL"));
}

TEST_F(ResourceFolderErrorsTest, DuplicateId) {
    folder_.write("description/othing.res",
                  "DESCRIPTION othing\n{\n    REAL THING_SIZE;\n    GROUP THING_MODE\n    {\n"
                  "        REAL THING_SIZE;\n    }\n}\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("description/othing.res"), 6,
                            "duplicate id 1000 ('THING_SIZE'): already declared on line 3"));

    folder_.write("description/othing.res", kDescription);
    folder_.write("strings_us/c4d_strings.str",
                  "STRINGTABLE\n{\n    IDS_OTHER \"Other\";\n    IDS_ALIAS \"Alias\";\n}\n");
    EXPECT_TRUE(
        error_names(fail(), folder_.file("strings_us/c4d_strings.str"), 4, "duplicate id 1001"));
}

TEST_F(ResourceFolderErrorsTest, BadStringLiteral) {
    folder_.write("strings_us/c4d_strings.str", "STRINGTABLE\n{\n    IDS_THING \"Thing;\n}\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("strings_us/c4d_strings.str"), 3,
                            "unterminated string literal"));

    folder_.write("strings_us/c4d_strings.str", kStrings);
    folder_.write("strings_us/description/othing.str",
                  "STRINGTABLE othing\n{\n    THING_SIZE \"Size \\x\";\n}\n");
    const std::string error = fail();
    EXPECT_TRUE(error_names(error, folder_.file("strings_us/description/othing.str"), 3,
                            "bad escape '\\x'"));
    EXPECT_EQ(error.find(folder_.file("strings_us/description/othing.str") + ":3:22:"), 0u)
        << "the column points at the backslash: " << error;
}

TEST_F(ResourceFolderErrorsTest, BrokenSymbolHeader) {
    folder_.write("description/othing.h", "enum {\n    THING_SIZE = 1000\n    THING_MODE\n};\n");
    EXPECT_TRUE(error_names(fail(), folder_.file("description/othing.h"), 3,
                            "expected ',' or '}' after enum constant 'THING_SIZE'"));
}

TEST_F(ResourceFolderErrorsTest, MissingFileIsNamedWithWhatNeedsIt) {
    const struct {
        const char* file;
        const char* needed_by;
    } cases[] = {
        {"c4d_symbols.h", ""},
        {"strings_us/c4d_strings.str", ""},
        {"description/othing.h", "description/othing.res"},
        {"strings_us/description/othing.str", "description/othing.res"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        folder_.remove(c.file);
        const std::string error = fail();
        EXPECT_EQ(error.rfind(folder_.file(c.file) + ": cannot be opened", 0), 0u) << error;
        if (*c.needed_by != '\0') {
            EXPECT_NE(error.find(folder_.file(c.needed_by)), std::string::npos) << error;
        }
        SetUp(); // put everything back
    }

    std::string error;
    EXPECT_FALSE(load_resource_folder(folder_.file("no-such-folder"), out_, error));
    EXPECT_EQ(error.rfind(folder_.file("no-such-folder") + ": not a resource folder", 0), 0u);
}

TEST_F(ResourceFolderErrorsTest, LaterBadDescriptionLeavesNothingHalfLoaded) {
    // "athing" loads first and is good; "zthing" breaks after it.
    folder_.write("description/athing.h", kHeader);
    folder_.write("description/athing.res", "DESCRIPTION athing { REAL THING_SIZE; }");
    folder_.write("strings_us/description/athing.str", "STRINGTABLE athing { }");
    folder_.write("description/zthing.h", kHeader);
    folder_.write("description/zthing.res", "DESCRIPTION othing { }");
    folder_.write("strings_us/description/zthing.str", "STRINGTABLE zthing { }");
    EXPECT_TRUE(error_names(fail(), folder_.file("description/zthing.res"), 1,
                            "description is named 'othing': expected 'zthing'"));
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
    std::string error;
    ::testing::internal::CaptureStderr();
    const bool ok = load_tiff(path, image, error);
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
    const std::string icon = read_bytes(std::string(VANTRI_SOURCE_DIR) + "/res/CrowdBlend.tif");
    ASSERT_GT(icon.size(), 4200u);

    EXPECT_NE(tiff_failure(folder.file("missing.tif")).find("cannot be opened"), std::string::npos);

    folder.write("text.tif", "this is not an image\n");
    EXPECT_NE(tiff_failure(folder.file("text.tif")).find("not a readable TIFF"), std::string::npos);

    folder.write("truncated.tif", icon.substr(0, 200)); // the directory is cut off
    tiff_failure(folder.file("truncated.tif"));

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
    EXPECT_NE(tiff_failure(folder.file("moved.tif")).find("cannot be decoded"), std::string::npos);
}

} // namespace
