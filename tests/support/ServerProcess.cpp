// ServerProcess.cpp: starting, watching and ending OrraWebServer.exe from
// a test, and temporary folders.
#include "ServerProcess.h"

namespace testsupport {

namespace {

const DWORD kPollMs = 20;
const UINT kReadTimeoutMs = 5000;

struct FindData {
  DWORD dwProcessId;
  const wchar_t* pszClass;
  const wchar_t* pszTitle;
  std::vector<HWND>* pFound;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
  FindData* pData = reinterpret_cast<FindData*>(lParam);
  DWORD dwPid = 0;
  GetWindowThreadProcessId(hWnd, &dwPid);
  if (dwPid != pData->dwProcessId) return TRUE;
  wchar_t szText[512];
  if (pData->pszClass) {
    GetClassNameW(hWnd, szText, 512);
    if (lstrcmpiW(szText, pData->pszClass) != 0) return TRUE;
  }
  if (pData->pszTitle) {
    GetWindowTextW(hWnd, szText, 512);
    if (lstrcmpW(szText, pData->pszTitle) != 0) return TRUE;
  }
  pData->pFound->push_back(hWnd);
  return TRUE;
}

}  // namespace

std::wstring ExeFolder() {
  wchar_t szPath[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, szPath, MAX_PATH * 4);
  std::wstring path(szPath, n);
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring ServerPath() { return ExeFolder() + L"OrraWebServer.exe"; }

std::wstring ReadWindowText(HWND hWnd) {
  DWORD_PTR nLength = 0;
  if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs,
                           &nLength))
    return std::wstring();
  std::wstring text(nLength + 1, L'\0');
  DWORD_PTR nCopied = 0;
  if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, nLength + 1, reinterpret_cast<LPARAM>(&text[0]),
                           SMTO_ABORTIFHUNG, kReadTimeoutMs, &nCopied))
    return std::wstring();
  text.resize(nCopied);
  return text;
}

std::vector<HWND> FindProcessWindows(DWORD dwProcessId, const wchar_t* pszClass,
                                     const wchar_t* pszTitle) {
  std::vector<HWND> found;
  FindData data = {dwProcessId, pszClass, pszTitle, &found};
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

HWND ServerProcess::WaitForMainWindow(DWORD dwTimeoutMs) {
  m_hMainWnd = WaitForWindow(L"OrraWebServer", nullptr, dwTimeoutMs);
  return m_hMainWnd;
}

HWND ServerProcess::WaitForWindow(const wchar_t* pszClass, const wchar_t* pszTitle,
                                  DWORD dwTimeoutMs) const {
  DWORD dwStart = GetTickCount();
  for (;;) {
    std::vector<HWND> found = FindProcessWindows(m_dwProcessId, pszClass, pszTitle);
    if (!found.empty()) return found.front();
    if (GetTickCount() - dwStart >= dwTimeoutMs || !IsRunning()) return nullptr;
    Sleep(kPollMs);
  }
}

HWND ServerProcess::LogPane() const { return m_hMainWnd ? GetDlgItem(m_hMainWnd, 2112) : nullptr; }

std::wstring ServerProcess::ReadLog() const {
  HWND hPane = LogPane();
  return hPane ? ReadWindowText(hPane) : std::wstring();
}

bool ServerProcess::WaitForLog(const std::wstring& text, DWORD dwTimeoutMs) const {
  DWORD dwStart = GetTickCount();
  for (;;) {
    if (ReadLog().find(text) != std::wstring::npos) return true;
    if (GetTickCount() - dwStart >= dwTimeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool ServerProcess::Close() { return m_hMainWnd && PostMessageW(m_hMainWnd, WM_CLOSE, 0, 0); }

bool ServerProcess::WaitForExit(DWORD dwTimeoutMs, DWORD* pdwExitCode) {
  if (!m_hProcess) return false;
  bool bEnded = WaitForSingleObject(m_hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
  if (!bEnded) {
    TerminateProcess(m_hProcess, kKilledExitCode);
    WaitForSingleObject(m_hProcess, 5000);
  }
  if (pdwExitCode) {
    DWORD dwCode = kKilledExitCode;
    GetExitCodeProcess(m_hProcess, &dwCode);
    *pdwExitCode = bEnded ? dwCode : kKilledExitCode;
  }
  return bEnded;
}

DWORD ServerProcess::CloseAndWait(DWORD dwTimeoutMs) {
  DWORD dwCode = kKilledExitCode;
  Close();
  WaitForExit(dwTimeoutMs, &dwCode);
  return dwCode;
}

bool ServerProcess::IsRunning() const {
  return m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

TempFolder::TempFolder(const std::wstring& prefix) {
  wchar_t szTemp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, szTemp);
  if (n == 0 || n >= MAX_PATH) return;
  std::wstring base(szTemp);
  if (base.back() != L'\\') base += L'\\';
  static LONG s_nCounter = 0;
  for (int nTry = 0; nTry < 100; ++nTry) {
    std::wstring candidate = base + prefix + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(InterlockedIncrement(&s_nCounter));
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      m_path = candidate + L"\\";
      return;
    }
  }
}

TempFolder::~TempFolder() {
  if (!m_path.empty()) RemoveTree(m_path);
}

bool TempFolder::WriteFile(const std::wstring& relative, const std::string& bytes) const {
  if (m_path.empty()) return false;
  std::wstring full = m_path + relative;
  for (size_t pos = m_path.size(); (pos = full.find(L'\\', pos)) != std::wstring::npos; ++pos)
    CreateDirectoryW(full.substr(0, pos).c_str(), nullptr);
  HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD nWritten = 0;
  BOOL bOk = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr);
  CloseHandle(h);
  return bOk && nWritten == bytes.size();
}

bool RemoveTree(const std::wstring& path) {
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  WIN32_FIND_DATAW fd;
  HANDLE hFind = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (hFind != INVALID_HANDLE_VALUE) {
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
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
  }
  return RemoveDirectoryW(folder.c_str()) ||
         GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace testsupport
