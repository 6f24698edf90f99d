#pragma once
// The LED test of a touch frame, as far as it needs no Win32: collecting the payload of the
// "Zv" and "Zg" replies, decoding the two streams into a verdict for every LED, and the text
// report the diagnostics dialog shows and exports.
//
// "Zv" carries a header and one group of `step` bytes per LED whose first byte is the LED's
// signal level; "Zg" carries a header and one status byte per LED. LED k has status Zg[8 + k]
// and level Zv[9 + k * step]. The x LEDs are 0 .. x count - 1; the y LEDs are reported at
// x count + 1 .. x count + y count, so index x count belongs to neither row.
#include <cstdint>
#include <string>
#include <vector>

namespace led {

using Stream = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kDataReportId = 0x30;  // byte 0 of a data reply that carries payload
inline constexpr int kPayloadPerReport = 8;          // bytes 1 to 8 of each data reply

// Appends bytes 1 to 8 of a data reply of `length` bytes to `stream`, when its byte 0 is the
// data report id; any other reply adds nothing.
void AppendPayload(Stream& stream, const std::uint8_t* report, std::size_t length);

// What the "Zv" header says. `stepDivisor` is 1 once the step has been worked out.
struct LedSummary {
  std::int32_t xCount = 0;
  std::int32_t yCount = 0;
  std::int32_t step = 0;
  std::int32_t stepDivisor = 0;
  std::int32_t mark = 0;      // status byte of an LED the frame found weak
  std::int32_t minLevel = 0;  // a marked LED below this level is bad
};

struct BadLed {
  std::int32_t index;  // 0-based over all LEDs
  std::uint8_t level;
  bool operator==(const BadLed&) const = default;
};

struct LedTestResult {
  LedSummary summary;
  std::vector<BadLed> bad;  // in index order
  int xBad = 0;             // bad LEDs of the x row
  int yBad = 0;             // bad LEDs of the y row
  bool IsBad(std::int32_t index) const;
};

enum class DecodeStatus {
  Decoded,
  TooShort,        // a stream is shorter than its 8-byte header once trailing zeros are gone
  HeaderMismatch,  // the streams do not begin with "Zv" and "Zg"
  ZeroDivisor,     // the step byte's low nibble is 0
};

// Decodes the two streams as they arrived (trailing zero bytes are dropped first). `result`
// is filled only when the status is Decoded; every other status means no report.
DecodeStatus Decode(Stream levels, Stream statuses, LedTestResult& result);

// The touch screen as the report names it; negative parts show as 0.
struct ReportIdentity {
  std::int32_t number = 0;
  std::int32_t version[3] = {0, 0, 0};
  std::int8_t serial0 = 0;
  std::int8_t serial1 = 0;
  std::int32_t serial2 = 0;
};

// The report, one 8-bit line per list box line, in order.
std::vector<std::string> BuildReport(const ReportIdentity& identity, const LedTestResult& result);

}  // namespace led
