// The processor clock and the local ISO 8601 time stamp.
#include "qvb/qvb_util.h"

#include "platform/os.h"
#include "util/c_boundary.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

// Long enough for the longest stamp, "YYYY-MM-DD hh:mm +hhmm" and its NUL.
constexpr std::size_t kStampSize = 23;

// The offset from UTC as "+hhmm" / "-hhmm". Hours and minutes are truncated
// toward zero separately, so half-hour zones west of UTC keep their sign
// even when the whole hours are 0 ("-0030").
std::string formatOffset(long seconds) {
  const int hours = static_cast<int>(seconds / 3600);
  const int minutes = std::abs(static_cast<int>((seconds - hours * 3600L) / 60));
  char text[32];
  std::snprintf(text, sizeof text, "%c%02d%02d", seconds >= 0 ? '+' : '-', std::abs(hours), minutes);
  return text;
}

}  // namespace

extern "C" QVB_API double QVB_cputime(void) { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

extern "C" QVB_API int QVB_localtime_ISO8601(int mode, char *out) {
  const bool verbose = mode < 0;
  const long selection = std::labs(static_cast<long>(mode));
  // Read TZ afresh: a host may change it between calls, and localtime_r is
  // not required to notice.
  tzset();

  // The offset is the difference between the local breakdown and the UTC
  // breakdown, both read back as local times; mktime decides about daylight
  // saving for each (tm_isdst = -1).
  const std::time_t now = static_cast<std::time_t>(qvb::platform::wallClock());
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::tm utcAsLocal = utc;
  utcAsLocal.tm_isdst = -1;
  const std::time_t g = std::mktime(&utcAsLocal);
  if (verbose) {
    std::printf("%%utl_23-v-val, GMT = %4d-%02d-%02d %02d:%02d, tz_value(%d)\n", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_isdst);
  }

  std::tm local{};
  localtime_r(&now, &local);
  std::tm localCopy = local;
  const long offsetSeconds = static_cast<long>(std::mktime(&localCopy) - g);
  const std::string offset = formatOffset(offsetSeconds);
  if (verbose) {
    std::printf("%%utl_23-v-val, Loc = %4d-%02d-%02d %02d:%02d %s\n", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, offset.c_str());
  }

  char date[32];
  char clock[32];
  std::snprintf(date, sizeof date, "%4d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  std::snprintf(clock, sizeof clock, "%02d:%02d ", local.tm_hour, local.tm_min);
  const std::string time = clock + offset;
  if (out == nullptr) return 0;
  if (selection == 1) qvb::util::copyCut(out, date, kStampSize);
  else if (selection == 2) qvb::util::copyCut(out, time, kStampSize);
  else qvb::util::copyCut(out, date + (" " + time), kStampSize);
  return 0;
}
