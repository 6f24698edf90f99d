#pragma once
// The HID system of the machine: SETUPAPI and HID.DLL for real. The program as a user gets it
// runs on it; the benchmarks' real-stack mode takes one of their own.
#include <memory>

#include "device/hid_system.h"

std::unique_ptr<HidSystem> MakeSystemHid();
