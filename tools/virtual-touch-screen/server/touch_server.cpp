#include "touch_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <vector>

#include "device_nodes.h"

namespace vts {

namespace {

std::uint64_t NowUs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

// "1,2,0x0F": numbers in decimal or hexadecimal.
bool ParseList(const std::string& text, std::vector<unsigned>& values) {
  std::stringstream in(text);
  std::string item;
  values.clear();
  while (std::getline(in, item, ',')) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(item.c_str(), &end, 0);
    if (item.empty() || *end) return false;
    values.push_back(static_cast<unsigned>(v));
  }
  return !values.empty();
}

bool ParseNumber(const std::string& text, unsigned& value) {
  std::vector<unsigned> values;
  if (!ParseList(text, values) || values.size() != 1) return false;
  value = values[0];
  return true;
}

bool SixBytes(const std::string& text, std::array<std::uint8_t, 6>& bytes) {
  std::vector<unsigned> values;
  if (!ParseList(text, values) || values.size() != 6) return false;
  for (int i = 0; i < 6; ++i) {
    if (values[i] > 255) return false;
    bytes[i] = static_cast<std::uint8_t>(values[i]);
  }
  return true;
}

}  // namespace

TouchServer::TouchServer(std::wstring inf)
    : m_strInf(std::move(inf)),
      m_hWake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_hQuit(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  m_thread = std::thread([this] { Serve(); });
}

TouchServer::~TouchServer() {
  SetEvent(m_hQuit);
  m_thread.join();
  CloseHandle(m_hWake);
  CloseHandle(m_hQuit);
}

std::string TouchServer::Handle(const std::string& line, bool* stop) {
  std::stringstream in(line);
  std::string command;
  in >> command;
  std::string rest;
  std::getline(in, rest);
  std::stringstream args(rest);
  if (command == "ping") return "ok";
  if (command == "plug") return Plug(rest);
  if (command == "unplug") {
    unsigned slot;
    std::string s;
    if (!(args >> s) || !ParseNumber(s, slot)) return "error unplug needs a touch screen index";
    return Unplug(slot);
  }
  if (command == "touch") {
    std::string s, xs, ys;
    unsigned slot, x, y;
    if (!(args >> s >> xs >> ys) || !ParseNumber(s, slot) || !ParseNumber(xs, x) || !ParseNumber(ys, y) ||
        x > 0xFFFF || y > 0xFFFF)
      return "error touch needs INDEX X Y (raw coordinates 0 to 65535)";
    return Touch(slot, x, y);
  }
  if (command == "status") {
    std::string s;
    unsigned slot;
    if (!(args >> s) || !ParseNumber(s, slot)) return "error status needs a touch screen index";
    return Status(slot);
  }
  if (command == "transfer") {
    std::string s;
    unsigned slot;
    if (!(args >> s) || !ParseNumber(s, slot)) return "error transfer needs a touch screen index";
    return Transfer(slot);
  }
  if (command == "stop") {
    *stop = true;
    return RemoveAll();
  }
  return "error unknown command: " + command;
}

std::string TouchServer::Plug(const std::string& arguments) {
  PlugOptions options;
  const std::string error = ParsePlugOptions(arguments, options);
  if (!error.empty()) return error;
  std::string plugged;
  for (unsigned k = 0; k < options.count; ++k) {
    unsigned slot = VTS_MAX_SLOTS;
    if (!ReserveSlot(options, k, slot)) return "error all " + std::to_string(VTS_MAX_SLOTS) + " touch screens are plugged";
    const std::string added = AddTouchScreen(options.identity, slot);
    if (!added.empty()) return added;
    plugged += " " + std::to_string(slot);
  }
  return "ok" + plugged;
}

