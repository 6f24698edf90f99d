#pragma once
// The driver-interface library of a test program: one per process, as start-up makes one for
// the program, loaded the way the program loads it (a test may load the one it built first).
#include "config/driver_library.h"

inline DriverLibrary& TestDriverLibrary() {
  static DriverLibrary library;
  library.Load();
  return library;
}
