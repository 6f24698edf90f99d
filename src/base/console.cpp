#include "base/console.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

bool AttachParentConsole() {
  // Fails for a program started from a shortcut or under a shell without a console; its
  // output then goes to the standard output handle it inherited, if any.
  AttachConsole(ATTACH_PARENT_PROCESS);

  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
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
