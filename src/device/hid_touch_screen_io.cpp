#include "device/hid_touch_screen_io.h"

#include <cstring>

#include "base/system_failure.h"

namespace {
constexpr DWORD kErrorNoSuchDevice = 433;  // ERROR_NO_SUCH_DEVICE, not in every SDK's headers
}  // namespace

HidTouchScreenIo::HidTouchScreenIo(HidSystem& hid, HANDLE device)
    : m_hid(hid),
      m_hDevice(device),
      m_hReadEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hInterruptEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hCancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!m_hReadEvent || !m_hInterruptEvent || !m_hCancelEvent)
    RecordSystemFailure(L"CreateEventW", L"touch screen I/O");
}

HidTouchScreenIo::~HidTouchScreenIo() {
  std::uint8_t scratch[kReportSize];
  Abandon(scratch);
  if (m_hDevice != INVALID_HANDLE_VALUE) m_hid.Close(m_hDevice);
}

bool HidTouchScreenIo::MeansGone(DWORD error) {
  switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case kErrorNoSuchDevice:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_OPERATION_ABORTED:
    case ERROR_INVALID_HANDLE:
    // Wine's HID class driver answers a removed device's reads and writes with access denied.
    case ERROR_ACCESS_DENIED:
      return true;
    default:
      return false;
  }
}

IoResult HidTouchScreenIo::Failure(const wchar_t* operation, DWORD error) {
  if (m_bGone.load() || MeansGone(error)) return IoResult::Gone;
  RecordSystemFailure(operation, L"touch screen report", error);
  return IoResult::Failed;
}

IoResult HidTouchScreenIo::Write(const std::uint8_t* report) {
  if (m_bGone.load()) return IoResult::Gone;
  std::uint8_t copy[kReportSize];
  std::memcpy(copy, report, kReportSize);
  if (m_hid.SetOutputReport(m_hDevice, copy, kReportSize)) return IoResult::Done;
  return Failure(L"HidD_SetOutputReport", ::GetLastError());
}

IoResult HidTouchScreenIo::Completed(std::uint8_t* report) {
  m_bPending = false;
  DWORD transferred = 0;
  if (!m_hid.GetOverlappedResult(m_hDevice, &m_overlapped, &transferred, FALSE))
    return Failure(L"GetOverlappedResult", ::GetLastError());
  std::memcpy(report, m_buffer, kReportSize);
  return IoResult::Done;
}

IoResult HidTouchScreenIo::Read(std::uint8_t* report, std::uint32_t timeoutMs, bool interruptible) {
  if (m_bGone.load()) {
    Abandon(report);
    return IoResult::Gone;
  }
  if (!m_bPending) {
    m_overlapped = OVERLAPPED{};
    m_overlapped.hEvent = m_hReadEvent.get();
    ::ResetEvent(m_hReadEvent.get());
    if (m_hid.ReadFile(m_hDevice, m_buffer, kReportSize, &m_overlapped)) {
      std::memcpy(report, m_buffer, kReportSize);
      return IoResult::Done;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return Failure(L"ReadFile", error);
    m_bPending = true;
  }
  const HANDLE events[] = {m_hReadEvent.get(), m_hCancelEvent.get(), m_hInterruptEvent.get()};
  switch (::WaitForMultipleObjects(interruptible ? 3 : 2, events, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
      return Completed(report);
    case WAIT_OBJECT_0 + 1:
      Abandon(report);
      return IoResult::Gone;
    case WAIT_OBJECT_0 + 2:
      return IoResult::Woken;
    case WAIT_TIMEOUT:
      return IoResult::TimedOut;
    default:
      Abandon(report);
      return Failure(L"WaitForMultipleObjects", ::GetLastError());
  }
}

IoResult HidTouchScreenIo::Abandon(std::uint8_t* report) {
  if (!m_bPending) return IoResult::TimedOut;
  m_hid.CancelIoEx(m_hDevice, &m_overlapped);
  DWORD transferred = 0;
  const BOOL completed = m_hid.GetOverlappedResult(m_hDevice, &m_overlapped, &transferred, TRUE);
  m_bPending = false;
  if (!completed) return IoResult::TimedOut;
  std::memcpy(report, m_buffer, kReportSize);
  return IoResult::Done;
}

void HidTouchScreenIo::Interrupt(bool on) {
  if (on) {
    ::SetEvent(m_hInterruptEvent.get());
  } else {
    ::ResetEvent(m_hInterruptEvent.get());
  }
}

void HidTouchScreenIo::Cancel() {
  m_bGone.store(true);
  ::SetEvent(m_hCancelEvent.get());
}
