// What vantri run's picture options accept, the pictures' file names, and the playback clock
// the host shows the plug-in during a run.
#include "host/eval/PlaybackClock.h"
#include "results/FramePictures.h"

#include <gtest/gtest.h>

namespace {

using vantri::PictureSchedule;

TEST(PictureSchedule, EveryNthFrameCountsFromTheFirstFramePlayed) {
    vantri::Result<PictureSchedule> parsed = vantri::parse_picture_schedule("every:10");
    ASSERT_TRUE(parsed) << parsed.message();
    PictureSchedule schedule = *parsed;
    EXPECT_TRUE(schedule.wants(5, 5));
    EXPECT_FALSE(schedule.wants(10, 5));
    EXPECT_TRUE(schedule.wants(15, 5));
    EXPECT_FALSE(schedule.wants(-5, 5)) << "nothing before the first frame";
    parsed = vantri::parse_picture_schedule("every:1");
    ASSERT_TRUE(parsed);
    schedule = *parsed;
    EXPECT_TRUE(schedule.wants(-3, -7));
    EXPECT_TRUE(schedule.wants(2147483647, -2147483647 - 1)) << "no overflow";
}

TEST(PictureSchedule, AListNamesFramesInAnyOrderOnce) {
    const vantri::Result<PictureSchedule> parsed = vantri::parse_picture_schedule("40,0,-3,40");
    ASSERT_TRUE(parsed) << parsed.message();
    const PictureSchedule& schedule = *parsed;
    EXPECT_EQ(schedule.frames, (std::vector<int32_t>{-3, 0, 40}));
    EXPECT_TRUE(schedule.wants(40, 0));
    EXPECT_FALSE(schedule.wants(20, 0));
}

TEST(PictureSchedule, AnythingElseIsRefusedWithTheReason) {
    for (const char* text : {"", "every:", "every:0", "every:-2", "every:x", "1,,2", "1,", ",1",
                             "1.5", "10 20", "all", "99999999999"}) {
        const vantri::Result<PictureSchedule> parsed = vantri::parse_picture_schedule(text);
        ASSERT_FALSE(parsed) << text;
        EXPECT_EQ(parsed.error().fault, vantri::Fault::Input) << text;
        EXPECT_NE(parsed.message().find("--images"), std::string::npos) << text;
    }
}

TEST(PictureSize, WidthByHeightWithinBounds) {
    const vantri::Result<vantri::PictureSize> size = vantri::parse_picture_size("1280x720");
    ASSERT_TRUE(size) << size.message();
    EXPECT_EQ(size->width, 1280);
    EXPECT_EQ(size->height, 720);
    for (const char* text : {"1280", "x720", "1280x", "8x8", "100000x100", "12.5x40", "-1x-1"}) {
        const vantri::Result<vantri::PictureSize> refused = vantri::parse_picture_size(text);
        ASSERT_FALSE(refused) << text;
        EXPECT_NE(refused.message().find("--image-size"), std::string::npos);
    }
}

TEST(PictureNames, AtLeastFourDigits) {
    EXPECT_EQ(vantri::picture_name(0), "0000");
    EXPECT_EQ(vantri::picture_name(42), "0042");
    EXPECT_EQ(vantri::picture_name(123456), "123456");
    EXPECT_EQ(vantri::picture_name(-5), "-0005");
    EXPECT_EQ(vantri::picture_name(INT32_MIN), "-2147483648");
}

TEST(PlaybackClock, RunsWithTheSceneInWholeSecondsThroughTheCalendar) {
    const auto same = [](const VtDateTime& a, const VtDateTime& b) {
        return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
               a.minute == b.minute && a.second == b.second;
    };
    EXPECT_TRUE(same(vantri::playback_clock(10, 10, 25), vantri::kPlaybackClockStart));
    EXPECT_TRUE(same(vantri::playback_clock(10, 34, 25), {2000, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(same(vantri::playback_clock(10, 35, 25), {2000, 1, 1, 0, 0, 1}));
    EXPECT_TRUE(same(vantri::playback_clock(0, 25 * 3661, 25), {2000, 1, 1, 1, 1, 1}));
    EXPECT_TRUE(same(vantri::playback_clock(0, 5, 0), vantri::kPlaybackClockStart));
    EXPECT_TRUE(
        same(vantri::date_time_after({2000, 2, 28, 23, 59, 59}, 1), {2000, 2, 29, 0, 0, 0}));
    EXPECT_TRUE(
        same(vantri::date_time_after({2100, 2, 28, 12, 0, 0}, 86400), {2100, 3, 1, 12, 0, 0}));
    EXPECT_TRUE(
        same(vantri::date_time_after({1999, 12, 31, 23, 59, 59}, 1), {2000, 1, 1, 0, 0, 0}));
    EXPECT_TRUE(
        same(vantri::date_time_after({2000, 1, 1, 0, 0, 0}, 366LL * 86400), {2001, 1, 1, 0, 0, 0}));
}

} // namespace
