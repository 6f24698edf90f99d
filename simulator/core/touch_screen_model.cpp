#include "simulator/core/touch_screen_model.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sim {

namespace {
constexpr std::uint8_t kCommandId = 0x31;
constexpr std::uint8_t kFirmwareId = 0x51;
constexpr int kStreamBytesPerReport = 8;  // bytes 1 to 8 of each data report

std::uint16_t Code(const std::uint8_t* r) { return static_cast<std::uint16_t>(r[1] << 8 | r[2]); }
}  // namespace

TouchScreenModel::TouchScreenModel(TouchScreenConfig config)
    : m_config(std::move(config)), m_nRandom(m_config.randomSeed ? m_config.randomSeed : 1) {}

std::uint32_t TouchScreenModel::Draw(std::uint32_t bound) {
  if (bound == 0) return 0;
  m_nRandom ^= m_nRandom << 13;
  m_nRandom ^= m_nRandom >> 17;
  m_nRandom ^= m_nRandom << 5;
  return m_nRandom % bound;
}

void MakeRough(TouchScreenConfig& config, std::uint32_t seed, int serial) {
  config.replyJitterMs = 5;
  config.echoDelayMs = 20;
  config.echoJitterMs = 160;  // 20 to 179 ms: often past the command's echo delay
  config.numberWriteData = true;
  config.session = {0x5A, 0xC3, static_cast<std::uint8_t>(0x11 + serial),
                    static_cast<std::uint8_t>(0x7E ^ (serial * 37))};
  config.inputBuffer = 32;
  config.reportIntervalUs = 1000;
  config.randomSeed = seed * 2654435761u + static_cast<std::uint32_t>(serial) + 1;
}

bool TouchScreenModel::ReceiveOutputReport(const std::uint8_t* data, std::size_t length,
                                           std::uint64_t nowUs) {
  if (m_config.failWrites || length == 0) return false;
  if (m_config.strictReportLength && length < m_config.outputReportLength) return false;
  m_output.emplace_back(data, data + length);
  m_outputTimes.push_back(nowUs);
  if (m_config.removeAfterOutputReports > 0 &&
      static_cast<int>(m_output.size()) == m_config.removeAfterOutputReports) {
    m_bRemovalDue = true;
    return true;
  }
  Answer(data, length, nowUs);
  return true;
}

bool TouchScreenModel::ReceiveFeatureReport(const std::uint8_t* data, std::size_t length,
                                            std::uint64_t) {
  if (m_config.failWrites || length == 0) return false;
  if (m_config.strictReportLength && length < m_config.featureReportLength) return false;
  m_feature.emplace_back(data, data + length);
  return true;
}

void TouchScreenModel::Answer(const std::uint8_t* r, std::size_t length, std::uint64_t nowUs) {
  if (length < 3) return;
  const std::uint64_t due =
      nowUs + Microseconds(m_config.replyDelayMs) + Microseconds(Draw(m_config.replyJitterMs));
  if (r[0] == kFirmwareId) {
    AnswerPacket(nowUs);
    return;
  }
  if (r[0] != kCommandId) return;
  const bool answer = !m_config.silent;
  // The LED test is answered only right after the held reply came back, as the frame expects.
  const bool afterEcho = std::exchange(m_bEchoed, false);
  if (AnswerQuery(r, length, due, answer)) return;
  if (AnswerLedTest(r, due, answer && afterEcho)) return;
  if (TakeSwitch(r, due, answer)) return;
  if (answer) AnswerEchoOrUnknown(r, length, due);
}

bool TouchScreenModel::AnswerQuery(const std::uint8_t* r, std::size_t length, std::uint64_t due, bool answer) {
  switch (Code(r)) {
    case 0x6F00:  // "o"
      if (answer) {
        Queue(OpenReply(), due);
        Queue(EndOfReply('A', r[1]), due);
      }
      return true;
    case 0x7676: {  // "vv"
      const auto& v = m_config.version;
      Bytes reply = m_config.unversioned ? Report({kInputReportId, 'V', 'v', 0x20})
                                        : Report({kInputReportId, 'V', 'v', v[0], v[1], v[2], v[3], v[4], v[5]});
      if (answer) {
        Queue(std::move(reply), due);
        Queue(EndOfReply('A', r[2]), due);
      }
      return true;
    }
    case 0x7673: {  // "vs"
      const auto& s = m_config.serial;
      if (answer) {
        Queue(Report({kInputReportId, 'V', 's', s[0], s[1], s[2], s[3], s[4], s[5]}), due);
        Queue(EndOfReply('A', r[2]), due);
      }
      return true;
    }
    case 0x7631:  // "v1"
      if (answer) {
        Queue(Report({kInputReportId, 'V', '1', m_config.number}), due);
        Queue(EndOfReply('A', r[2]), due);
      }
      return true;
    case 0x5631:  // "V1" n
      m_config.number = length > 3 ? r[3] : 0;
      if (answer && m_config.numberWriteData) Queue(Report({kInputReportId, 'V', '1', m_config.number}), due);
      if (answer) Queue(EndOfReply('A', r[2]), due);
      return true;
    default:
      return false;
  }
}

