// The LED test decoder and report: the step byte, trimming, the numbering of the y row, the
// widths of the lines, undecodable streams, the order of a run and one whole report.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "diagnostics/core/led_report.h"
#include "diagnostics/core/led_test_run.h"

using led::DecodeStatus;
using led::LedTestResult;
using led::LedTestRun;
using led::Stream;

namespace {

struct Frame {
  int x = 3;
  int y = 2;
  std::uint8_t stepByte = 0x21;
  std::uint8_t mark = 0x01;
  std::uint8_t minLevel = 50;
  std::set<int> bad;  // marked and below the minimum level
};

// Streams as a touch frame sends them: every LED of both rows and the index between them.
Stream Levels(const Frame& f) {
  const int low = f.stepByte & 0x0F;
  const int step = std::max(low ? (f.stepByte >> 4) / low : 1, 1);
  Stream zv(9 + static_cast<std::size_t>(f.x + 1 + f.y) * step, 0x07);
  const std::uint8_t head[] = {'Z', 'v', static_cast<std::uint8_t>(f.x), static_cast<std::uint8_t>(f.y),
                               f.stepByte, f.mark, f.minLevel, 0x07, 0x07};
  std::copy(std::begin(head), std::end(head), zv.begin());
  for (int k = 0; k < f.x + 1 + f.y; ++k) zv[9 + k * step] = f.bad.count(k) ? 10 : 200;
  return zv;
}

Stream Statuses(const Frame& f) {
  Stream zg{'Z', 'g', static_cast<std::uint8_t>(f.x), static_cast<std::uint8_t>(f.y), 0, 0, 0, 0};
  for (int k = 0; k < f.x + 1 + f.y; ++k) zg.push_back(f.bad.count(k) ? f.mark : 0x0F);
  return zg;
}

LedTestResult Decoded(const Stream& levels, const Stream& statuses) {
  LedTestResult result;
  EXPECT_EQ(led::Decode(levels, statuses, result), DecodeStatus::Decoded);
  return result;
}

std::vector<int> BadIndexes(const LedTestResult& result) {
  std::vector<int> indexes;
  for (const led::BadLed& b : result.bad) indexes.push_back(b.index);
  return indexes;
}

// A data reply carrying eight payload bytes, and an end-of-reply report.
std::vector<std::uint8_t> Data(std::initializer_list<std::uint8_t> payload, std::uint8_t id = 0x30) {
  std::vector<std::uint8_t> report(100, 0);
  report[0] = id;
  std::copy(payload.begin(), payload.end(), report.begin() + 1);
  return report;
}
std::vector<std::uint8_t> End() { return Data({'A', 'v', '0', '0', '0', 0, 0, 0}); }

}  // namespace

TEST(LedDecoder, TheStepByteGivesHighNibbleOverLowNibble) {
  struct Case { std::uint8_t byte; int step; };
  for (const Case c : {Case{0x21, 2}, Case{0x42, 2}, Case{0x31, 3}, Case{0x32, 1}, Case{0x12, 0}}) {
    SCOPED_TRACE(c.byte);
    Frame f;
    f.stepByte = c.byte;
    Stream zv = Levels(f);
    // Every LED marked; with step 0 each one reads the level at Zv[9].
    Stream zg = Statuses(f);
    std::fill(zg.begin() + 8, zg.end(), f.mark);
    zv[9] = c.step == 0 ? 10 : zv[9];
    const LedTestResult r = Decoded(zv, zg);
    EXPECT_EQ(r.summary.step, c.step);
    EXPECT_EQ(r.summary.stepDivisor, 1);
    EXPECT_EQ(r.bad.size(), c.step == 0 ? 6u : 0u);
  }
}

TEST(LedDecoder, MarkedLedsBelowTheMinimumAreBadAndCounted) {
  Frame f;
  f.x = 4;
  f.y = 3;
  f.bad = {0, 3, 5, 7};
  Stream zg = Statuses(f);
  zg[8 + 1] = f.mark;  // marked but at a good level: OK
  const LedTestResult r = Decoded(Levels(f), zg);
  EXPECT_EQ(BadIndexes(r), (std::vector<int>{0, 3, 5, 7}));
  EXPECT_EQ(r.bad[1], (led::BadLed{3, 10}));
  EXPECT_EQ(r.xBad, 2);
  EXPECT_EQ(r.yBad, 2);
  EXPECT_EQ(r.summary.mark, 1);
  EXPECT_EQ(r.summary.minLevel, 50);
}

