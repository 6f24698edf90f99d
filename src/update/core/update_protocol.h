#pragma once
// The reports of the console update transfer, byte for byte.
#include <array>
#include <cstdint>
#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t kCommandReportId = 0x31;   // "1"
inline constexpr std::uint8_t kFirmwareReportId = 0x51;  // "Q"

// Output report sizes of the console transfer.
inline constexpr std::size_t kCommandReportBytes = 9;
inline constexpr std::size_t kPacketReportBytes = 49;
inline constexpr std::size_t kAckReportBytes = 100;

// Begin: "1", "R", "b", 9, five zeros; then, 500 ms later, the feature report 2, 1.
inline constexpr std::array<std::uint8_t, kCommandReportBytes> kBeginReport{
    kCommandReportId, 'R', 'b', 0x09, 0, 0, 0, 0, 0};
inline constexpr std::array<std::uint8_t, 2> kBeginFeature{0x02, 0x01};
inline constexpr unsigned kBeginSettleMs = 500;

// Finish: "1", "R", "c", six zeros; then the feature report 2, 9.
inline constexpr std::array<std::uint8_t, kCommandReportBytes> kFinishReport{
    kCommandReportId, 'R', 'c', 0, 0, 0, 0, 0, 0};
inline constexpr std::array<std::uint8_t, 2> kFinishFeature{0x02, 0x09};

// Each chunk: up to this many attempts, each after a pause, each awaiting one acknowledgement.
inline constexpr int kPacketAttempts = 4;
inline constexpr unsigned kPacketPauseMs = 20;
// An acknowledgement not in within this time fails the attempt.
inline constexpr unsigned kAckTimeoutMs = 3000;
inline constexpr std::uint8_t kAckAccepted = 0x11;  // reply byte 1 of an accepted chunk

// The percentage shown before a chunk: block start against the stream length.
inline int ProgressPercent(std::uint32_t sent, std::uint32_t total) {
  return total == 0 ? 100 : static_cast<int>(std::uint64_t{sent} * 100 / total);
}
