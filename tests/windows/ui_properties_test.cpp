// The touch screen properties dialog over the simulated touch screens: the values the
// start-up query left in the touch screen list, formatted as the dialog shows them.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/app_paths.h"
#include "support/test_devices.h"
#include "ui/properties_dialog.h"
#include "ui/res/properties_dialog_ids.h"
#include "windows/ui_modal_dialog.h"

namespace {

// Two simulated touch screens, listed once for the whole test program.
TouchScreenList& List() {
  static TouchScreenList& list = [] () -> TouchScreenList& {
    SimulatedHid().Add();
    SimulatedHid().Add();
    return TestDevices().list();
  }();
  return list;
}

struct Identity {
  std::int32_t number, monitor, calibrated;
  std::int32_t hw[3];
  std::int8_t serial0, serial1;
  std::int32_t serial2;
};

void SetIdentity(int index, const Identity& identity) {
  TouchScreenDevice* device = List().device(index);
  ASSERT_NE(device, nullptr);
  device->TouchScreenNo = identity.number;
  device->MonitorNo = identity.monitor;
  device->IsCalibrated = identity.calibrated;
  for (int i = 0; i < 3; ++i) device->HwVersion[i] = identity.hw[i];
  device->SerialNo0 = identity.serial0;
  device->SerialNo1 = identity.serial1;
  device->SerialNo2 = identity.serial2;
}

std::unique_ptr<ModalDialogThread> OpenProperties(int index) {
  auto dialog = std::make_unique<ModalDialogThread>([index] {
    PelnixInfo info(nullptr, List(), index);
    return info.DoModal();
  });
  EXPECT_NE(dialog->window(), nullptr) << "the properties dialog did not open";
  return dialog;
}

TEST(PropertiesDialog, ShowsTheTouchScreensIdentity) {
  ASSERT_EQ(List().count(), 2u);
  SetIdentity(1, {3, 1, 1, {2, 0, 15}, 0, 0, 65535});
  auto dialog = OpenProperties(1);
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(IDC_TOUCH_SCREEN_NO_VALUE), L"3");
  EXPECT_EQ(d.Text(IDC_MONITOR_NO_VALUE), L"1");
  EXPECT_EQ(d.Text(IDC_IS_CALIBRATED_VALUE), L"75");
  EXPECT_EQ(d.Text(IDC_INTERFACE_TYPE_VALUE), L"USB");
  EXPECT_EQ(d.Text(IDC_HARDWARE_VERSION_VALUE), L"2.0.15");
  EXPECT_EQ(d.Text(IDC_SERIAL_NO_VALUE), L"0065535");
  EXPECT_EQ(d.Text(IDC_STATUS_VALUE), L"70");
  d.Click(IDOK);
  ASSERT_TRUE(d.WaitForEnd());
  EXPECT_EQ(d.result(), IDOK);
}

TEST(PropertiesDialog, NegativePartsShowAsZeroAndOnlyOneIsCalibrated) {
  SetIdentity(0, {0, 0, 2, {-1, 3, 4}, 1, 2, 3});
  auto dialog = OpenProperties(0);
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(IDC_HARDWARE_VERSION_VALUE), L"0.3.4");
  EXPECT_EQ(d.Text(IDC_SERIAL_NO_VALUE), L"123");
  EXPECT_EQ(d.Text(IDC_IS_CALIBRATED_VALUE), L"76");
  EXPECT_EQ(d.Text(IDC_STATUS_VALUE), L"70");
  EXPECT_EQ(d.Text(IDC_INTERFACE_TYPE_VALUE), L"USB");
}

TEST(PropertiesDialog, WithoutALanguageFileTheLabelsShowTheirKeys) {
  ASSERT_EQ(GetFileAttributesW((GetModuleDir() + L"\\Language").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the test needs a program folder without language files";
  auto dialog = OpenProperties(0);
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(d.window()), L"62");
  EXPECT_EQ(d.Text(IDC_PROPERTIES_GROUP), L"62");
  const std::pair<int, const wchar_t*> labels[] = {
      {IDC_TOUCH_SCREEN_NO_LABEL, L"63"}, {IDC_MONITOR_NO_LABEL, L"64"},
      {IDC_IS_CALIBRATED_LABEL, L"65"},   {IDC_INTERFACE_TYPE_LABEL, L"66"},
      {IDC_HARDWARE_VERSION_LABEL, L"67"}, {IDC_SERIAL_NO_LABEL, L"68"},
      {IDC_STATUS_LABEL, L"69"},          {IDOK, L"38"}};
  for (const auto& [id, key] : labels) EXPECT_EQ(d.Text(id), key) << id;
}

TEST(PropertiesDialog, AnEmptySlotShowsNothingKnown) {
  auto dialog = OpenProperties(5);
  ModalDialogThread& d = *dialog;
  EXPECT_EQ(d.Text(IDC_TOUCH_SCREEN_NO_VALUE), L"-1");
  EXPECT_EQ(d.Text(IDC_HARDWARE_VERSION_VALUE), L"0.0.0");
  EXPECT_EQ(d.Text(IDC_SERIAL_NO_VALUE), L"000");
  EXPECT_EQ(d.Text(IDC_IS_CALIBRATED_VALUE), L"76");
}

}  // namespace