bool TouchScreenModel::AnswerLedTest(const std::uint8_t* r, std::uint64_t due, bool answer) {
  switch (Code(r)) {
    case 0x5A76:  // "Zv"
      if (answer) QueueStream(LedLevelStream(), r[2], due);
      return true;
    case 0x5A67:  // "Zg"
      if (answer) QueueStream(LedStatusStream(), r[2], due);
      return true;
    default:
      return false;
  }
}

bool TouchScreenModel::TakeSwitch(const std::uint8_t* r, std::uint64_t due, bool answer) {
  switch (Code(r)) {
    case 0x5262:  // "Rb"
      m_bFirmwareBegun = true;
      m_bFirmwareFinished = false;
      if (m_config.firmware.acknowledgeBegin && !m_config.firmware.silent && answer) {
        Queue(Report({kInputReportId, m_config.firmware.ackByte}), due + Microseconds(m_config.firmware.ackDelayMs));
      }
      return true;
    case 0x5263:  // "Rc"
      m_bFirmwareFinished = true;
      return true;
    case 0xAA50:
      m_bStreamOn = true;
      return true;
    case 0xAA55:
      m_bStreamOn = false;
      return true;
    default:
      return false;
  }
}

void TouchScreenModel::AnswerEchoOrUnknown(const std::uint8_t* r, std::size_t length, std::uint64_t due) {
  if (IsEcho(r, length)) {
    m_bEchoed = true;
    const std::uint64_t echoDue =
        due + Microseconds(m_config.echoDelayMs) + Microseconds(Draw(m_config.echoJitterMs));
    if (m_config.answerEcho) Queue(EndOfReply('A', r[2]), echoDue);
    if (m_config.answerEcho && m_config.answerEchoTwice) Queue(EndOfReply('A', r[2]), echoDue);
  } else if (m_config.answerUnknown) {
    Queue(EndOfReply('N', r[2]), due);
  }
}

void TouchScreenModel::AnswerPacket(std::uint64_t nowUs) {
  const int number = m_nPackets++;
  const FirmwareConfig& fw = m_config.firmware;
  PacketAck ack;
  if (auto it = fw.packets.find(number); it != fw.packets.end()) ack = it->second;
  if (m_config.silent || fw.silent || ack.silent) return;
  const std::uint8_t byte1 = ack.byte1.value_or(fw.ackByte);
  Queue(Report({kInputReportId, byte1}),
        nowUs + Microseconds(std::uint64_t{m_config.replyDelayMs} + fw.ackDelayMs + ack.delayMs));
}

bool TouchScreenModel::IsEcho(const std::uint8_t* r, std::size_t length) const {
  const Bytes open = OpenReply();
  const std::size_t n = std::min<std::size_t>(length, open.size());
  return n > 3 && std::memcmp(r + 1, open.data() + 1, n - 1) == 0;
}

bool TouchScreenModel::InjectTouch(std::uint16_t rawX, std::uint16_t rawY, std::uint64_t nowUs,
                                   std::uint8_t event) {
  if (!m_bStreamOn) return false;
  Queue(TouchReport(rawX, rawY, event), nowUs);
  return true;
}

void TouchScreenModel::InjectReport(const Bytes& report, std::uint64_t dueUs) {
  Bytes bytes = report;
  if (bytes.size() < m_config.inputReportLength) bytes.resize(m_config.inputReportLength, 0);
  // Due when the test says, whatever was answered before it.
  m_queue.push_back(QueuedReport{std::move(bytes), dueUs});
}

std::optional<Bytes> TouchScreenModel::TakeDue(std::uint64_t nowUs, std::uint64_t* dueUs) {
  // A bounded input buffer keeps only the newest reports that arrived and were not read.
  if (m_config.inputBuffer > 0) {
    std::size_t due = 0;
    for (const QueuedReport& q : m_queue) due += q.dueUs <= nowUs;
    for (auto it = m_queue.begin(); due > m_config.inputBuffer && it != m_queue.end();) {
      if (it->dueUs <= nowUs) {
        it = m_queue.erase(it);
        --due;
        ++m_nDropped;
      } else {
        ++it;
      }
    }
  }
  // The earliest due report; among equally due ones, the first queued.
  auto best = m_queue.end();
  for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
    if (it->dueUs <= nowUs && (best == m_queue.end() || it->dueUs < best->dueUs)) best = it;
  }
  if (best == m_queue.end()) return std::nullopt;
  if (dueUs) *dueUs = best->dueUs;
  Bytes bytes = std::move(best->bytes);
  m_queue.erase(best);
  return bytes;
}

