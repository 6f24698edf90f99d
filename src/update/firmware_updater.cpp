#include "update/firmware_updater.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "base/system_failure.h"
#include "base/text.h"
#include "base/timer_resolution.h"
#include "update/core/firmware_image.h"
#include "update/core/update_messages.h"
#include "update/core/update_protocol.h"
#include "update/image_file.h"

namespace {

// The length of an output report of `bytes` on this device: the capabilities' length when
// it is longer, since HidD_SetOutputReport refuses shorter buffers.
std::size_t ReportLength(std::size_t bytes, USHORT capsLength) {
  return std::max<std::size_t>(bytes, capsLength);
}

const char* CheckMessage(ImageCheck check) {
  switch (check) {
    case ImageCheck::TooLarge: return kMsgTooLarge;
    case ImageCheck::TooShort: return kMsgTooShort;
    case ImageCheck::BadChecksum: return kMsgDamaged;
    case ImageCheck::LengthBeyondEnd: return kMsgBadLength;
    case ImageCheck::BlockBeyondEnd: return kMsgBadBlock;
    case ImageCheck::Valid: break;
  }
  return nullptr;
}

// What a failure record names a report by: its first bytes in hexadecimal.
std::wstring ReportName(const std::uint8_t* bytes, std::size_t length) {
  std::wstring name = L"report";
  for (std::size_t i = 0; i < length && i < 4; ++i) {
    wchar_t hex[8];
    std::swprintf(hex, 8, L" %02X", bytes[i]);
    name += hex;
  }
  return name;
}

}  // namespace

FirmwareUpdater::FirmwareUpdater(HidSystem& hid, std::wstring imagePath)
    : m_hid(hid), m_strPath(std::move(imagePath)), m_hEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!m_hEvent) RecordSystemFailure(L"CreateEventW", L"firmware acknowledgement event");
}

FirmwareUpdater::~FirmwareUpdater() = default;

bool FirmwareUpdater::LoadImage() {
  m_nStreamLength = 0;
  const ImageFileRead read = ReadImageFile(m_strPath, m_image);
  if (read == ImageFileRead::CannotOpen || read == ImageFileRead::ReadFailed) {
    std::printf(kMsgCannotOpen, ToAnsi(m_strPath).c_str());
    m_image.clear();
    return false;
  }
  const ImageCheck check =
      read == ImageFileRead::TooLarge ? ImageCheck::TooLarge : CheckImage(m_image, &m_nStreamLength);
  if (check != ImageCheck::Valid) {
    std::fputs(CheckMessage(check), stdout);
    m_image.clear();
    m_nStreamLength = 0;
    return false;
  }
  return true;
}

void FirmwareUpdater::SendCommand(const HidDevice& device, const std::uint8_t* bytes,
                                  std::size_t length) {
  std::vector<std::uint8_t> report(ReportLength(length, device.caps.OutputReportByteLength), 0);
  std::copy(bytes, bytes + length, report.begin());
  if (!m_hid.SetOutputReport(device.handle, report.data(), static_cast<ULONG>(report.size())))
    RecordSystemFailure(L"HidD_SetOutputReport", ReportName(bytes, length));
}

void FirmwareUpdater::SendFeature(const HidDevice& device, const std::uint8_t* bytes,
                                  std::size_t length) {
  std::vector<std::uint8_t> report(ReportLength(length, device.caps.FeatureReportByteLength), 0);
  std::copy(bytes, bytes + length, report.begin());
  if (!m_hid.SetFeature(device.handle, report.data(), static_cast<ULONG>(report.size())))
    RecordSystemFailure(L"HidD_SetFeature", ReportName(bytes, length));
}