TEST(LedDecoder, TrailingZerosAreDroppedSoLedsBeyondTheEndAreOk) {
  Frame f;
  f.bad = {4, 5};
  Stream zv = Levels(f);
  zv.pop_back();
  zv.back() = 0;               // LED 5's level, now the last byte: trimmed away
  zv.insert(zv.end(), 40, 0);  // padding of the last report
  Stream zg = Statuses(f);
  zg.insert(zg.end(), 7, 0);
  const LedTestResult r = Decoded(zv, zg);
  EXPECT_EQ(BadIndexes(r), (std::vector<int>{4}));
  // A zero mark never marks a trimmed status.
  Frame zeroMark;
  zeroMark.mark = 0;
  zeroMark.bad = {5};
  Stream statuses = Statuses(zeroMark);
  statuses.back() = 0;
  EXPECT_TRUE(Decoded(Levels(zeroMark), statuses).bad.empty());
}

TEST(LedDecoder, TheYRowIsNumberedOnFromTheXRowAndSkipsIndexXCount) {
  Frame f;
  f.x = 100;
  f.y = 5;
  f.bad = {100, 101};
  const LedTestResult r = Decoded(Levels(f), Statuses(f));
  EXPECT_EQ(BadIndexes(r), (std::vector<int>{100, 101}));
  EXPECT_EQ(r.xBad, 0);
  EXPECT_EQ(r.yBad, 1);  // index 100 counts in neither row
  const auto lines = led::BuildReport({}, r);
  ASSERT_EQ(lines.size(), 12u + 105u);
  const std::string x100 = lines[11 + 99];
  const std::string y101 = lines[11 + 100 + 1];
  EXPECT_EQ(x100.substr(6, 3) + x100.substr(83), "100[   OK   ]");
  EXPECT_EQ(y101.substr(6, 3) + y101.substr(83), "101[   Bad  ]");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find("Bad") != std::string::npos; }),
            1);
}

TEST(LedDecoder, StatusesPastTheYRowCountInNoRow) {
  Frame f;
  f.bad = {1};
  Stream zv = Levels(f);
  zv.insert(zv.end(), 4, 10);  // levels of two LEDs nobody reports (step 2)
  Stream zg = Statuses(f);
  zg.insert(zg.end(), 2, f.mark);
  const LedTestResult r = Decoded(zv, zg);
  EXPECT_EQ(BadIndexes(r), (std::vector<int>{1, 6, 7}));
  EXPECT_EQ(r.xBad, 1);
  EXPECT_EQ(r.yBad, 0);
}

TEST(LedDecoder, FiveHundredTenLedsGiveLinesOfOneWidth) {
  Frame f;
  f.x = 255;
  f.y = 255;
  f.bad = {0, 254, 256, 510};
  const auto lines = led::BuildReport({}, Decoded(Levels(f), Statuses(f)));
  ASSERT_EQ(lines.size(), 12u + 510u);
  EXPECT_EQ(lines[3], "Total leds:510 ");
  std::vector<std::string> ledLines;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(ledLines),
               [](const std::string& l) { return l.find("[   ") != std::string::npos; });
  ASSERT_EQ(ledLines.size(), 510u);
  for (const std::string& l : ledLines) EXPECT_EQ(l.size(), 93u) << l;
  EXPECT_EQ(ledLines[0].substr(0, 9), "      001");
  EXPECT_EQ(ledLines[509].substr(0, 9), "      510");
  EXPECT_EQ(ledLines[509].substr(83), "[   Bad  ]");
}

TEST(LedDecoder, UndecodableStreamsGiveNoResult) {
  const Frame f;
  const Stream zv = Levels(f);
  const Stream zg = Statuses(f);
  Stream noV = zv;
  noV[1] = 'g';
  Stream noG = zg;
  noG[0] = 'z';
  Stream zeroDivisor = zv;
  zeroDivisor[4] = 0x20;
  struct Case { const char* name; Stream levels, statuses; DecodeStatus status; };
  const Case cases[] = {
      {"both empty", {}, {}, DecodeStatus::TooShort},
      {"only zeros", Stream(64, 0), zg, DecodeStatus::TooShort},
      {"seven level bytes", Stream(zv.begin(), zv.begin() + 7), zg, DecodeStatus::TooShort},
      {"statuses header only, trimmed", zv, Stream{'Z', 'g', 3, 2, 0, 0, 0, 0}, DecodeStatus::TooShort},
      {"Zv header", noV, zg, DecodeStatus::HeaderMismatch},
      {"Zg header", zv, noG, DecodeStatus::HeaderMismatch},
      {"streams swapped", zg, zv, DecodeStatus::HeaderMismatch},
      {"low nibble 0", zeroDivisor, zg, DecodeStatus::ZeroDivisor},
  };
  for (const Case& c : cases) {
    LedTestResult result;
    result.xBad = 99;
    EXPECT_EQ(led::Decode(c.levels, c.statuses, result), c.status) << c.name;
    EXPECT_EQ(result.xBad, 99) << c.name << ": left untouched";
  }
}

