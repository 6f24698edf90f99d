#pragma once
// Root device instances of the virtual touch screen driver, added and removed through
// SETUPAPI as a device manager does, and the HID interfaces the system lists for them.
#include <windows.h>

#include <string>
#include <vector>

namespace vts {

// The identity the driver reads from the instance's registry key when it is added.
struct NodeIdentity {
  unsigned slot = 0;
  unsigned vendorId = 0x7E3A;
  unsigned productId = 0x0001;
  unsigned versionNumber = 0x0100;
};

// One present HID interface, as SETUPAPI and HID.DLL report it.
struct HidInterface {
  std::wstring path;
  unsigned vendorId = 0, productId = 0, versionNumber = 0;
  bool virtualTouch = false;  // served by this driver
  unsigned slot = 0;          // its slot, when virtualTouch
};

std::wstring InstanceId(unsigned slot);  // ROOT\PELNIXVTS\000n

// Adds the instance for identity.slot and installs the driver from `inf` on it. On failure
// `error` names the step and the system's message.
bool AddNode(const NodeIdentity& identity, const std::wstring& inf, std::wstring& error);
// Removes the instance of `slot` (DIF_REMOVE); true when it is gone or never existed.
bool RemoveNode(unsigned slot, std::wstring& error);
// The slots of every instance of this driver that the system holds, present or not.
std::vector<unsigned> ExistingNodes();

std::vector<HidInterface> PresentHidInterfaces();
// Waits until the HID interface of `slot` is listed (present) or not; false after timeoutMs.
bool WaitForInterface(unsigned slot, bool present, DWORD timeoutMs);

std::wstring SystemMessage(DWORD error);

}  // namespace vts
