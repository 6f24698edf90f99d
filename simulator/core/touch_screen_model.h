#pragma once
// TouchScreenModel: what a simulated touch screen answers, without Win32.
//
// It takes the output and feature reports the host writes, records each one in order, and
// queues the input reports it answers with, each due at a given time (a reply delay or a late
// acknowledgement puts it in the future). Times are microseconds of the owner's clock, so an
// answer is due to the tenth of a millisecond; delays are configured in milliseconds. The Win32 side (simulator/simulated_touch_screen.h)
// hands due reports to pending overlapped reads. Not thread-safe: its owner locks.
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr int kReportLength = 100;
inline constexpr std::uint8_t kInputReportId = 0x30;  // byte 0 of every input report

// LED test data of "Zv" and "Zg", answered only when the echoed held reply came just before
// the command (split into data reports of eight payload bytes and an end-of-reply). LED k has status byte Zg[8 + k] and level Zv[9 + k * step];
// the x LEDs are 0 .. xCount - 1, the y LEDs xCount + 1 .. xCount + yCount.
struct LedTestConfig {
  std::uint8_t xCount = 40;
  std::uint8_t yCount = 30;
  std::uint8_t stepByte = 0x21;  // step = high nibble / low nibble
  std::uint8_t mark = 0x01;      // status byte of an LED the frame found weak
  std::uint8_t minLevel = 50;
  std::uint8_t goodLevel = 200;
  std::uint8_t badLevel = 10;
  std::uint8_t goodStatus = 0x0F;
  std::vector<int> badLeds;  // LED indexes reported with the mark and the bad level
  // When set, sent instead of the streams built from the fields above.
  std::optional<Bytes> zvStream;
  std::optional<Bytes> zgStream;
};

// How one firmware packet (report id 0x51) is acknowledged.
struct PacketAck {
  std::optional<std::uint8_t> byte1;  // byte 1 of the acknowledgement; default: FirmwareConfig
  std::uint32_t delayMs = 0;          // late acknowledgement
  bool silent = false;                // no acknowledgement at all
};

struct FirmwareConfig {
  std::uint8_t ackByte = 0x11;    // byte 1 of an acknowledgement: 0x11 accepted, 0x13/0x22 resend
  std::uint32_t ackDelayMs = 0;   // added to every acknowledgement
  bool acknowledgeBegin = false;  // answer "Rb" with one acknowledgement (the update dialog waits
                                  // for it; the console update reads none)
  bool silent = false;            // no packet is acknowledged
  std::map<int, PacketAck> packets;  // by packet number, 0 = the first 0x51 packet
};

struct TouchScreenConfig {
  // Identity, as enumeration and HidD_GetAttributes see it.
  std::uint16_t vendorId = 0x7E3A;
  std::uint16_t productId = 0x0001;
  std::uint16_t versionNumber = 0x0100;
  std::wstring pdoName;  // empty: one is made up from the device's number

  // Answers.
  std::array<std::uint8_t, 6> version{2, 0, 0, 15, 1, 0};  // "vv" bytes 3 to 8
  bool unversioned = false;  // "vv" answers with a blank in byte 3
  std::array<std::uint8_t, 6> serial{0x12, 0x34, 0x00, 0x01, 0xE2, 0x40};  // "vs" bytes 3 to 8
  std::uint8_t number = 0;  // "v1" answer, changed by "V1" n
  std::array<std::uint8_t, 4> session{0x5A, 0xC3, 0x11, 0x7E};  // "o" data reply bytes 3 to 6
  LedTestConfig leds;
  FirmwareConfig firmware;
  bool answerEcho = true;      // an echoed held reply gets an end-of-reply report
  bool answerEchoTwice = false;  // ... and a second one after it
  std::uint32_t echoDelayMs = 0;   // added to the echo's answer (a late echo)
  std::uint32_t echoJitterMs = 0;  // up to this much more, drawn for each echo
  bool numberWriteData = false;  // "V1" is answered with a data report before its end-of-reply
  bool answerUnknown = true;   // an unknown command gets an end-of-reply report with "N"

  // Faults.
  bool silent = false;             // answers nothing (touches still arrive)
  std::uint32_t replyDelayMs = 0;  // every answer is due this long after its request
  std::uint32_t replyJitterMs = 0; // up to this much more, drawn for each answer
  // Input reports the system keeps for the host while no read takes them; the oldest is dropped
  // when one more arrives (the HID class driver keeps 32 per open handle). 0: no bound.
  std::uint32_t inputBuffer = 0;
  std::uint32_t reportIntervalUs = 0;  // one input report per this long at most, as a USB
                                       // interrupt endpoint delivers them
  std::uint32_t lossPercent = 0;   // this share of the input reports is lost on the way
  std::uint32_t randomSeed = 1;    // of the draws above
  bool failWrites = false;         // HidD_SetOutputReport and HidD_SetFeature fail
  bool failOpen = false;           // CreateFileW of the device path fails
  bool failOverlappedOpen = false; // only the overlapped open fails
  bool failPreparsedData = false;
  bool failAttributes = false;
  std::uint32_t pdoNameError = 0;  // SPDRP_PHYSICAL_DEVICE_OBJECT_NAME fails with this code
  int removeAfterOutputReports = -1;  // unplugged right after the n-th output report (n >= 1)

