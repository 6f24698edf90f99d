#pragma once
// The report protocol with the touch screens, as far as it needs no Win32: report framing,
// the command table, the end-of-reply test, the touch-stream filter, the hardware version
// arithmetic and what a worker does with each reply it reads.
#include <array>
#include <cstdint>
#include <optional>

#include "device/core/device_report.h"

namespace protocol {

inline constexpr std::uint8_t kCommandReportId = 0x31;   // "1": commands
inline constexpr std::uint8_t kFirmwareReportId = 0x51;  // "Q": firmware image data
inline constexpr std::uint8_t kLiftOff = 0x84;           // byte 2 of a touch report: finger lifted

// Command codes: report byte 1 x 256 + byte 2.
inline constexpr std::uint16_t kOpen = 0x6F00;          // "o", 0
inline constexpr std::uint16_t kVersion = 0x7676;       // "vv"
inline constexpr std::uint16_t kSerial = 0x7673;        // "vs"
inline constexpr std::uint16_t kNumberRead = 0x7631;    // "v1"
inline constexpr std::uint16_t kNumberWrite = 0x5631;   // "V1", byte 3 the number
inline constexpr std::uint16_t kLedLevels = 0x5A76;     // "Zv"
inline constexpr std::uint16_t kLedStatus = 0x5A67;     // "Zg"
inline constexpr std::uint16_t kUpdateBegin = 0x5262;   // "Rb"
inline constexpr std::uint16_t kUpdateFinish = 0x5263;  // "Rc"
inline constexpr std::uint16_t kStreamOn = 0xAA50;      // 0xAA, "P"
inline constexpr std::uint16_t kStreamOff = 0xAA55;     // 0xAA, "U"

// The hardware version parts are high byte x 324 + low byte (324, not 256).
inline constexpr std::int32_t kVersionRadix = 324;

enum class StreamEffect { None, TurnOn, TurnOff };

// One row of the command table.
struct CommandRule {
  std::uint16_t code;
  std::uint32_t replyMessage;  // 0: replies are read but go to no window
  bool echo;                   // the held reply goes out first; the command waits kEchoDelayMs
  bool reads;                  // the worker reads replies after sending
};

inline std::uint16_t CommandCode(const std::uint8_t* report) {
  return static_cast<std::uint16_t>(report[1] << 8 | report[2]);
}

// The row of a code; codes outside the table read replies and have no reply message.
CommandRule LookupCommand(std::uint16_t code);

// What the device thread decides when it dispatches one request.
struct Dispatch {
  std::uint32_t replyMessage;
  bool echo;
  StreamEffect stream;
};
// Firmware data (byte 0 = 0x51) always answers with UM_REPLY_UPDATE and leaves the stream
// alone; echo and reading still follow bytes 1 and 2.
Dispatch DispatchFor(const std::uint8_t* report);

// Bytes 1 to 8: a letter "A" to "N", any byte, "000", three zero bytes.
bool IsEndOfReply(const std::uint8_t* report);

// While the touch stream is on, only lift-off reports reach a window.
inline bool PassesStreamFilter(bool streamOn, const std::uint8_t* reply) {
  return !streamOn || reply[2] == kLiftOff;
}

// The three version parts of a "V", "v" reply whose byte 3 is not a blank; none otherwise.
std::optional<std::array<std::int32_t, 3>> DecodeHardwareVersion(const std::uint8_t* reply);

// The touch screen number a reply to "v1" carries: byte 3 of a "V", "1" reply unless it is a
// blank or 0xFF, else 0. None for an end-of-reply report, which carries no number.
std::optional<std::int32_t> TouchScreenNumberFromReply(const std::uint8_t* reply);

// What a report worker does with one reply it has read.
enum class ReplyAction {
  Post,          // hand it to the request's window with the reply message
  Release,       // free it
  SignalAck,     // acknowledge mode: an end-of-reply report; signal the waiter
  Hold,          // acknowledge mode: an "o" data reply becomes the held reply
  StoreVersion,  // acknowledge mode: store the hardware version, then free it
};

struct ReplyDecision {
  ReplyAction action;
  bool endsWorker;  // the exchange is over after this reply
};

struct ReplyContext {
  std::uint16_t code;          // the request's command code
  std::uint32_t replyMessage;  // the request's reply message
  bool hasWindow;              // the request names a reply window
  bool ackMode;
  bool streamOn;
  bool echo;  // the request is an echoed held reply, not a window's command
  bool firmwareData = false;  // the request is a firmware packet (report id 0x51)
};

// The decision for one reply. An echoed held reply never signals the acknowledge event:
// only a command's own end of reply ends the synchronous wait for that command. A firmware
// packet and the update's begin request ("Rb") are each answered by one acknowledgement, which
// is no end-of-reply report: their workers end after that one reply, or every packet of an
// image would leave a reader behind, and the begin request's reader would take the
// acknowledgements meant for the packets' readers.
ReplyDecision DecideReply(const ReplyContext& context, const std::uint8_t* reply);

// The echoed held reply: the data reply as the device sent it, with report id 0x31.
void MakeEchoReport(const std::uint8_t* heldReply, std::uint8_t* out);

}  // namespace protocol
