// ServerProcess.cpp: starting, watching and ending OrraWebServer.exe from
// a test, and temporary folders.
#include "ServerProcess.h"

namespace testsupport {

namespace {

const DWORD kPollMs = 20;
const UINT kReadTimeoutMs = 5000;

struct FindData {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* title;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
  FindData* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != data->processId) return TRUE;
  wchar_t text[512];
  if (data->className) {
    GetClassNameW(window, text, 512);
    if (lstrcmpiW(text, data->className) != 0) return TRUE;
  }
  if (data->title) {
    GetWindowTextW(window, text, 512);
    if (lstrcmpW(text, data->title) != 0) return TRUE;
  }
  data->found->push_back(window);
  return TRUE;
}

}  // namespace

std::wstring ExeFolder() {
  wchar_t buffer[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring ServerPath() { return ExeFolder() + L"OrraWebServer.exe"; }

std::wstring ReadWindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs,
                           &length))
    return std::wstring();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kReadTimeoutMs, &copied))
    return std::wstring();
  text.resize(copied);
  return text;
}

std::vector<HWND> FindProcessWindows(DWORD processId, const wchar_t* className,
                                     const wchar_t* title) {
  std::vector<HWND> found;
  FindData data = {processId, className, title, &found};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&data));
  return found;
}

ServerProcess::ServerProcess()
    : m_hProcess(nullptr), m_hThread(nullptr), m_dwProcessId(0), m_hMainWnd(nullptr) {}

ServerProcess::~ServerProcess() {
  if (IsRunning()) {
    TerminateProcess(m_hProcess, kKilledExitCode);
    WaitForSingleObject(m_hProcess, 5000);
  }
  Release();
}

void ServerProcess::Release() {
  if (m_hThread) CloseHandle(m_hThread);
  if (m_hProcess) CloseHandle(m_hProcess);
  m_hThread = m_hProcess = nullptr;
  m_dwProcessId = 0;
  m_hMainWnd = nullptr;
}

bool ServerProcess::Start() { return StartCommandLine(ServerPath(), L"\"" + ServerPath() + L"\""); }

bool ServerProcess::Start(const std::wstring& argument) {
  return StartCommandLine(ServerPath(), L"\"" + ServerPath() + L"\" " + argument);
}

bool ServerProcess::StartCommandLine(const std::wstring& program, const std::wstring& commandLine) {
  if (m_hProcess) return false;
  std::wstring line = commandLine;  // CreateProcessW may write to it
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    return false;
  m_hProcess = pi.hProcess;
  m_hThread = pi.hThread;
  m_dwProcessId = pi.dwProcessId;
  return true;
}

HWND ServerProcess::WaitForMainWindow(DWORD timeoutMs) {
  m_hMainWnd = WaitForWindow(L"OrraWebServer", nullptr, timeoutMs);
  return m_hMainWnd;
}

HWND ServerProcess::WaitForWindow(const wchar_t* className, const wchar_t* title,
                                  DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> found = FindProcessWindows(m_dwProcessId, className, title);
    if (!found.empty()) return found.front();
    if (GetTickCount() - start >= timeoutMs || !IsRunning()) return nullptr;
    Sleep(kPollMs);
  }
}

HWND ServerProcess::LogPane() const { return m_hMainWnd ? GetDlgItem(m_hMainWnd, 2112) : nullptr; }

std::wstring ServerProcess::ReadLog() const {
  HWND pane = LogPane();
  return pane ? ReadWindowText(pane) : std::wstring();
}

bool ServerProcess::WaitForLog(const std::wstring& text, DWORD timeoutMs) const {
  DWORD start = GetTickCount();
  for (;;) {
    if (ReadLog().find(text) != std::wstring::npos) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool ServerProcess::Close() { return m_hMainWnd && PostMessageW(m_hMainWnd, WM_CLOSE, 0, 0); }

bool ServerProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!m_hProcess) return false;
  bool ended = WaitForSingleObject(m_hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(m_hProcess, kKilledExitCode);
    WaitForSingleObject(m_hProcess, 5000);
  }
  if (exitCode) {
    DWORD code = kKilledExitCode;
    GetExitCodeProcess(m_hProcess, &code);
    *exitCode = ended ? code : kKilledExitCode;
  }
  return ended;
}

DWORD ServerProcess::CloseAndWait(DWORD timeoutMs) {
  DWORD code = kKilledExitCode;
  Close();
  WaitForExit(timeoutMs, &code);
  return code;
}

bool ServerProcess::IsRunning() const {
  return m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

TempFolder::TempFolder(const std::wstring& prefix) {
  wchar_t temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring base(temp);
  if (base.back() != L'\\') base += L'\\';
  static LONG s_nCounter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::wstring candidate = base + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(InterlockedIncrement(&s_nCounter));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      m_strPath = candidate + L"\\";
      return;
    }
  }
}

TempFolder::~TempFolder() {
  if (!m_strPath.empty()) RemoveTree(m_strPath);
}

bool TempFolder::WriteFile(const std::wstring& relative, const std::string& bytes) const {
  if (m_strPath.empty()) return false;
  std::wstring full = m_strPath + relative;
  for (size_t pos = m_strPath.size(); (pos = full.find(L'\\', pos)) != std::wstring::npos; ++pos)
    CreateDirectoryW(full.substr(0, pos).c_str(), nullptr);
  HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

bool RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = folder + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  return RemoveDirectoryW(folder.c_str()) ||
         GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace testsupport
