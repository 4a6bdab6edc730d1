// CQorTreeViewCtrl: configuration loading: resolving file names against URL,
// copying remote files into temporary copies, and the load itself, made on
// this thread or, with AsyncLoad, with its copies made on another.
#include <exception>
#include "framework/CModuleStateScope.h"
#include "control/CLocation.h"
#include "control/CQorTreeViewCtrl.h"
#include "ids/QorTreeViewIds.h"

namespace {
const wchar_t kFailLoad[] = L"Fail to load configuration: ";

// Deletes a temporary copy on every way out of a scope.
class CopyGuard {
public:
  CopyGuard(const std::wstring& path, bool copied) : m_path(path), m_bCopied(copied) {}
  ~CopyGuard() {
    if (m_bCopied) DeleteFileW(m_path.c_str());
  }
  CopyGuard(const CopyGuard&) = delete;
  CopyGuard& operator=(const CopyGuard&) = delete;

private:
  const std::wstring& m_path;
  bool m_bCopied;
};

// Holds a reference to the control for a scope: a container may release it
// from a message box of the load. Declared first, so it goes last.
class SelfReference {
public:
  explicit SelfReference(IUnknown* self) : m_self(self) { m_self->AddRef(); }
  ~SelfReference() { m_self->Release(); }
  SelfReference(const SelfReference&) = delete;
  SelfReference& operator=(const SelfReference&) = delete;

private:
  IUnknown* m_self;
};
}  // namespace

void CQorTreeViewCtrl::LoadConfiguration() {
  if (!m_tree.GetSafeHwnd()) return;
  SelfReference self(static_cast<IDispatch*>(this));
  // A new load replaces one under way, which reports nothing.
  ++m_nLoadId;
  m_pAsyncLoad.reset();
  // One arriving from a message box of a fill ends that fill, whose nodes
  // go: the tree never mixes two configurations.
  if (m_nFilling) m_tree.DeleteAllNodes();
  if (m_AsyncLoad)
    StartAsyncLoad();
  else
    LoadNow();
}

void CQorTreeViewCtrl::LoadNow() {
  // Nothing named: nothing to load, and nothing to say.
  if (m_ConfigFile.empty() || m_URL.empty()) return;
  m_bGaveUp = false;
  std::wstring path;
  bool copied = false;
  if (ResolveBounded(m_ConfigFile, &path, kMaxConfigBytes, &copied) != 0) {
    m_tree.ReportError(kFailLoad + CLocation::Join(m_URL, m_ConfigFile));
    return;
  }
  // Decided before the file is read: a message box of the load lets a
  // script switch LocalRemote meanwhile.
  CopyGuard guard(path, copied);
  FillTree(path);
}

bool CQorTreeViewCtrl::FillTree(const std::wstring& path) {
  bool read = false;
  ++m_nFilling;
  try {
    read = m_tree.LoadNodesFromFile(m_URL, path);
  } catch (const std::exception&) {
    // A line too long to hold ends the load; the nodes before it stay.
  }
  --m_nFilling;
  if (!read) m_tree.ReportError(kFailLoad + CLocation::Join(m_URL, m_ConfigFile));
  return read;
}

void CQorTreeViewCtrl::StartAsyncLoad() {
  const WPARAM id = m_nLoadId;
  std::unique_ptr<CAsyncLoad> load;
  if (!m_ConfigFile.empty() && !m_URL.empty()) {
    CAsyncLoad::Request request;
    request.location = LocationOf(m_ConfigFile);
    request.iconFolder = m_URL;
    request.remote = m_LocalRemote != 0;
    request.needsDefaultIcon = m_tree.NeedsDefaultIcon();
    request.known = m_tree.GetIconNames();
    request.maxConfigBytes = kMaxConfigBytes;
    request.maxIconBytes = kMaxIconBytes;
    load.reset(new CAsyncLoad());
    if (load->Start(request, m_hWnd, kMsgAsyncLoaded, id)) {
      m_pAsyncLoad = std::move(load);
      return;
    }
  }
  // Nothing to load, or no thread for it: the container still hears of it.
  PostMessageW(m_hWnd, kMsgAsyncLoaded, id, 0);
}

void CQorTreeViewCtrl::OnAsyncLoaded(WPARAM id) {
  if (id != m_nLoadId) return;  // replaced since it was posted
  SelfReference self(static_cast<IDispatch*>(this));
  std::unique_ptr<CAsyncLoad> load = std::move(m_pAsyncLoad);
  bool read = false;
  if (load) {
    load->Join();
    if (load->GetConfigPath().empty()) {
      m_tree.ReportError(kFailLoad + CLocation::Join(m_URL, m_ConfigFile));
    } else {
      // A fill nested in this one's message box gives the copies back.
      struct Filling {
        CAsyncLoad*& current;
        CAsyncLoad* const outer;
        ~Filling() { current = outer; }
      } filling{m_pFilling, m_pFilling};
      m_pFilling = load->IsConfigCopy() ? load.get() : nullptr;
      read = FillTree(load->GetConfigPath());
    }
  }
  // A Refresh from a message box of the fill started a load of its own.
  if (id != m_nLoadId) return;
  VARIANT succeeded;
  VariantInit(&succeeded);
  V_VT(&succeeded) = VT_BOOL;
  V_BOOL(&succeeded) = read ? VARIANT_TRUE : VARIANT_FALSE;
  FireEvent(kEventLoadComplete, &succeeded, 1);
}

// The tree resolves icon files only.
int CQorTreeViewCtrl::ResolveFile(const std::wstring& name, std::wstring* path) {
  // The fill of an asynchronous load reads the copies made beforehand.
  if (m_pFilling) return m_pFilling->FindIcon(name, path) ? 0 : 1;
  bool copied = false;
  if (ResolveBounded(name, path, kMaxIconBytes, &copied) != 0) return 1;
  if (copied) {
    try {
      m_copies.insert(*path);
    } catch (...) {
      DeleteFileW(path->c_str());
      return 1;
    }
  }
  return 0;
}

void CQorTreeViewCtrl::ReleaseFile(const std::wstring& path) {
  if (m_pFilling) {
    m_pFilling->Release(path);
    return;
  }
  auto it = m_copies.find(path);
  if (it == m_copies.end()) return;
  DeleteFileW(path.c_str());
  m_copies.erase(it);
}

std::wstring CQorTreeViewCtrl::LocationOf(const std::wstring& name) {
  while (!m_URL.empty() && m_URL.back() == L'\\') m_URL.pop_back();
  return CLocation::Join(m_URL, name);
}

int CQorTreeViewCtrl::ResolveBounded(const std::wstring& name, std::wstring* path,
                                     ULONGLONG maxBytes, bool* copied) {
  *copied = false;
  if (name.empty() || m_URL.empty()) return 1;
  const std::wstring location = LocationOf(name);
  if (m_LocalRemote == 0) {
    *path = location;
    return 0;
  }
  // A failed copy leaves no temporary file and no name behind. A server
  // that could not be reached, or stalled, is not asked again in this load.
  path->clear();
  if (m_bGaveUp) return 1;
  CDownload::Result r = CDownload::Copy(location, maxBytes, nullptr, path);
  if (r == CDownload::kUnreachable || r == CDownload::kStalled) m_bGaveUp = true;
  *copied = r == CDownload::kCopied;
  return *copied ? 0 : 1;
}

bool CQorTreeViewCtrl::DownloadToTempFile(const std::wstring& location, std::wstring* tempPath,
                                          ULONGLONG maxBytes) {
  tempPath->clear();
  return CDownload::Copy(location, maxBytes, nullptr, tempPath) == CDownload::kCopied;
}
