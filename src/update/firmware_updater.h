#pragma once
// FirmwareUpdater: one console update run. Reads and checks a firmware image file, then
// carries its block stream to touch screens, one transfer at a time, over HID output and
// feature reports with one acknowledgement per chunk. Every report and read goes through the
// HidSystem, so the simulated touch screen can stand in for the hardware.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/scoped_handle.h"
#include "device/hid_system.h"
#include "device/touch_screen_list.h"

class FirmwareUpdater {
public:
  // Progress before each chunk: block-stream bytes already sent (the start of the current
  // block) against the stream length.
  using Progress = std::function<void(std::uint32_t sent, std::uint32_t total)>;

  FirmwareUpdater(HidSystem& hid, std::wstring imagePath);
  ~FirmwareUpdater();
  FirmwareUpdater(const FirmwareUpdater&) = delete;
  FirmwareUpdater& operator=(const FirmwareUpdater&) = delete;

  // Reads and checks the image file. On failure prints why to standard output and returns
  // false; nothing is then to be sent.
  bool LoadImage();

  // The transfer to one touch screen: begin reports, every chunk, finish reports. False when
  // a chunk failed four attempts or was refused; no finish reports are sent then.
  bool Update(const HidDevice& device, const Progress& progress = {});

  const std::wstring& imagePath() const { return m_strPath; }
  std::uint32_t streamLength() const { return m_nStreamLength; }

private:
  enum class Ack { Accepted, Refused, Missing };

  // One report of the length the device takes (at least `bytes`, zero padded).
  void SendCommand(const HidDevice& device, const std::uint8_t* bytes, std::size_t length);
  void SendFeature(const HidDevice& device, const std::uint8_t* bytes, std::size_t length);
  bool SendChunk(const HidDevice& device, std::vector<std::uint8_t>& packet,
                 std::vector<std::uint8_t>& reply);
  Ack Attempt(const HidDevice& device, std::vector<std::uint8_t>& packet,
              std::vector<std::uint8_t>& reply);
  // Reads and discards input reports already waiting: a late acknowledgement of an
  // abandoned attempt must not be taken for the next one.
  void DiscardWaitingInput(const HidDevice& device, std::vector<std::uint8_t>& scratch);

  HidSystem& m_hid;
  std::wstring m_strPath;
  std::vector<std::uint8_t> m_image;
  std::uint32_t m_nStreamLength = 0;
  ScopedHandle m_hEvent;  // manual reset, for the overlapped reads
  bool m_bAbandonedRead = false;  // an attempt of this transfer gave up on its acknowledgement
};