std::string TouchServer::ParsePlugOptions(const std::string& arguments, PlugOptions& options) {
  std::stringstream in(arguments);
  std::string word;
  sim::TouchScreenConfig& config = options.config;
  while (in >> word) {
    std::string value;
    if (word.rfind("--", 0) == 0 && !(in >> value)) return "error " + word + " needs a value";
    if (word == "--serial") {
      if (!SixBytes(value, config.serial)) return "error --serial takes six bytes, e.g. 18,52,0,1,226,64";
      options.serialGiven = true;
    } else if (word == "--version") {
      if (!SixBytes(value, config.version)) return "error --version takes six bytes, e.g. 2,0,0,15,1,0";
    } else if (word == "--number") {
      unsigned n;
      if (!ParseNumber(value, n) || n > 255) return "error --number takes 0 to 255";
      options.number = n;
    } else if (word == "--bad-leds") {
      std::vector<unsigned> leds;
      if (!ParseList(value, leds)) return "error --bad-leds takes LED indexes, e.g. 3,17";
      config.leds.badLeds.assign(leds.begin(), leds.end());
    } else if (word == "--ack-begin") {
      if (value != "on" && value != "off") return "error --ack-begin takes on or off";
      config.firmware.acknowledgeBegin = value == "on";
    } else if (word == "--vendor") {
      if (!ParseNumber(value, options.identity.vendorId) || options.identity.vendorId > 0xFFFF)
        return "error --vendor takes a 16-bit id";
    } else if (word == "--product") {
      if (!ParseNumber(value, options.identity.productId) || options.identity.productId > 0xFFFF)
        return "error --product takes a 16-bit id";
    } else if (word.rfind("--", 0) == 0) {
      return "error unknown option " + word;
    } else if (!ParseNumber(word, options.count) || options.count < 1 || options.count > VTS_MAX_SLOTS) {
      return "error COUNT must be 1 to " + std::to_string(VTS_MAX_SLOTS);
    }
  }
  return {};
}

bool TouchServer::ReserveSlot(const PlugOptions& options, unsigned k, unsigned& slot) {
  std::lock_guard<std::mutex> hold(m_mutex);
  for (unsigned s = 0; s < VTS_MAX_SLOTS && slot == VTS_MAX_SLOTS; ++s)
    if (!m_slots[s].model) slot = s;
  if (slot == VTS_MAX_SLOTS) return false;
  sim::TouchScreenConfig c = options.config;
  c.vendorId = static_cast<std::uint16_t>(options.identity.vendorId);
  c.productId = static_cast<std::uint16_t>(options.identity.productId);
  // Default identities differ by slot: number slot + 1, the serial's last byte.
  c.number = static_cast<std::uint8_t>(options.number ? *options.number + k : slot + 1);
  if (!options.serialGiven) c.serial[5] = static_cast<std::uint8_t>(c.serial[5] + slot);
  m_slots[slot].model.emplace(c);
  m_slots[slot].started = false;
  return true;
}

std::string TouchServer::AddTouchScreen(NodeIdentity identity, unsigned slot) {
  identity.slot = slot;
  std::wstring error;
  // An instance left by a server that did not stop goes first.
  RemoveNode(slot, error);
  WaitForInterface(slot, false, 5000);
  if (!AddNode(identity, m_strInf, error)) {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_slots[slot].model.reset();
    return "error plugging touch screen " + std::to_string(slot) + ": " + Narrow(error);
  }
  if (!WaitForInterface(slot, true, 15000)) {
    RemoveNode(slot, error);
    std::lock_guard<std::mutex> hold(m_mutex);
    m_slots[slot].model.reset();
    return "error touch screen " + std::to_string(slot) + " did not appear among the HID interfaces";
  }
  if (!OpenControl()) return "error the driver's control device \\\\.\\PelnixVirtualTouch cannot be opened";
  return {};
}

std::string TouchServer::Unplug(unsigned slot) {
  {
    std::lock_guard<std::mutex> hold(m_mutex);
    if (slot >= VTS_MAX_SLOTS || !m_slots[slot].model) return "error no touch screen " + std::to_string(slot);
  }
  std::wstring error;
  if (!RemoveNode(slot, error)) return "error unplugging touch screen " + std::to_string(slot) + ": " + Narrow(error);
  if (!WaitForInterface(slot, false, 15000))
    return "error touch screen " + std::to_string(slot) + " is still among the HID interfaces";
  std::lock_guard<std::mutex> hold(m_mutex);
  m_slots[slot].model.reset();
  return "ok";
}

