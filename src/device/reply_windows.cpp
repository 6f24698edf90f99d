#include "device/reply_windows.h"

#include "base/core/user_messages.h"

namespace {

constexpr wchar_t kTicketProperty[] = L"PelnixReplyTicket";

// Every message that carries a reply in lParam.
constexpr UINT kReplyMessages[] = {UM_REPLY_VV,     UM_REPLY_VS,      UM_REPLY_ZV,
                                   UM_REPLY_ZG,     UM_TOUCH_POINT,   UM_REPLY_O,
                                   UM_REPLY_UPDATE, UM_REPLY_V1_READ, UM_REPLY_V1_WRITE};

}  // namespace

bool ReplyWindows::IsReplyMessage(UINT message) {
  for (UINT reply : kReplyMessages)
    if (reply == message) return true;
  return false;
}

std::uint64_t ReplyWindows::TicketOf(HWND window) {
  // A window that is gone has no properties: its ticket went with it.
  return reinterpret_cast<std::uintptr_t>(::GetPropW(window, kTicketProperty));
}

std::uint64_t ReplyWindows::Open(HWND window) {
  if (!window) return 0;
  std::lock_guard<std::mutex> lock(m_mutex);
  SweepLocked();
  if (const std::uint64_t ticket = TicketOf(window)) return ticket;
  const std::uint64_t ticket = ++m_nNextTicket;
  if (!::SetPropW(window, kTicketProperty, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(ticket)))) return 0;
  return ticket;
}

bool ReplyWindows::Live(void* window, std::uint64_t ticket) {
  if (!window) return true;  // a reader without a window is ended by the stop flag only
  return ticket != 0 && TicketOf(static_cast<HWND>(window)) == ticket;
}

bool ReplyWindows::Post(void* window, std::uint64_t ticket, std::uint32_t message,
                        std::unique_ptr<DeviceReport>& reply) {
  const HWND target = static_cast<HWND>(window);
  // Checked and posted under one lock: nothing is posted for a window after End has returned.
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!Live(window, ticket)) return false;
  const std::uint64_t delivery = ++m_nNextDelivery;
  if (!::PostMessageW(target, message, 0, static_cast<LPARAM>(delivery))) return false;
  m_deliveries.emplace(delivery, Delivery{target, ticket, std::move(reply)});
  return true;
}

void ReplyWindows::Acknowledge() {
  if (m_hAckEvent) ::SetEvent(m_hAckEvent);
}

std::unique_ptr<DeviceReport> ReplyWindows::Take(LPARAM delivery) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const auto found = m_deliveries.find(static_cast<std::uint64_t>(delivery));
  if (found == m_deliveries.end()) return nullptr;
  Delivery taken = std::move(found->second);
  m_deliveries.erase(found);
  if (TicketOf(taken.window) != taken.ticket) return nullptr;
  return std::move(taken.reply);
}

void ReplyWindows::End(HWND window) {
  if (!window) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  ::RemovePropW(window, kTicketProperty);
  SweepLocked();
}

int ReplyWindows::waiting() {
  std::lock_guard<std::mutex> lock(m_mutex);
  SweepLocked();
  return static_cast<int>(m_deliveries.size());
}

void ReplyWindows::SweepLocked() {
  for (auto it = m_deliveries.begin(); it != m_deliveries.end();) {
    if (TicketOf(it->second.window) != it->second.ticket) {
      it = m_deliveries.erase(it);
    } else {
      ++it;
    }
  }
}
