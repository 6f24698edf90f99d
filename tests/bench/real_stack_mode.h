#pragma once
// The benchmarks' mode on Wine's real HID stack: virtual touch screens (scripts/virtual-touch.sh,
// plugged in the prefix the benchmark runs in) served by the HID class driver, and the program
// as a user gets it (PELNIX_DIST_DIR). The figures stand beside the simulated ones.

// "o" exchanges through HID.DLL and the HID class driver (write to end of reply), and the
// start-up query of dist/PelnixCpl.exe with the plugged touch screens against its floor.
// `bareMedianMs`: the bare HID.DLL loop's median exchange, the device's share of the program's.
int RunDeviceBenchOnRealStack(int exchanges, double* bareMedianMs);
// dist/PelnixCpl.exe -u with a full-size image: the transfer as touch screen 0 saw it ("Rb" to
// "Rc") against its floor.
int RunUpdateBenchOnRealStack();