  // Report lengths of the capabilities, report id included.
  std::uint16_t inputReportLength = kReportLength;
  std::uint16_t outputReportLength = kReportLength;
  std::uint16_t featureReportLength = 2;
  // Output reports shorter than the capabilities' length fail, as HidD_SetOutputReport does.
  bool strictReportLength = true;
};

// Microseconds of a delay given in milliseconds.
constexpr std::uint64_t Microseconds(std::uint64_t ms) { return ms * 1000; }

// One input report and the time (us, the owner's clock) from which it may be read.
struct QueuedReport {
  Bytes bytes;
  std::uint64_t dueUs = 0;
};

class TouchScreenModel {
public:
  explicit TouchScreenModel(TouchScreenConfig config = {});

  TouchScreenConfig& config() { return m_config; }
  const TouchScreenConfig& config() const { return m_config; }

  // An output report from the host: recorded, then answered. False when the report is
  // refused (failWrites, or shorter than the output report length); a refused report is not
  // recorded.
  bool ReceiveOutputReport(const std::uint8_t* data, std::size_t length, std::uint64_t nowUs);
  bool ReceiveFeatureReport(const std::uint8_t* data, std::size_t length, std::uint64_t nowUs);

  // A touch of the injected kind (0x84 lift-off by default) at raw x, y; queued only while
  // the touch stream is on. Returns whether it was queued.
  bool InjectTouch(std::uint16_t rawX, std::uint16_t rawY, std::uint64_t nowUs,
                   std::uint8_t event = 0x84);
  // Any input report, queued as it is (padded to the input report length).
  void InjectReport(const Bytes& report, std::uint64_t dueUs);

  // The oldest queued report that is due, taken out of the queue; *dueUs gets when it was due.
  std::optional<Bytes> TakeDue(std::uint64_t nowUs, std::uint64_t* dueUs = nullptr);
  // When the next queued report becomes due, if any is queued.
  std::optional<std::uint64_t> NextDue() const;
  std::size_t queued() const { return m_queue.size(); }
  // Reports dropped from a full input buffer, and reports lost on the way.
  std::uint64_t droppedReports() const { return m_nDropped; }
  std::uint64_t lostReports() const { return m_nLost; }

  bool streamOn() const { return m_bStreamOn; }
  bool firmwareBegun() const { return m_bFirmwareBegun; }
  bool firmwareFinished() const { return m_bFirmwareFinished; }
  int packetCount() const { return m_nPackets; }
  // The n-th output report has just arrived with removeAfterOutputReports = n.
  bool removalDue() const { return m_bRemovalDue; }

  const std::vector<Bytes>& outputReports() const { return m_output; }
  const std::vector<Bytes>& featureReports() const { return m_feature; }
  const std::vector<std::uint64_t>& outputTimes() const { return m_outputTimes; }  // when each arrived (us)
  void ClearRecords();

  // The answers, also used by tests to state what a reply must look like.
  Bytes OpenReply() const;
  static Bytes EndOfReply(std::uint8_t letter, std::uint8_t byte2);
  Bytes LedLevelStream() const;  // the whole "Zv" stream
  Bytes LedStatusStream() const; // the whole "Zg" stream
  static Bytes TouchReport(std::uint16_t rawX, std::uint16_t rawY, std::uint8_t event);

private:
  void Answer(const std::uint8_t* report, std::size_t length, std::uint64_t nowUs);
  // The parts of Answer, each true when the command was its own: the queries of number,
  // version and serial; the LED test; the switches (firmware begin and end, touch stream);
  // and for any other command the echo's end-of-reply or the unknown command's refusal.
  bool AnswerQuery(const std::uint8_t* report, std::size_t length, std::uint64_t due, bool answer);
  bool AnswerLedTest(const std::uint8_t* report, std::uint64_t due, bool answer);
  bool TakeSwitch(const std::uint8_t* report, std::uint64_t due, bool answer);
  void AnswerEchoOrUnknown(const std::uint8_t* report, std::size_t length, std::uint64_t due);
  void AnswerPacket(std::uint64_t nowUs);
  void Queue(Bytes bytes, std::uint64_t dueUs);
  void QueueStream(const Bytes& stream, std::uint8_t endByte2, std::uint64_t dueUs);
  bool IsEcho(const std::uint8_t* report, std::size_t length) const;
  Bytes Report(std::initializer_list<std::uint8_t> head) const;

  TouchScreenConfig m_config;
  std::deque<QueuedReport> m_queue;
  std::vector<Bytes> m_output;
  std::vector<std::uint64_t> m_outputTimes;
  std::vector<Bytes> m_feature;
  bool m_bStreamOn = false;
  bool m_bFirmwareBegun = false;
  bool m_bFirmwareFinished = false;
  bool m_bRemovalDue = false;
  bool m_bEchoed = false;  // the last command report was the echoed held reply
  int m_nPackets = 0;
  std::uint64_t m_nLastDueUs = 0;  // reports arrive in the order they were answered
  std::uint64_t m_nDropped = 0;
  std::uint64_t m_nLost = 0;
  std::uint32_t m_nRandom = 0;     // state of the draws (xorshift)
  std::uint32_t Draw(std::uint32_t bound);  // 0 .. bound - 1; 0 for a bound of 0
};

// A rough touch screen as a busy PC and a real frame give: replies up to 4 ms later, echoes often
// answered later than the echo delay, "V1" answered with data before its end, session bytes of its own
// (from `serial`) and the system's 32-report buffer. Draws follow `seed`.
void MakeRough(TouchScreenConfig& config, std::uint32_t seed, int serial);

}  // namespace sim
