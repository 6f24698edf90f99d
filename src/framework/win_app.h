#pragma once
// CWinApp: the application object. The entry point runs InitInstance; when it returns TRUE the
// thread's message loop runs until WM_QUIT. ExitInstance's result is the process exit code.
#include <windows.h>

#include <string>

class CWnd;

// The command line, split into arguments (quotes honoured); a leading "-" or "/" makes an
// argument a flag and is stripped. ParseParam is called once per argument.
class CCommandLineInfo {
public:
  virtual ~CCommandLineInfo() = default;
  virtual void ParseParam(const wchar_t* param, BOOL flag, BOOL last);
  std::wstring m_strFileName;  // the first argument that is not a flag; nothing reads it
};

class CWinApp {
public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }
  virtual int Run();  // the message loop

  void ParseCommandLine(CCommandLineInfo& info);
  // Splits a command line as the program's own is split (the program name first).
  static void ParseCommandLine(const wchar_t* commandLine, CCommandLineInfo& info);

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  std::wstring m_strExeName;  // the executable's file name without its extension
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// The whole program: binds the instance, runs InitInstance, the loop and ExitInstance.
int AfxWinMain(HINSTANCE instance);
