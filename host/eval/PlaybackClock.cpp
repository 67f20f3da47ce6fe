#include "host/eval/PlaybackClock.h"

namespace vantri {

namespace {

// Days since 1970-01-01 of a Gregorian date, and back (the proleptic calendar in eras of 400
// years).
int64_t days_from_civil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

} // namespace

VtDateTime date_time_after(const VtDateTime& start, int64_t seconds) {
    const int64_t total = days_from_civil(start.year, start.month, start.day) * 86400 +
                          start.hour * 3600 + start.minute * 60 + start.second +
                          (seconds > 0 ? seconds : 0);
    const int64_t days = total >= 0 ? total / 86400 : (total - 86399) / 86400;
    const int64_t rest = total - days * 86400;
    int64_t y = 0, m = 0, d = 0;
    civil_from_days(days, y, m, d);
    return VtDateTime{static_cast<int32_t>(y),
                      static_cast<int32_t>(m),
                      static_cast<int32_t>(d),
                      static_cast<int32_t>(rest / 3600),
                      static_cast<int32_t>(rest / 60 % 60),
                      static_cast<int32_t>(rest % 60)};
}

VtDateTime playback_clock(int32_t first, int32_t frame, int32_t fps) {
    const int64_t played = static_cast<int64_t>(frame) - first;
    const int64_t seconds = fps > 0 && played > 0 ? played / fps : 0;
    return date_time_after(kPlaybackClockStart, seconds);
}

} // namespace vantri