bool FirmwareUpdater::Update(const HidDevice& device, const Progress& progress) {
  if (m_image.empty() || !m_hEvent) return false;
  m_bAbandonedRead = false;
  // The 500 ms and 20 ms pauses and the acknowledgement waits set the transfer's pace.
  const FineTimerResolution fineTimer;

  SendCommand(device, kBeginReport.data(), kBeginReport.size());
  Sleep(kBeginSettleMs);
  SendFeature(device, kBeginFeature.data(), kBeginFeature.size());

  std::vector<std::uint8_t> packet(ReportLength(kPacketReportBytes, device.caps.OutputReportByteLength));
  std::vector<std::uint8_t> reply(ReportLength(kAckReportBytes, device.caps.InputReportByteLength));
  ChunkCutter cutter(m_image, kImageStreamOffset, m_nStreamLength);
  for (Chunk chunk; cutter.Next(chunk);) {
    if (progress) progress(chunk.blockStart, m_nStreamLength);
    std::fill(packet.begin(), packet.end(), 0);
    packet[0] = kFirmwareReportId;
    packet[1] = chunk.mark;
    std::copy_n(m_image.begin() + static_cast<std::ptrdiff_t>(chunk.offset), chunk.length,
                packet.begin() + 2);
    if (!SendChunk(device, packet, reply)) return false;
  }

  SendCommand(device, kFinishReport.data(), kFinishReport.size());
  SendFeature(device, kFinishFeature.data(), kFinishFeature.size());
  return true;
}

bool FirmwareUpdater::SendChunk(const HidDevice& device, std::vector<std::uint8_t>& packet,
                                std::vector<std::uint8_t>& reply) {
  for (int attempt = 0; attempt < kPacketAttempts; ++attempt) {
    switch (Attempt(device, packet, reply)) {
      case Ack::Accepted: return true;
      case Ack::Refused: return false;
      case Ack::Missing: break;
    }
  }
  return false;
}

FirmwareUpdater::Ack FirmwareUpdater::Attempt(const HidDevice& device,
                                              std::vector<std::uint8_t>& packet,
                                              std::vector<std::uint8_t>& reply) {
  Sleep(kPacketPauseMs);
  if (m_bAbandonedRead) DiscardWaitingInput(device, reply);
  if (!m_hid.SetOutputReport(device.handle, packet.data(), static_cast<ULONG>(packet.size()))) {
    RecordSystemFailure(L"HidD_SetOutputReport", L"firmware packet");
    return Ack::Missing;
  }

  // The whole buffer is cleared, so a read that brings nothing cannot show an old 0x11.
  std::fill(reply.begin(), reply.end(), 0);
  OVERLAPPED overlapped{};
  overlapped.hEvent = m_hEvent.get();
  DWORD transferred = 0;
  if (!m_hid.ReadFile(device.handle, reply.data(), static_cast<DWORD>(reply.size()), &overlapped)) {
    if (GetLastError() != ERROR_IO_PENDING) {
      RecordSystemFailure(L"ReadFile", L"firmware acknowledgement");
      return Ack::Missing;
    }
    if (WaitForSingleObject(m_hEvent.get(), kAckTimeoutMs) != WAIT_OBJECT_0) {
      // Abandoned: cancelled, and waited for, before the buffer is used again.
      m_hid.CancelIoEx(device.handle, &overlapped);
      const BOOL completed = m_hid.GetOverlappedResult(device.handle, &overlapped, &transferred, TRUE);
      m_bAbandonedRead = true;
      // The acknowledgement may have come in the instant before the cancel took effect.
      if (!completed || transferred < 2) return Ack::Missing;
    }
  }
  if (!m_hid.GetOverlappedResult(device.handle, &overlapped, &transferred, FALSE) || transferred < 2)
    return Ack::Missing;
  return reply[1] == kAckAccepted ? Ack::Accepted : Ack::Refused;
}

void FirmwareUpdater::DiscardWaitingInput(const HidDevice& device,
                                          std::vector<std::uint8_t>& scratch) {
  // Bounded: a device that streams input without end must not keep the transfer here.
  for (int i = 0; i < 64; ++i) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_hEvent.get();
    DWORD transferred = 0;
    if (m_hid.ReadFile(device.handle, scratch.data(), static_cast<DWORD>(scratch.size()), &overlapped))
      continue;  // one was waiting: dropped
    if (GetLastError() != ERROR_IO_PENDING) return;
    m_hid.CancelIoEx(device.handle, &overlapped);
    if (!m_hid.GetOverlappedResult(device.handle, &overlapped, &transferred, TRUE)) return;
    // Completed after all, just before the cancel: dropped too, and look again.
  }
}