TEST(LedReport, AWholeReportLineByLine) {
  Frame f;
  f.bad = {1, 4};
  led::ReportIdentity id;
  id.number = 1;
  id.version[0] = 648;
  id.version[1] = 15;
  id.version[2] = -2;
  id.serial0 = 18;
  id.serial1 = -3;
  id.serial2 = 123456;
  const std::vector<std::string> expected = {
      "TouchScreen No:1",
      "Hardware Version:648.15.0",
      "Product Serial Number:180123456",
      "Total leds:5 ",
      "Summary:",
      "       x-coordinate total leds:3  bad leds:1 ",
      "       y-coordinate total leds:2  bad leds:1 ",
      "Diagnostics Result:",
      "      Led                                                                                                   Status",
      "---------------------------------------------------------------------------------------------",
      "    x-coordinate:",
      "      001--------------------------------------------------------------------------[   OK   ]",
      "      002--------------------------------------------------------------------------[   Bad  ]",
      "      003--------------------------------------------------------------------------[   OK   ]",
      "    y-coordinate:",
      "      004--------------------------------------------------------------------------[   Bad  ]",
      "      005--------------------------------------------------------------------------[   OK   ]",
  };
  const auto lines = led::BuildReport(id, Decoded(Levels(f), Statuses(f)));
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST(LedTestRun, CollectsEachStepUntilItsEndOfReply) {
  LedTestRun run;
  const auto open = Data({'O', 'K', 1, 2});
  const auto end = End();
  // Nothing counts before a run begins.
  EXPECT_EQ(run.OnOpenReply(open.data(), open.size()), LedTestRun::Action::None);
  run.Begin();
  EXPECT_EQ(run.OnLevelsReply(open.data(), open.size()), LedTestRun::Action::None);
  EXPECT_EQ(run.OnOpenReply(open.data(), open.size()), LedTestRun::Action::HoldReply);
  EXPECT_EQ(run.OnOpenReply(end.data(), end.size()), LedTestRun::Action::PostLevels);

  const auto levels = Data({'Z', 'v', 3, 2, 0x21, 1, 50, 0});
  const auto foreign = Data({9, 9, 9, 9, 9, 9, 9, 9}, 0x31);  // not a data report: adds nothing
  // A payload that happens to read like an end-of-reply report ends the step.
  const auto lookalike = Data({'B', 1, '0', '0', '0', 0, 0, 0});
  EXPECT_EQ(run.OnLevelsReply(levels.data(), levels.size()), LedTestRun::Action::None);
  EXPECT_EQ(run.OnLevelsReply(foreign.data(), foreign.size()), LedTestRun::Action::None);
  EXPECT_EQ(run.OnLevelsReply(lookalike.data(), lookalike.size()), LedTestRun::Action::PostStatuses);
  EXPECT_EQ(run.levels(), Stream(levels.begin() + 1, levels.begin() + 9));
  EXPECT_EQ(run.OnLevelsReply(levels.data(), levels.size()), LedTestRun::Action::None);
  EXPECT_EQ(run.levels().size(), 8u);  // the step is over

  const auto statuses = Data({'Z', 'g', 3, 2, 0, 0, 0, 0});
  EXPECT_EQ(run.OnStatusesReply(statuses.data(), statuses.size()), LedTestRun::Action::None);
  EXPECT_EQ(run.OnStatusesReply(end.data(), end.size()), LedTestRun::Action::Finish);
  LedTestResult result;
  EXPECT_EQ(run.Finish(result), DecodeStatus::TooShort);  // eight level bytes, seven once trimmed
  EXPECT_TRUE(run.levels().empty());
  EXPECT_TRUE(run.statuses().empty());
  EXPECT_EQ(run.phase(), LedTestRun::Phase::Idle);
  // A short report is never read past its end.
  run.Begin();
  EXPECT_EQ(run.OnOpenReply(end.data(), 5), LedTestRun::Action::HoldReply);
  // Beginning again empties what an unfinished run collected.
  EXPECT_EQ(run.OnOpenReply(end.data(), end.size()), LedTestRun::Action::PostLevels);
  run.OnLevelsReply(levels.data(), levels.size());
  run.Begin();
  EXPECT_TRUE(run.levels().empty());
}
