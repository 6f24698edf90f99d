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
  m_levels.clear();
  m_statuses.clear();
  m_nPhase = Phase::Open;
}

LedTestRun::Action LedTestRun::OnOpenReply(const std::uint8_t* report, std::size_t length) {
  if (m_nPhase != Phase::Open || !report) return Action::None;
  if (!Ends(report, length)) return Action::HoldReply;
  m_nPhase = Phase::Levels;
  return Action::PostLevels;
}

LedTestRun::Action LedTestRun::OnLevelsReply(const std::uint8_t* report, std::size_t length) {
  if (m_nPhase != Phase::Levels || !report) return Action::None;
  if (!Ends(report, length)) {
    AppendPayload(m_levels, report, length);
    return Action::None;
  }
  m_nPhase = Phase::Statuses;
  return Action::PostStatuses;
}

LedTestRun::Action LedTestRun::OnStatusesReply(const std::uint8_t* report, std::size_t length) {
  if (m_nPhase != Phase::Statuses || !report) return Action::None;
  if (!Ends(report, length)) {
    AppendPayload(m_statuses, report, length);
    return Action::None;
  }
  m_nPhase = Phase::Idle;
  return Action::Finish;
}

DecodeStatus LedTestRun::Finish(LedTestResult& result) {
  const DecodeStatus status = Decode(std::move(m_levels), std::move(m_statuses), result);
  m_levels.clear();
  m_statuses.clear();
  m_nPhase = Phase::Idle;
  return status;
}

}  // namespace led
