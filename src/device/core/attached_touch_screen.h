#pragma once
// AttachedTouchScreen: one touch screen from its enumeration until the last exchange with it
// has ended. Its id is never reused in the process; the touch screen list's slot holds it by
// shared ownership, and so does every exchange asked of it, so a removal that empties or moves
// the slot neither frees it under an exchange nor lets one write what it learns into another.
//
// What exchanges learn (number, version) and what the windows fill in are atomics: exchanges
// write them on pooled threads while windows read them.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "device/core/touch_screen_io.h"

using TouchScreenId = std::uint64_t;  // 0: none

class AttachedTouchScreen {
public:
  explicit AttachedTouchScreen(std::shared_ptr<TouchScreenIo> io = nullptr);
  AttachedTouchScreen(const AttachedTouchScreen&) = delete;
  AttachedTouchScreen& operator=(const AttachedTouchScreen&) = delete;

  TouchScreenId id() const { return m_nId; }
  TouchScreenIo* io() const { return m_pIo.get(); }

  // Marks it gone and cancels its I/O: exchanges asked of it end at once (Gone), those queued
  // never write. Any thread; the first call counts.
  void MarkGone();
  bool gone() const { return m_bGone.load(); }
  // Runs `deliver` unless the touch screen is gone, holding MarkGone off meanwhile: once
  // MarkGone has returned, nothing more of this touch screen is delivered. False when gone.
  template <typename Deliver>
  bool WhileAttached(Deliver&& deliver) {
    std::lock_guard<std::mutex> lock(m_deliveryMutex);
    if (m_bGone.load()) return false;
    deliver();
    return true;
  }

  // -1 until something fills them.
  std::array<std::atomic<std::int32_t>, 3> HwVersion{-1, -1, -1};
  std::atomic<std::int8_t> SerialNo0{-1};
  std::atomic<std::int8_t> SerialNo1{-1};
  std::atomic<std::int32_t> SerialNo2{-1};
  std::atomic<std::int32_t> IsCalibrated{0};
  std::atomic<std::int32_t> TouchScreenNo{-1};
  std::atomic<std::int32_t> MonitorNo{-1};

  // The last exchange did not end as the protocol ends it (a time-out, a stop, an unanswered
  // echo, a stream that gave way): answers may still come, and the next exchange reads them off
  // before it writes. A touch screen nobody has read yet counts as unsettled.
  std::atomic<bool> m_bUnsettled{true};

private:
  const TouchScreenId m_nId;
  std::shared_ptr<TouchScreenIo> m_pIo;
  std::mutex m_deliveryMutex;
  std::atomic<bool> m_bGone{false};
};