std::optional<std::uint64_t> TouchScreenModel::NextDue() const {
  std::optional<std::uint64_t> next;
  for (const QueuedReport& q : m_queue) {
    if (!next || q.dueUs < *next) next = q.dueUs;
  }
  return next;
}

void TouchScreenModel::ClearRecords() {
  m_output.clear();
  m_outputTimes.clear();
  m_feature.clear();
}

namespace {
// A report of `length` bytes that begins with `head` and is zero after it.
Bytes Padded(std::initializer_list<std::uint8_t> head, std::size_t length) {
  Bytes bytes(std::max(length, head.size()), 0);
  std::copy(head.begin(), head.end(), bytes.begin());
  return bytes;
}
}  // namespace

Bytes TouchScreenModel::Report(std::initializer_list<std::uint8_t> head) const {
  return Padded(head, m_config.inputReportLength);
}

Bytes TouchScreenModel::OpenReply() const {
  const auto& s = m_config.session;
  return Report({kInputReportId, 'O', 'K', s[0], s[1], s[2], s[3]});
}

Bytes TouchScreenModel::EndOfReply(std::uint8_t letter, std::uint8_t byte2) {
  return Padded({kInputReportId, letter, byte2, '0', '0', '0', 0, 0, 0}, kReportLength);
}

Bytes TouchScreenModel::TouchReport(std::uint16_t rawX, std::uint16_t rawY, std::uint8_t event) {
  return Padded({kInputReportId, 0xAA, event, static_cast<std::uint8_t>(rawX & 0xFF),
                 static_cast<std::uint8_t>(rawX >> 8), static_cast<std::uint8_t>(rawY & 0xFF),
                 static_cast<std::uint8_t>(rawY >> 8)},
                kReportLength);
}

Bytes TouchScreenModel::LedLevelStream() const {
  const LedTestConfig& l = m_config.leds;
  if (l.zvStream) return *l.zvStream;
  const int leds = l.xCount + 1 + l.yCount;  // index xCount is reported by neither axis
  const int low = l.stepByte & 0x0F;
  const int step = low ? (l.stepByte >> 4) / low : 1;
  Bytes zv(9 + static_cast<std::size_t>(leds) * std::max(step, 1), 0x01);
  const std::uint8_t head[] = {'Z', 'v', l.xCount, l.yCount, l.stepByte, l.mark, l.minLevel, 0, 0};
  std::copy(std::begin(head), std::end(head), zv.begin());
  for (int k = 0; k < leds; ++k) {
    const bool bad = std::find(l.badLeds.begin(), l.badLeds.end(), k) != l.badLeds.end();
    zv[9 + static_cast<std::size_t>(k) * std::max(step, 1)] = bad ? l.badLevel : l.goodLevel;
  }
  return zv;
}

Bytes TouchScreenModel::LedStatusStream() const {
  const LedTestConfig& l = m_config.leds;
  if (l.zgStream) return *l.zgStream;
  const int leds = l.xCount + 1 + l.yCount;
  Bytes zg{'Z', 'g', l.xCount, l.yCount, 0, 0, 0, 0};
  for (int k = 0; k < leds; ++k) {
    const bool bad = std::find(l.badLeds.begin(), l.badLeds.end(), k) != l.badLeds.end();
    zg.push_back(bad ? l.mark : l.goodStatus);
  }
  return zg;
}

void TouchScreenModel::QueueStream(const Bytes& stream, std::uint8_t endByte2, std::uint64_t due) {
  for (std::size_t at = 0; at < stream.size(); at += kStreamBytesPerReport) {
    Bytes report(m_config.inputReportLength, 0);
    report[0] = kInputReportId;
    const std::size_t n = std::min<std::size_t>(kStreamBytesPerReport, stream.size() - at);
    std::copy_n(stream.begin() + static_cast<std::ptrdiff_t>(at), n, report.begin() + 1);
    Queue(std::move(report), due);
  }
  Queue(EndOfReply('A', endByte2), due);
}

void TouchScreenModel::Queue(Bytes bytes, std::uint64_t dueUs) {
  if (m_config.lossPercent && Draw(100) < m_config.lossPercent) {
    ++m_nLost;
    return;
  }
  // A device sends its reports one after the other: none overtakes one answered before it.
  if (m_nLastDueUs) dueUs = std::max(dueUs, m_nLastDueUs + m_config.reportIntervalUs);
  m_nLastDueUs = dueUs;
  m_queue.push_back(QueuedReport{std::move(bytes), dueUs});
}

}  // namespace sim
