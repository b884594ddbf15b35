// Progress monitor, time stamp and system identification, on a faked clock
// and a faked system so the expected texts are exact.
#include "qvb/qvb_util.h"
#include "fake_os.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qvb::platform::SystemIdentity;

constexpr double kMarch7 = 1709816700.0;  // 2024-03-07 13:05:00 UTC
constexpr double kJuly7 = 1720357530.0;   // 2024-07-07 13:05:30 UTC

std::string stampAt(qvbtest::FakeOs &os, double when) {
  os.setWallClock(when);
  testing::internal::CaptureStdout();
  QVB_TimeMonitorStamp();
  return testing::internal::GetCapturedStdout();
}

TEST(ProgressMonitor, EstimatesAreAveragedWithThePreviousOneAndNoStepsPrintNothing) {
  qvbtest::FakeOs os;
  os.setWallClock(100.0);
  QVB_TimeMonitor(4);
  EXPECT_EQ(stampAt(os, 101.0), "\r 25%,    3 seconds left of    4 estimated total         ");  // 3*1+1
  EXPECT_EQ(stampAt(os, 103.0), "\r 50%,    2 seconds left of    5 estimated total         ");  // (2*2+3+4)/2
  EXPECT_EQ(stampAt(os, 103.5), "\r 75%,    1 seconds left of    4 estimated total         ");  // (0.5+3.5+5.5)/2
  EXPECT_EQ(stampAt(os, 104.0), "\r100%,    0 seconds left of    4 estimated total         ");
  for (int total : {0, -3}) {
    QVB_TimeMonitor(total);
    EXPECT_EQ(stampAt(os, 105.0), "") << total;
  }
}

TEST(TimeStamp, WritesDateTimeAndOffsetForEachMode) {
  const struct {
    const char *zone;
    double when;
    const char *date, *time;
  } cases[] = {
      {"UTC0", kMarch7, "2024-03-07", "13:05 +0000"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kMarch7, "2024-03-07", "14:05 +0100"},
      {"CET-1CEST,M3.5.0,M10.5.0/3", kJuly7, "2024-07-07", "15:05 +0200"},  // daylight saving
      {"<-0530>5:30", kMarch7, "2024-03-07", "07:35 -0530"},
      {"<-0030>0:30", kMarch7, "2024-03-07", "12:35 -0030"},
      {"<+14>-14", kMarch7, "2024-03-08", "03:05 +1400"},
  };
  qvbtest::FakeOs os;
  for (const auto &c : cases) {
    qvbtest::ScopedEnv zone("TZ", c.zone);
    os.setWallClock(c.when);
    char out[23];
    EXPECT_EQ(QVB_localtime_ISO8601(1, out), 0);
    EXPECT_STREQ(out, c.date) << c.zone;
    QVB_localtime_ISO8601(2, out);
    EXPECT_STREQ(out, c.time) << c.zone;
    QVB_localtime_ISO8601(3, out);
    EXPECT_EQ(std::string(out), std::string(c.date) + " " + c.time) << c.zone;
  }

  qvbtest::ScopedEnv zone("TZ", "<-0530>5:30");
  os.setWallClock(kMarch7);
  char out[23];
  testing::internal::CaptureStdout();
  QVB_localtime_ISO8601(-2, out);  // verbose: both breakdowns printed too
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "%utl_23-v-val, GMT = 2024-03-07 13:05, tz_value(0)\n%utl_23-v-val, Loc = 2024-03-07 07:35 -0530\n");
  EXPECT_STREQ(out, "07:35 -0530");
  EXPECT_EQ(QVB_localtime_ISO8601(1, nullptr), 0);
}

TEST(SystemIdentity, SelectorsComposeNameReleaseAndPlatform) {
  qvbtest::FakeOs os;
  os.setIdentity(SystemIdentity{"Linux", "6.1.0-18-amd64"});
  const std::pair<int, const char *> cases[] = {
      {1, "Linux_"},      {2, "Linux_ 6_1"},    {3, "Linux_ 6_1 3"}, {11, "Linux_"},
      {12, "Linux__6_1"}, {13, "Linux__6_1_3"}, {-5, "Linux_"},
  };
  for (const auto &[selector, expected] : cases) {
    char out[64] = "stale";
    EXPECT_EQ(QVB_uname(selector, out), 0);
    EXPECT_STREQ(out, expected) << selector;
  }
  os.setIdentity(SystemIdentity{std::string(200, 'N'), "5"});
  char out[64];
  EXPECT_EQ(QVB_uname(13, out), 0);
  EXPECT_EQ(std::string(out), std::string(63, 'N')) << "cut to the documented 64 bytes";

  for (const auto &identity : {std::optional<SystemIdentity>(), std::optional(SystemIdentity{"Linux", "?"})}) {
    os.setIdentity(identity);
    EXPECT_EQ(QVB_uname(12, out), 1);
    EXPECT_STREQ(out, "");
  }
  EXPECT_EQ(QVB_uname(12, nullptr), 1);
}

}  // namespace
