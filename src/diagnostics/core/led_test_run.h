#pragma once
// LedTestRun: the order of one LED test, "o", then "Zv", then "Zg", and what each reply
// means for it. The dialog posts the requests and holds the "o" data reply; this class
// collects the payload and says what comes next, so the order is the same wherever it runs.
#include <cstdint>

#include "diagnostics/core/led_report.h"

namespace led {

class LedTestRun {
public:
  enum class Phase { Idle, Open, Levels, Statuses };
  enum class Action {
    None,          // nothing to do but free the reply
    HoldReply,     // the "o" data reply becomes the held reply (keep it)
    PostLevels,    // the "o" exchange ended: post "Zv"
    PostStatuses,  // the "Zv" exchange ended: post "Zg"
    Finish,        // the "Zg" exchange ended: release the held reply and decode
  };

  // A new run: the streams are emptied, whatever an unfinished run left in them.
  void Begin();
  Phase phase() const { return m_nPhase; }

  // One reply of `length` bytes (at least 9) to the request of its phase; replies of
  // another phase change nothing (Action::None). An end-of-reply report ends the phase, even
  // when it is a payload that happens to look like one.
  Action OnOpenReply(const std::uint8_t* report, std::size_t length);
  Action OnLevelsReply(const std::uint8_t* report, std::size_t length);
  Action OnStatusesReply(const std::uint8_t* report, std::size_t length);

  // After Action::Finish: decodes the streams, then empties them; the run is over.
  DecodeStatus Finish(LedTestResult& result);

  const Stream& levels() const { return m_levels; }
  const Stream& statuses() const { return m_statuses; }

private:
  Phase m_nPhase = Phase::Idle;
  Stream m_levels;
  Stream m_statuses;
};

}  // namespace led
