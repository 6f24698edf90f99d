// Fuzz target: replies of an LED test through the run, the decoder and the report. The input
// is the touch screen's side of the "Zv" and "Zg" steps, nine bytes per reply (report id and
// bytes 1 to 8); an end-of-reply report ends a step, and one is added where the input stops.
// Whatever arrives, nothing is read outside the streams and a report has one line per LED.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "diagnostics/core/led_report.h"
#include "diagnostics/core/led_test_run.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr std::size_t kReply = 9;
constexpr std::uint8_t kEnd[kReply] = {0x30, 'A', 0, '0', '0', '0', 0, 0, 0};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  led::LedTestRun run;
  run.Begin();
  run.OnOpenReply(kEnd, kReply);
  bool finished = false;
  for (std::size_t at = 0; at < size && !finished; at += kReply) {
    // Each reply in a buffer of its own size, so a read past it is caught.
    const std::size_t n = std::min(kReply, size - at);
    std::vector<std::uint8_t> reply(data + at, data + at + n);
    const auto action = run.phase() == led::LedTestRun::Phase::Levels
                            ? run.OnLevelsReply(reply.data(), reply.size())
                            : run.OnStatusesReply(reply.data(), reply.size());
    finished = action == led::LedTestRun::Action::Finish;
  }
  while (!finished) {
    finished = (run.phase() == led::LedTestRun::Phase::Levels ? run.OnLevelsReply(kEnd, kReply)
                                                              : run.OnStatusesReply(kEnd, kReply)) ==
               led::LedTestRun::Action::Finish;
  }

  led::LedTestResult result;
  if (run.Finish(result) != led::DecodeStatus::Decoded) return 0;
  const led::LedSummary& s = result.summary;
  Require(s.xCount >= 0 && s.xCount <= 255 && s.yCount >= 0 && s.yCount <= 255);
  Require(s.step >= 0 && s.step <= 15 && s.stepDivisor == 1);
  Require(result.xBad <= s.xCount && result.yBad <= s.yCount);
  Require(std::is_sorted(result.bad.begin(), result.bad.end(),
                         [](const led::BadLed& a, const led::BadLed& b) { return a.index < b.index; }));
  for (const led::BadLed& b : result.bad) Require(b.level < s.minLevel);

  led::ReportIdentity identity;
  identity.number = 255;
  identity.version[0] = -1;
  const auto lines = led::BuildReport(identity, result);
  Require(lines.size() == 12u + static_cast<std::size_t>(s.xCount + s.yCount));
  for (const auto& line : lines) Require(line.size() < 200);
  return 0;
}
