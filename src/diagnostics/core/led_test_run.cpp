#include "diagnostics/core/led_test_run.h"

#include "device/core/report_protocol.h"

namespace led {

namespace {
constexpr std::size_t kShortestReply = 9;  // report id and bytes 1 to 8

bool Ends(const std::uint8_t* report, std::size_t length) {
  return length >= kShortestReply && protocol::IsEndOfReply(report);
}
}  // namespace

void LedTestRun::Begin() {
  levels_.clear();
  statuses_.clear();
  phase_ = Phase::Open;
}

LedTestRun::Action LedTestRun::OnOpenReply(const std::uint8_t* report, std::size_t length) {
  if (phase_ != Phase::Open || !report) return Action::None;
  if (!Ends(report, length)) return Action::HoldReply;
  phase_ = Phase::Levels;
  return Action::PostLevels;
}

LedTestRun::Action LedTestRun::OnLevelsReply(const std::uint8_t* report, std::size_t length) {
  if (phase_ != Phase::Levels || !report) return Action::None;
  if (!Ends(report, length)) {
    AppendPayload(levels_, report, length);
    return Action::None;
  }
  phase_ = Phase::Statuses;
  return Action::PostStatuses;
}

LedTestRun::Action LedTestRun::OnStatusesReply(const std::uint8_t* report, std::size_t length) {
  if (phase_ != Phase::Statuses || !report) return Action::None;
  if (!Ends(report, length)) {
    AppendPayload(statuses_, report, length);
    return Action::None;
  }
  phase_ = Phase::Idle;
  return Action::Finish;
}

DecodeStatus LedTestRun::Finish(LedTestResult& result) {
  const DecodeStatus status = Decode(std::move(levels_), std::move(statuses_), result);
  levels_.clear();
  statuses_.clear();
  phase_ = Phase::Idle;
  return status;
}

}  // namespace led
