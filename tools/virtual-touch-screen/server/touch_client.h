#pragma once
// The client side of the server's named pipe: one command line, one line of answer.
#include <string>

namespace vts {

inline constexpr wchar_t kPipeName[] = L"\\\\.\\pipe\\PelnixVirtualTouch";

// Sends `line` and returns the server's answer ("ok ..." or "error ..."); when no server
// answers within waitMs, "error no virtual touch screen server is running".
std::string SendCommand(const std::string& line, unsigned waitMs = 0);

}  // namespace vts
