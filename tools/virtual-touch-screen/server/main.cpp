// virtual-touch.exe: the server of the virtual touch screens and its command-line client.
//   virtual-touch serve INF        serve the touch screens; commands on the named pipe
//   virtual-touch ping [WAIT_MS]   exit 0 when a server answers
//   virtual-touch plug|touch|unplug|stop ...   one command for the server
//   virtual-touch list             the present HID interfaces with their identities
//   virtual-touch clean            remove every instance of the driver (no server needed)
// Answers go to standard output as one line; the exit code is 0 for "ok", 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <string>

#include "device_nodes.h"
#include "touch_client.h"
#include "touch_server.h"

namespace {

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
  return out;
}

int Answer(const std::string& answer) {
  std::printf("%s\n", answer.c_str());
  return answer.rfind("ok", 0) == 0 ? 0 : 1;
}

int Serve(const std::wstring& inf) {
  HANDLE first = CreateNamedPipeW(vts::kPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  if (first == INVALID_HANDLE_VALUE) return Answer("error a virtual touch screen server is already running");
  vts::TouchServer server(inf);
  HANDLE pipe = first;
  for (bool stop = false; !stop;) {
    if (pipe == INVALID_HANDLE_VALUE)
      pipe = CreateNamedPipeW(vts::kPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return Answer("error the command pipe cannot be created");
    if (ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
      std::string line;
      char c;
      DWORD read = 0;
      while (line.size() < 4096 && ReadFile(pipe, &c, 1, &read, nullptr) && read && c != '\n') line += c;
      const std::string answer = server.Handle(line, &stop) + "\n";
      DWORD written = 0;
      WriteFile(pipe, answer.data(), static_cast<DWORD>(answer.size()), &written, nullptr);
      FlushFileBuffers(pipe);
      DisconnectNamedPipe(pipe);
    }
    CloseHandle(pipe);
    pipe = INVALID_HANDLE_VALUE;
  }
  return 0;
}

int List() {
  for (const vts::HidInterface& i : vts::PresentHidInterfaces()) {
    std::printf("%04X %04X %04X %s %s\n", i.vendorId, i.productId, i.versionNumber,
                i.virtualTouch ? ("virtual-" + std::to_string(i.slot)).c_str() : "other",
                Narrow(i.path.c_str()).c_str());
  }
  return 0;
}

int Clean() {
  std::string failed;
  for (unsigned slot : vts::ExistingNodes()) {
    std::wstring error;
    if (!vts::RemoveNode(slot, error) || !vts::WaitForInterface(slot, false, 15000))
      failed += " " + std::to_string(slot);
  }
  return Answer(failed.empty() ? "ok" : "error touch screens still listed:" + failed);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Answer("error usage: virtual-touch serve INF | ping | plug | touch | unplug | stop | list | clean");
  const std::wstring command = argv[1];
  if (command == L"serve") {
    if (argc < 3) return Answer("error serve needs the driver's INF path");
    wchar_t full[MAX_PATH];
    if (!GetFullPathNameW(argv[2], MAX_PATH, full, nullptr)) return Answer("error bad INF path");
    return Serve(full);
  }
  if (command == L"list") return List();
  if (command == L"clean") return Clean();
  if (command == L"ping") return Answer(vts::SendCommand("ping", argc > 2 ? _wtoi(argv[2]) : 0));
  std::string line;
  for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + Narrow(argv[i]);
  return Answer(vts::SendCommand(line, 2000));
}
