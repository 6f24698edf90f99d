#pragma once
// The system's HID headers. mingw-w64's hidsdi.h has no extern "C" guard of its own.
#include <windows.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
#include <setupapi.h>
