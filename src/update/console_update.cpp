// The console command -u: the image file is checked once, then every listed touch screen is
// updated in turn, with the progress at the start of the console's third line.
#include "update/console_update.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "base/app_paths.h"
#include "base/core/paths.h"
#include "base/text.h"
#include "base/timer_resolution.h"
#include "device/device_query.h"
#include "device/device_services.h"
#include "update/core/update_messages.h"
#include "update/core/update_protocol.h"
#include "update/firmware_updater.h"

namespace {

void ShowProgress(int percent) {
  // Column 0, row 2: the line under the two notes. Without a console (output to a pipe or a
  // file) the cursor stays where it is and the lines follow one another.
  SetConsoleCursorPosition(GetStdHandle(STD_OUTPUT_HANDLE), COORD{0, 2});
  std::printf(kMsgProgressFormat, kMsgProgressPrefix, percent, kMsgProgressSuffix);
}

void UpdateTouchScreen(FirmwareUpdater& updater, const HidDevice& device) {
  SetConsoleTitleW(kUpdateConsoleTitle);
  std::fflush(stdout);
  std::system("cls");
  std::fputs(kMsgNoteDontClose, stdout);
  std::fputs(kMsgPleaseWait, stdout);

  const bool updated = updater.Update(device, [](std::uint32_t sent, std::uint32_t total) {
    ShowProgress(ProgressPercent(sent, total));
  });
  if (!updated) {
    std::fputs(kMsgUpdateFailed, stdout);
    std::fputs(kMsgPressToContinueLine, stdout);
    return;
  }
  ShowProgress(100);
  std::fputs(kMsgUpdateSucceeded, stdout);
  std::fputs(kMsgPressToContinue, stdout);
}

}  // namespace

void RunConsoleUpdate(const std::function<DeviceServices&()>& makeDevices,
                      const std::wstring& fileArgument) {
  // The query's waits and the transfers' pauses need a timer finer than the default tick.
  const FineTimerResolution fineTimer;
  std::fputs("\n", stdout);

  DeviceServices& devices = makeDevices();
  TouchScreenList& list = devices.list();
  // Replies of the query go into the device records, not to windows. Its outcome does not
  // matter here: the transfer talks to each touch screen directly.
  devices.client().EnterAcknowledgeMode();
  QueryAllDevices(devices.client());

  const std::wstring path = PathOfCommandFile(fileArgument, GetCurrentDir());
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
    std::printf(kMsgFileMissing, ToAnsi(path).c_str());
    std::fputs(kMsgPressToExit, stdout);
    return;
  }
  FirmwareUpdater updater(list.hid(), path);
  if (!updater.LoadImage()) {
    std::fputs(kMsgPressToExit, stdout);
    return;
  }

  for (const auto [slot, device] : list.occupied()) {
    if (device.HidInfo.handle == INVALID_HANDLE_VALUE) continue;
    UpdateTouchScreen(updater, device.HidInfo);
  }
}
