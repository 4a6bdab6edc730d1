// CQorTreeViewCtrl: configuration loading: resolving file names against URL,
// downloading remote files into temporary copies, and the load itself.
#include <exception>
#include <vector>
#include "framework/CFile.h"
#include "framework/CInternetFile.h"
#include "control/CLocation.h"
#include "control/CQorTreeViewCtrl.h"

namespace {
const DWORD kCopyBuffer = 16384;

// A session whose transfers give up after the silence time-out.
bool OpenSession(CInternetSession& session, DWORD accessType) {
  if (!session.Open(accessType)) return false;
  session.SetTimeout(CQorTreeViewCtrl::kSilenceTimeoutMs);
  return true;
}

const wchar_t kFailLoad[] = L"Fail to load configuration: ";
}  // namespace

void CQorTreeViewCtrl::LoadConfiguration() {
  if (!m_tree.GetSafeHwnd()) return;
  // Nothing named: nothing to load, and nothing to say.
  if (m_ConfigFile.empty() || m_URL.empty()) return;
  std::wstring path;
  if (ResolveBounded(m_ConfigFile, &path, kMaxConfigBytes) != 0) {
    m_tree.ReportError(kFailLoad + CLocation::Join(m_URL, m_ConfigFile));
    return;
  }
  bool read = false;
  try {
    read = m_tree.LoadNodesFromFile(m_URL, path);
  } catch (const std::exception&) {
    // A line too long to hold ends the load; the nodes before it stay.
  }
  if (IsRemoteMode()) DeleteFileW(path.c_str());
  if (!read) m_tree.ReportError(kFailLoad + CLocation::Join(m_URL, m_ConfigFile));
}

// The tree resolves icon files only.
int CQorTreeViewCtrl::ResolveFile(const std::wstring& name, std::wstring* path) {
  return ResolveBounded(name, path, kMaxIconBytes);
}

int CQorTreeViewCtrl::ResolveBounded(const std::wstring& name, std::wstring* path,
                                     ULONGLONG maxBytes) {
  if (name.empty() || m_URL.empty()) return 1;
  while (!m_URL.empty() && m_URL.back() == L'\\') m_URL.pop_back();
  const std::wstring location = CLocation::Join(m_URL, name);
  if (!IsRemoteMode()) {
    *path = location;
    return 0;
  }
  // A failed download leaves no temporary file and no name behind.
  path->clear();
  return DownloadToTempFile(location, path, maxBytes) ? 0 : 1;
}

namespace {
// The size of a location, as far as it can be learned. Nothing uses it;
// the server sees the probe's request before the download's.
void ProbeSize(const std::wstring& location) {
  std::wstring local;
  if (CLocation::FileUrlToPath(location, &local)) {
    CFile file;
    if (file.Open(local, CFile::kRead)) file.GetLength();
    return;
  }
  if (!CLocation::IsWebAddress(location)) return;
  const std::wstring target = CLocation::EncodeWebAddress(location);
  CInternetSession session;
  CInternetFile stream;
  if (!OpenSession(session, INTERNET_OPEN_TYPE_PRECONFIG) || !stream.Open(session, target)) {
    session.Close();
    if (!OpenSession(session, INTERNET_OPEN_TYPE_DIRECT) || !stream.Open(session, target)) return;
  }
  DWORD status = 0, length = 0;
  if (stream.QueryStatusCode(&status) && status == 200) stream.QueryContentLength(&length);
}

// One attempt to open a location as a stream: a local file for file:
// locations, else the URL through a session of the given access type,
// accepted only with HTTP status 200 (or no HTTP status at all).
bool OpenStream(const std::wstring& location, DWORD accessType, CInternetSession& session,
                CInternetFile& stream, CFile& file) {
  std::wstring local;
  if (CLocation::FileUrlToPath(location, &local)) return file.Open(local, CFile::kRead);
  if (!OpenSession(session, accessType) ||
      !stream.Open(session, CLocation::EncodeWebAddress(location)))
    return false;
  stream.SetReceiveTimeout(CQorTreeViewCtrl::kSilenceTimeoutMs);
  DWORD status = 0;
  if (stream.QueryStatusCode(&status) && status != 200) {
    stream.Close();
    return false;
  }
  return true;
}
}  // namespace

bool CQorTreeViewCtrl::DownloadToTempFile(const std::wstring& location, std::wstring* tempPath,
                                          ULONGLONG maxBytes) {
  tempPath->clear();
  ProbeSize(location);
  CInternetSession session;
  CInternetFile stream;
  CFile source;
  if (!OpenStream(location, INTERNET_OPEN_TYPE_PRECONFIG, session, stream, source)) {
    session.Close();
    if (!OpenStream(location, INTERNET_OPEN_TYPE_DIRECT, session, stream, source)) return false;
  }
  // A length the server announced: more than the bound fails at once, and
  // fewer bytes than announced is a transfer cut short.
  DWORD announced = 0;
  const bool hasLength = !source.IsOpen() && stream.QueryContentLength(&announced);
  if (hasLength && announced > maxBytes) return false;
  std::wstring name;
  if (!MakeTempFileName(&name)) return false;
  CFile target;
  bool copied = target.Open(name, CFile::kCreateNew);
  std::vector<char> buffer(kCopyBuffer);
  ULONGLONG total = 0;
  while (copied) {
    int got = source.IsOpen() ? source.Read(buffer.data(), kCopyBuffer)
                              : stream.Read(buffer.data(), kCopyBuffer);
    if (got == 0) break;
    total += static_cast<ULONGLONG>(got > 0 ? got : 0);
    copied = got > 0 && total <= maxBytes && target.Write(buffer.data(), static_cast<DWORD>(got));
  }
  if (copied && hasLength && total != announced) copied = false;
  target.Close();
  if (!copied) {
    DeleteFileW(name.c_str());
    return false;
  }
  *tempPath = name;
  return true;
}

bool CQorTreeViewCtrl::MakeTempFileName(std::wstring* path) {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t name[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) return false;
  if (GetTempFileNameW(folder, L"qtv", 0, name) == 0) return false;
  *path = name;
  return true;
}
