#pragma once
// The server of the virtual touch screens: one sim::TouchScreenModel per slot answers the
// output and feature reports the driver hands over, and its input reports go back to the
// driver when they fall due. Commands arrive on a named pipe, one line each (command_line.h).
#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "device_nodes.h"
#include "simulator/core/touch_screen_model.h"
#include "vts_control.h"

namespace vts {

class TouchServer {
public:
  explicit TouchServer(std::wstring inf);
  ~TouchServer();
  TouchServer(const TouchServer&) = delete;
  TouchServer& operator=(const TouchServer&) = delete;

  // Answers one command line with one line: "ok ..." or "error ...". *stop is set by "stop".
  std::string Handle(const std::string& line, bool* stop);
  // Every touch screen removed.
  std::string RemoveAll();

private:
  struct Slot {
    std::optional<sim::TouchScreenModel> model;
    bool started = false;  // the HID class driver started it
  };

  // What "plug" asks for: how many, and the configuration and identity each starts from.
  struct PlugOptions {
    unsigned count = 1;
    sim::TouchScreenConfig config;
    NodeIdentity identity;
    std::optional<unsigned> number;
    bool serialGiven = false;
  };

  std::string Plug(const std::string& arguments);
  // The steps of Plug: its options read ("" or the error line); the first free slot given the
  // k-th touch screen's model (false when every slot is taken); its device node added and its
  // HID interface awaited ("" or the error line, the slot freed again).
  static std::string ParsePlugOptions(const std::string& arguments, PlugOptions& options);
  bool ReserveSlot(const PlugOptions& options, unsigned k, unsigned& slot);
  std::string AddTouchScreen(NodeIdentity identity, unsigned slot);
  std::string Unplug(unsigned slot);
  std::string Touch(unsigned slot, unsigned x, unsigned y);
  std::string Status(unsigned slot);
  std::string Transfer(unsigned slot);  // the last firmware transfer as the device saw it  // what the model has seen, as name=value pairs
  bool OpenControl();
  void ReopenControl();  // serving thread only
  void CloseControl();   // serving thread only
  void Serve();  // the driver's events and the due input reports, on its own thread
  void Deliver(std::uint64_t nowUs);
  void OnEvent(const VTS_EVENT& event, std::uint64_t nowUs);

  const std::wstring m_strInf;
  std::mutex m_mutex;  // guards m_slots
  std::array<Slot, VTS_MAX_SLOTS> m_slots;
  // The control device, owned by the serving thread.
  HANDLE m_hEvents = INVALID_HANDLE_VALUE;  // overlapped: the pending NEXT_EVENT request
  HANDLE m_hInput = INVALID_HANDLE_VALUE;   // synchronous: input reports
  std::atomic<bool> m_bReopen{false};       // asked by a plug, done by the serving thread
  std::atomic<bool> m_bControlOpen{false};
  HANDLE m_hWake = nullptr;                 // wakes the serving thread (a touch, a new control handle)
  HANDLE m_hQuit = nullptr;
  std::thread m_thread;
};

}  // namespace vts
