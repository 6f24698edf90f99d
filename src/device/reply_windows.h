#pragma once
// ReplyWindows: the windows that receive replies of one set of device services, and the replies
// on their way to them.
//
// A window that asks for replies gets a ticket, kept as a property of the window itself, so it
// goes with the window and a window that later gets the same handle value starts without one.
// A reader posts only while its request's ticket is the window's; ending a window's exchanges
// (or destroying it) takes the ticket away, and its readers end at their next read slice.
//
// A reply is posted as a delivery number, and the record waits here until the window takes it:
// nothing is freed behind a window's back, nothing is left when it goes (the replies of windows
// that lost their ticket are released), and ending a window's exchanges needs no pumping of its
// message queue.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "device/core/device_report.h"
#include "device/core/exchange_lanes.h"

class ReplyWindows final : public ReplySink {
public:
  // `ackEvent`: signalled in acknowledge mode when a command's end-of-reply arrives.
  explicit ReplyWindows(HANDLE ackEvent) : m_hAckEvent(ackEvent) {}
  ~ReplyWindows() override = default;
  ReplyWindows(const ReplyWindows&) = delete;
  ReplyWindows& operator=(const ReplyWindows&) = delete;

  // The messages that carry a reply (UM_REPLY_*, UM_TOUCH_POINT).
  static bool IsReplyMessage(UINT message);
  HANDLE ackEvent() const { return m_hAckEvent; }

  // A request names `window` as its reply window: its ticket (a new one when the window has
  // none). 0 for no window.
  std::uint64_t Open(HWND window);
  // The reply of the delivery number a reply message carries, or null when there is none (or
  // its window's exchanges ended since).
  std::unique_ptr<DeviceReport> Take(LPARAM delivery);
  // Ends every exchange of `window`: its readers end within one read slice, the replies on their
  // way to it are released. A later request gives it a new ticket.
  void End(HWND window);
  // Replies waiting to be taken, once those of windows that lost their ticket (ended or
  // destroyed) are released (for tests).
  int waiting();

  // ReplySink, for the readers.
  bool Live(void* window, std::uint64_t ticket) override;
  bool Post(void* window, std::uint64_t ticket, std::uint32_t message,
            std::unique_ptr<DeviceReport>& reply) override;
  void Acknowledge() override;

private:
  struct Delivery {
    HWND window;
    std::uint64_t ticket;
    std::unique_ptr<DeviceReport> reply;
  };
  static std::uint64_t TicketOf(HWND window);
  void SweepLocked();  // releases the replies whose window lost their ticket

  const HANDLE m_hAckEvent;
  mutable std::mutex m_mutex;
  std::uint64_t m_nNextTicket = 0;
  std::uint64_t m_nNextDelivery = 0;
  std::map<std::uint64_t, Delivery> m_deliveries;
};
