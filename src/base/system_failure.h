#pragma once
// Records a system call that failed where the program shows the user nothing: the call's name,
// what it was called with where that helps, the error code and the system's text for it. The
// record goes to the debug output (what a debugger or a debug-output viewer shows, and Wine's
// debug channel), never to the console or a message box, so no text the program shows changes.
#include <string>

// Records `call` with the thread's last error. Call it right after the failing call, before
// anything else that may change the last error (or pass the code to the overload below).
void RecordSystemFailure(const wchar_t* call, const std::wstring& details = {});

// Records `call` with an error code the call returned (a registry call's result, a saved
// GetLastError()).
void RecordSystemFailure(const wchar_t* call, const std::wstring& details, unsigned long error);

// The line that RecordSystemFailure writes, without its line end:
// "PelnixCpl: <call>(<details>) failed: error <code>: <system text>".
std::wstring SystemFailureText(const wchar_t* call, const std::wstring& details,
                               unsigned long error);
