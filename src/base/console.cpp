#include "base/console.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include "base/app_paths.h"
#include "base/main_log.h"
#include "base/system_failure.h"
#include "base/text.h"

namespace {

bool UsableHandle(HANDLE handle) {
  return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A program with neither a console nor a standard output (started by the installer's service,
// a scheduled task or a shortcut) would lose its messages: they go to the log "Main.Log" beside
// the program instead, after a time-stamped line naming the command, so that an administrator
// finds what happened. Beside the program, not in the current folder, which for the installer's
// service is a folder of the system's.
void SendOutputToMainLog() {
  const std::wstring path = GetModuleDir() + L"\\Main.Log";
  if (_fileno(stdout) < 0) {
    // A process started without standard handles has a standard output stream without a file
    // descriptor, which Wine's C runtime refuses to reopen: the stream gets descriptor 1 first.
    const int fd = _wopen(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
      RecordSystemFailure(L"_wopen", path);
      return;
    }
    _dup2(fd, 1);
    _close(fd);
    stdout->_file = 1;  // the stream of the C runtime the program links (msvcrt)
  }
  if (!_wfreopen(path.c_str(), L"a", stdout)) {
    RecordSystemFailure(L"_wfreopen", path);
    return;
  }
  std::fputs(MainLogLine("Console output of " + ToAnsi(GetCommandLineW()) + ":").c_str(), stdout);
  // The last message of a command ends without a line end (the key prompt): the log's next
  // line starts on a line of its own.
  std::atexit([] { std::fputs("\n", stdout); });
}

}  // namespace

bool AttachParentConsole() {
  // Fails for a program started from a shortcut or under a shell without a console; its
  // output then goes to the standard output handle it inherited, if any.
  const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;

  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!attached && !UsableHandle(out)) {
    SendOutputToMainLog();
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    return true;
  }
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(out, &info)) {
    // 1000 rows keep the whole output of a long import; the width stays as it is.
    COORD size{info.dwSize.X, 1000};
    SetConsoleScreenBufferSize(out, size);
  }
  if (out && out != INVALID_HANDLE_VALUE) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(out), _O_TEXT);
    if (fd >= 0 && fd != _fileno(stdout)) {
      std::fflush(stdout);
      _dup2(fd, _fileno(stdout));
      _close(fd);
    }
  }
  _setmode(_fileno(stdout), _O_TEXT);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  SetConsoleTitleW(L" ");
  return true;
}