std::string TouchServer::RemoveAll() {
  std::string failed;
  std::vector<unsigned> nodes = ExistingNodes();
  for (unsigned s = 0; s < VTS_MAX_SLOTS; ++s) {
    std::lock_guard<std::mutex> hold(m_mutex);
    if (m_slots[s].model) nodes.push_back(s);
  }
  for (unsigned slot : nodes) {
    std::wstring error;
    if (!RemoveNode(slot, error) || !WaitForInterface(slot, false, 15000)) failed += " " + std::to_string(slot);
    std::lock_guard<std::mutex> hold(m_mutex);
    if (slot < VTS_MAX_SLOTS) m_slots[slot].model.reset();
  }
  return failed.empty() ? "ok" : "error touch screens still listed:" + failed;
}

std::string TouchServer::Touch(unsigned slot, unsigned x, unsigned y) {
  {
    std::lock_guard<std::mutex> hold(m_mutex);
    if (slot >= VTS_MAX_SLOTS || !m_slots[slot].model) return "error no touch screen " + std::to_string(slot);
    sim::TouchScreenModel& model = *m_slots[slot].model;
    const std::uint64_t now = NowUs();
    // A press, then the lift-off the program acts on.
    if (!model.InjectTouch(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), now, 0x81) ||
        !model.InjectTouch(static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), now))
      return "error touch screen " + std::to_string(slot) + " is not streaming touches";
  }
  SetEvent(m_hWake);
  return "ok";
}

std::string TouchServer::Status(unsigned slot) {
  std::lock_guard<std::mutex> hold(m_mutex);
  if (slot >= VTS_MAX_SLOTS || !m_slots[slot].model) return "error no touch screen " + std::to_string(slot);
  const sim::TouchScreenModel& m = *m_slots[slot].model;
  return "ok started=" + std::to_string(m_slots[slot].started) + " outputs=" + std::to_string(m.outputReports().size()) +
         " features=" + std::to_string(m.featureReports().size()) + " packets=" + std::to_string(m.packetCount()) +
         " begun=" + std::to_string(m.firmwareBegun()) + " finished=" + std::to_string(m.firmwareFinished()) +
         " stream=" + std::to_string(m.streamOn()) + " number=" + std::to_string(m.config().number);
}

std::string TouchServer::Transfer(unsigned slot) {
  std::lock_guard<std::mutex> hold(m_mutex);
  if (slot >= VTS_MAX_SLOTS || !m_slots[slot].model) return "error no touch screen " + std::to_string(slot);
  const sim::TouchScreenModel& m = *m_slots[slot].model;
  const auto& reports = m.outputReports();
  const auto& times = m.outputTimes();
  // The last firmware transfer: its "Rb" begin report to the "Rc" finish report after it.
  constexpr std::size_t kNone = ~std::size_t{0};
  std::size_t begin = kNone, finish = kNone;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const sim::Bytes& r = reports[i];
    if (r.size() < 3 || r[0] != 0x31 || r[1] != 'R') continue;
    if (r[2] == 'b') begin = i, finish = kNone;
    if (r[2] == 'c' && begin != kNone) finish = i;
  }
  if (finish == kNone) return "error touch screen " + std::to_string(slot) + " has seen no complete firmware transfer";
  char text[96];
  std::snprintf(text, sizeof(text), "ok ms=%.1f packets=%zu", (times[finish] - times[begin]) / 1000.0,
                finish - begin - 1);
  return text;
}

bool TouchServer::OpenControl() {
  // The serving thread owns the handles: it opens them when asked (the driver may have been
  // unloaded with its last touch screen, taking the old control device with it).
  m_bReopen = true;
  SetEvent(m_hWake);
  for (int i = 0; i < 100 && m_bReopen; ++i) Sleep(20);
  return !m_bReopen && m_bControlOpen;
}

void TouchServer::CloseControl() {
  if (m_hEvents != INVALID_HANDLE_VALUE) CloseHandle(m_hEvents);
  if (m_hInput != INVALID_HANDLE_VALUE) CloseHandle(m_hInput);
  m_hEvents = m_hInput = INVALID_HANDLE_VALUE;
  m_bControlOpen = false;
}

void TouchServer::ReopenControl() {
  CloseControl();
  const wchar_t* path = L"\\\\.\\" VTS_CONTROL_NAME;
  m_hEvents = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  m_hInput = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (m_hEvents == INVALID_HANDLE_VALUE || m_hInput == INVALID_HANDLE_VALUE) CloseControl();
  else m_bControlOpen = true;
}

