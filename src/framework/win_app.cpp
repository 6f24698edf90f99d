#include "framework/win_app.h"

#include <shellapi.h>

#include "base/system_library.h"
#include "framework/wnd.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp() { g_pApp = this; }
CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

void CCommandLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL) {
  if (!flag && m_strFileName.empty()) m_strFileName = param;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) { ParseCommandLine(::GetCommandLineW(), info); }

void CWinApp::ParseCommandLine(const wchar_t* commandLine, CCommandLineInfo& info) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(commandLine, &argc);
  if (!argv) return;
  for (int i = 1; i < argc; ++i) {
    const wchar_t* param = argv[i];
    const BOOL flag = param[0] == L'-' || param[0] == L'/';
    if (flag) ++param;
    info.ParseParam(param, flag, i == argc - 1);
  }
  ::LocalFree(argv);
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!CWnd::WalkPreTranslateTree(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return ExitInstance();
}

int AfxWinMain(HINSTANCE instance) {
  // Before anything else loads a library: none comes from the program's own folder.
  RestrictDllSearch();
  CWinApp* app = AfxGetApp();
  if (!app) return 0;
  app->m_hInstance = instance;
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  app->m_strExeName = name.substr(0, name.find_last_of(L'.'));
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
