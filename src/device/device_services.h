#pragma once
// DeviceServices: what a process has to talk to its touch screens, made once by start-up (a
// test makes its own) and handed to every window and console command that needs it.
//
// It holds the HID system and monitors it was given, the list of the touch screens found on
// them, the protocol's shared state, the acknowledge event, the reply windows, the exchange
// lanes and the threads they run on, the device client the windows post through, and the
// device thread once started. Nothing of it is reached through a global: whoever talks to a
// touch screen was given the services.
#include <windows.h>

#include <memory>

#include "base/scoped_handle.h"
#include "device/core/exchange_lanes.h"
#include "device/core/protocol_state.h"
#include "device/core/thread_pool.h"
#include "device/device_client.h"
#include "device/hid_system.h"
#include "device/monitor_system.h"
#include "device/reply_windows.h"
#include "device/touch_screen_list.h"

class CDeviceThread;

class DeviceServices {
public:
  // Enumerates the touch screens of `hid` and the monitors of `monitors`, which outlive the
  // services. The device thread does not run yet.
  DeviceServices(HidSystem& hid, MonitorSystem& monitors);
  // Stops the device thread when it runs, marks every touch screen gone and waits for the
  // exchanges to end. The program never destroys its services: its device thread and exchanges
  // run until the process ends.
  ~DeviceServices();
  DeviceServices(const DeviceServices&) = delete;
  DeviceServices& operator=(const DeviceServices&) = delete;

  HidSystem& hid() { return m_hid; }
  MonitorSystem& monitors() { return m_monitors; }
  TouchScreenList& list() { return m_list; }
  DeviceClient& client() { return m_client; }
  ExchangeLanes& lanes() { return m_lanes; }
  ReplyWindows& replyWindows() { return m_replyWindows; }
  ThreadPool& threads() { return m_threads; }

  // Creates the device thread suspended, publishes its id to the client (so that a window may
  // post to it from then on) and resumes it. False when the system cannot create it.
  bool StartDeviceThread();
  // Ends the device thread's message loop and waits for it; false when it did not end in time.
  bool StopDeviceThread(DWORD timeoutMs);
  CDeviceThread* deviceThread() const { return m_pDeviceThread.get(); }

private:
  // They go last to first: the device thread ends, the touch screens are marked gone (so their
  // exchanges end at once), the threads finish their exchanges, then the rest.
  HidSystem& m_hid;
  MonitorSystem& m_monitors;
  ProtocolState m_protocol;
  ScopedHandle m_hAckEvent;  // manual reset; null when it could not be made (the update's query fails)
  ReplyWindows m_replyWindows;
  ExchangeLanes m_lanes;
  ThreadPool m_threads;
  TouchScreenList m_list;
  DeviceClient m_client;
  std::unique_ptr<CDeviceThread> m_pDeviceThread;
};
