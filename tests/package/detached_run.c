// Runs a command line detached: no console and no standard handles, as Windows Installer's
// service starts an installation's actions, and returns its exit code. Wine's msiexec started
// from a shell otherwise hands its actions the shell's standard output.
//   detached_run.exe COMMAND LINE...
#include <windows.h>

int wmain(void) {
  // The command line after this program's own name.
  wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    for (++line; *line && *line != L'"'; ++line) {
    }
    if (*line) ++line;
  } else {
    while (*line && *line != L' ') ++line;
  }
  while (*line == L' ') ++line;

  STARTUPINFOW startup = {sizeof(startup)};
  startup.dwFlags = STARTF_USESTDHANDLES;  // all three NULL
  PROCESS_INFORMATION process;
  if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, DETACHED_PROCESS, NULL, NULL, &startup, &process))
    return 255;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return (int)code;
}
