#pragma once
// Shared set-up of the firmware update tests under Wine: simulated touch screens, opened the
// way the touch screen list opens them, image files in a scratch folder, and the reports a
// touch screen must receive.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/touch_screen_list.h"
#include "simulator/simulated_touch_screen.h"
#include "support/process_runner.h"
#include "support/update_test_images.h"

namespace update_test {

// An opened simulated touch screen; closed by the destructor.
struct OpenScreen {
  std::shared_ptr<SimulatedTouchScreen> screen;
  HidDevice device;
  OpenScreen() = default;
  OpenScreen(const OpenScreen&) = delete;
  OpenScreen& operator=(const OpenScreen&) = delete;
  ~OpenScreen() {
    if (device.preparsed) SimulatedHid().FreePreparsedData(device.preparsed);
    if (device.handle != INVALID_HANDLE_VALUE) SimulatedHid().Close(device.handle);
  }
};

inline std::unique_ptr<OpenScreen> AddOpenScreen(sim::TouchScreenConfig config = {}) {
  auto open = std::make_unique<OpenScreen>();
  SimulatedHidSystem& hid = SimulatedHid();
  open->screen = hid.Add(std::move(config));
  open->device.handle = hid.Open(open->screen->path(), true);
  EXPECT_NE(open->device.handle, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(hid.GetPreparsedData(open->device.handle, &open->device.preparsed));
  hid.GetCaps(open->device.preparsed, &open->device.caps);
  return open;
}

// A report as the touch screen records it: the bytes, zero padded to `length`.
inline Bytes Padded(const Bytes& bytes, std::size_t length) {
  Bytes out = bytes;
  out.resize(length, 0);
  return out;
}

inline Bytes BeginReport(std::size_t length = 100) {
  return Padded({0x31, 'R', 'b', 0x09, 0, 0, 0, 0, 0}, length);
}
inline Bytes FinishReport(std::size_t length = 100) {
  return Padded({0x31, 'R', 'c', 0, 0, 0, 0, 0, 0}, length);
}
inline Bytes Packet(char mark, const Bytes& chunk, std::size_t length = 100) {
  Bytes p{0x51, static_cast<std::uint8_t>(mark)};
  p.insert(p.end(), chunk.begin(), chunk.end());
  return Padded(p, length);
}

// The packets the console transfer sends for a block stream, in order.
inline std::vector<Bytes> ExpectedPackets(const Bytes& image, std::uint32_t length) {
  std::vector<Bytes> packets;
  ChunkCutter cutter(image, kImageStreamOffset, length);
  for (Chunk c; cutter.Next(c);) {
    const auto from = image.begin() + static_cast<std::ptrdiff_t>(c.offset);
    packets.push_back(Packet(static_cast<char>(c.mark), Bytes(from, from + static_cast<std::ptrdiff_t>(c.length))));
  }
  return packets;
}

inline std::vector<Bytes> ExpectedTransfer(const Bytes& image) {
  std::vector<Bytes> reports{BeginReport()};
  for (Bytes& p : ExpectedPackets(image, ReadStreamLength(image))) reports.push_back(std::move(p));
  reports.push_back(FinishReport());
  return reports;
}

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace update_test
