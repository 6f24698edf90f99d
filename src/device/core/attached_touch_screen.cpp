#include "device/core/attached_touch_screen.h"

#include <utility>

namespace {

TouchScreenId NextTouchScreenId() {
  static std::atomic<TouchScreenId> next{0};
  return ++next;
}

}  // namespace

AttachedTouchScreen::AttachedTouchScreen(std::shared_ptr<TouchScreenIo> io)
    : m_nId(NextTouchScreenId()), m_pIo(std::move(io)) {}

void AttachedTouchScreen::MarkGone() {
  {
    std::lock_guard<std::mutex> lock(m_deliveryMutex);
    if (m_bGone.exchange(true)) return;
  }
  if (m_pIo) m_pIo->Cancel();
}
