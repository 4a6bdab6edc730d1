// CAsyncLoad: the load's thread, its cancelling, and the copies it leaves
// for the fill.
#include "control/CAsyncLoad.h"
#include <vector>
#include "framework/CLineReader.h"
#include "framework/COleControlModule.h"
#include "tree/ConfigRecord.h"
#include "control/CLocation.h"

namespace {
bool GaveUp(CDownload::Result r) {
  return r == CDownload::kUnreachable || r == CDownload::kStalled || r == CDownload::kCancelled;
}
}  // namespace

CAsyncLoad::CAsyncLoad()
    : m_request(),
      m_hCancel(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_hThread(nullptr),
      m_hWnd(nullptr),
      m_message(0),
      m_id(0),
      m_bConfigCopy(false) {}

CAsyncLoad::~CAsyncLoad() {
  if (m_hThread) SetEvent(m_hCancel);
  Join();
  if (m_bConfigCopy && !m_configPath.empty()) DeleteFileW(m_configPath.c_str());
  for (const auto& icon : m_icons) DeleteFileW(icon.second.c_str());
  if (m_hCancel) CloseHandle(m_hCancel);
}

bool CAsyncLoad::Start(const Request& request, HWND window, UINT message, WPARAM id) {
  if (m_hThread || !m_hCancel) return false;
  m_request = request;
  m_hWnd = window;
  m_message = message;
  m_id = id;
  m_hThread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  return m_hThread != nullptr;
}

void CAsyncLoad::Join() {
  if (!m_hThread) return;
  // The thread waits on nothing but copies, which give up on the cancel event.
  WaitForSingleObject(m_hThread, INFINITE);
  CloseHandle(m_hThread);
  m_hThread = nullptr;
}

DWORD WINAPI CAsyncLoad::Run(void* self) {
  CModuleLock lock;
  auto* load = static_cast<CAsyncLoad*>(self);
  try {
    load->Load();
  } catch (...) {
    // An allocation the heap refused: the load ends with what it has.
  }
  PostMessageW(load->m_hWnd, load->m_message, load->m_id, 0);
  return 0;
}

void CAsyncLoad::Load() {
  if (!m_request.remote) {
    m_configPath = m_request.location;
    return;
  }
  std::wstring copy;
  CDownload::Result r =
      CDownload::Copy(m_request.location, m_request.maxConfigBytes, m_hCancel, &copy);
  if (r != CDownload::kCopied) return;
  m_configPath = copy;
  m_bConfigCopy = true;
  if (m_request.needsDefaultIcon && !CopyIcon(IconFileName(kDefaultIconName))) return;
  for (const std::wstring& icon : IconNames())
    if (!m_request.known.count(icon) && !CopyIcon(IconFileName(icon))) return;
}

bool CAsyncLoad::CopyIcon(const std::wstring& name) {
  if (m_icons.count(name)) return true;
  std::wstring copy;
  CDownload::Result r = CDownload::Copy(CLocation::Join(m_request.iconFolder, name),
                                        m_request.maxIconBytes, m_hCancel, &copy);
  if (r == CDownload::kCopied) {
    try {
      m_icons[name] = copy;
    } catch (...) {
      DeleteFileW(copy.c_str());
      throw;
    }
  }
  return !GaveUp(r);
}

std::set<std::wstring> CAsyncLoad::IconNames() const {
  std::set<std::wstring> names;
  CLineReader reader;
  if (!reader.Open(m_configPath)) return names;
  std::wstring line;
  std::vector<std::wstring> fields;
  while (reader.ReadLine(&line))
    if (SplitRecord(line, &fields) && !fields[1].empty()) names.insert(fields[1]);
  return names;
}

bool CAsyncLoad::FindIcon(const std::wstring& name, std::wstring* path) const {
  auto it = m_icons.find(name);
  if (it == m_icons.end()) return false;
  *path = it->second;
  return true;
}

void CAsyncLoad::Release(const std::wstring& path) {
  for (auto it = m_icons.begin(); it != m_icons.end(); ++it) {
    if (it->second == path) {
      DeleteFileW(path.c_str());
      m_icons.erase(it);
      return;
    }
  }
}