void TouchServer::OnEvent(const VTS_EVENT& event, std::uint64_t nowUs) {
  std::lock_guard<std::mutex> hold(m_mutex);
  if (event.slot >= VTS_MAX_SLOTS || !m_slots[event.slot].model) return;
  Slot& slot = m_slots[event.slot];
  const std::size_t length = event.length < VTS_MAX_REPORT ? event.length : VTS_MAX_REPORT;
  switch (event.kind) {
    case VTS_EVENT_OUTPUT: slot.model->ReceiveOutputReport(event.data, length, nowUs); break;
    case VTS_EVENT_FEATURE: slot.model->ReceiveFeatureReport(event.data, length, nowUs); break;
    case VTS_EVENT_STARTED: slot.started = true; break;
    case VTS_EVENT_REMOVED: slot.started = false; break;
  }
}

void TouchServer::Deliver(std::uint64_t nowUs) {
  std::vector<VTS_INPUT> due;
  {
    std::lock_guard<std::mutex> hold(m_mutex);
    for (unsigned s = 0; s < VTS_MAX_SLOTS; ++s) {
      if (!m_slots[s].model) continue;
      while (auto report = m_slots[s].model->TakeDue(nowUs)) {
        VTS_INPUT in{};
        in.slot = s;
        in.length = static_cast<unsigned>(std::min<std::size_t>(report->size(), VTS_MAX_REPORT));
        std::copy_n(report->begin(), in.length, in.data);
        due.push_back(in);
      }
    }
  }
  for (VTS_INPUT& in : due) {
    DWORD returned = 0;
    DeviceIoControl(m_hInput, VTS_IOCTL_INPUT, &in, sizeof(in), nullptr, 0, &returned, nullptr);
  }
}

void TouchServer::Serve() {
  VTS_EVENT event{};
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool pending = false;
  for (;;) {
    if (m_bReopen) {
      if (pending) {
        CancelIoEx(m_hEvents, &overlapped);
        DWORD returned = 0;
        GetOverlappedResult(m_hEvents, &overlapped, &returned, TRUE);
        pending = false;
      }
      ReopenControl();
      m_bReopen = false;
    }
    if (!pending && m_hEvents != INVALID_HANDLE_VALUE) {
      ResetEvent(overlapped.hEvent);
      DWORD returned = 0;
      if (DeviceIoControl(m_hEvents, VTS_IOCTL_NEXT_EVENT, nullptr, 0, &event, sizeof(event), &returned, &overlapped)) {
        OnEvent(event, NowUs());
        continue;
      }
      if (GetLastError() == ERROR_IO_PENDING) pending = true;
      else CloseControl();  // the control device is gone until the next plug reopens it
    }
    if (m_hInput != INVALID_HANDLE_VALUE) Deliver(NowUs());
    DWORD waitMs = 100;
    {
      std::lock_guard<std::mutex> hold(m_mutex);
      const std::uint64_t now = NowUs();
      for (const Slot& s : m_slots) {
        if (!s.model) continue;
        if (auto next = s.model->NextDue()) {
          const std::uint64_t ms = *next > now ? (*next - now + 999) / 1000 : 0;
          waitMs = std::min<DWORD>(waitMs, static_cast<DWORD>(ms));
        }
      }
    }
    HANDLE handles[3] = {m_hQuit, m_hWake, overlapped.hEvent};
    const DWORD woke = WaitForMultipleObjects(pending ? 3 : 2, handles, FALSE, waitMs);
    if (woke == WAIT_OBJECT_0) break;
    if (pending && woke == WAIT_OBJECT_0 + 2) {
      DWORD returned = 0;
      pending = false;
      if (GetOverlappedResult(m_hEvents, &overlapped, &returned, FALSE)) OnEvent(event, NowUs());
      else CloseControl();  // the driver ended the request: its control device is going away
    }
  }
  if (pending) {
    CancelIoEx(m_hEvents, &overlapped);
    DWORD returned = 0;
    GetOverlappedResult(m_hEvents, &overlapped, &returned, TRUE);
  }
  CloseControl();
  CloseHandle(overlapped.hEvent);
}

}  // namespace vts
