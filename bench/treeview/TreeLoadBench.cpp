// TreeLoadBench: times the control's load of a large configuration (local
// mode and remote mode through OrraWebServer.exe) against a bare loop that
// inserts the same nodes into a plain tree-view window with the wide insert
// message the control sends, in the same run.
// Prints one table row per measurement; medians of several runs.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "ids/QorTreeViewIds.h"
#include "ServerProcess.h"
#include "TestContainer.h"

namespace {
const DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS |
                         TVS_HASLINES | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc),
                       sizeof(pmc));
  return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

// Records four levels deep: 10 areas, 10 units, 10 lines, leaves below;
// one record per leaf, the levels above created by the leaves' paths.
struct Record {
  int depth;  // 0..3 for the nodes a record creates in order
  std::wstring label;
};

std::string Config(int leaves, std::vector<Record>& nodes) {
  std::string text;
  const int perLine = leaves / 1000;
  for (int a = 0; a < 10; ++a) {
    nodes.push_back({0, L"Area " + std::to_wstring(a)});
    for (int u = 0; u < 10; ++u) {
      nodes.push_back({1, L"Unit " + std::to_wstring(u)});
      for (int l = 0; l < 10; ++l) {
        nodes.push_back({2, L"Line " + std::to_wstring(l)});
        for (int i = 0; i < perLine; ++i) {
          std::string leaf = "Item " + std::to_string(i);
          nodes.push_back({3, std::wstring(leaf.begin(), leaf.end())});
          text += "Area " + std::to_string(a) + "\\Unit " + std::to_string(u) + "\\Line " +
                  std::to_string(l) + "\\" + leaf + "|icon" + std::to_string(i % 4) + "|data " +
                  std::to_string(i) + "\r\n";
        }
      }
    }
  }
  return text;
}

// The insertion time; *clear gets the time of deleting all the items again.
double BareLoop(const std::vector<Record>& nodes, double* clear) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 360, 300,
                                nullptr, nullptr, nullptr, nullptr);
  HWND tree = CreateWindowExW(0, WC_TREEVIEWW, L"", kTreeStyle, 1, 1, 358, 298, parent, nullptr,
                              nullptr, nullptr);
  double t0 = Now();
  HTREEITEM level[4] = {};
  for (const Record& r : nodes) {
    TVINSERTSTRUCTW tvi = {};
    tvi.hParent = r.depth ? level[r.depth - 1] : TVI_ROOT;
    tvi.hInsertAfter = TVI_LAST;
    tvi.item.mask = TVIF_TEXT;
    tvi.item.pszText = const_cast<wchar_t*>(r.label.c_str());
    level[r.depth] = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvi)));
  }
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  double t = Now() - t0;
  t0 = Now();
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  *clear = Now() - t0;
  DestroyWindow(parent);
  return t;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD put = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
}

std::string IconBytes(COLORREF colour) {
  std::string s("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14);
  const unsigned size = 40 + 1024 + 64;
  s.append(reinterpret_cast<const char*>(&size), 4);
  const unsigned offset = 22;
  s.append(reinterpret_cast<const char*>(&offset), 4);
  BITMAPINFOHEADER bih = {};
  bih.biSize = 40;
  bih.biWidth = 16;
  bih.biHeight = 32;
  bih.biPlanes = 1;
  bih.biBitCount = 32;
  s.append(reinterpret_cast<const char*>(&bih), 40);
  for (int i = 0; i < 256; ++i) {
    const char px[4] = {static_cast<char>(GetBValue(colour)), static_cast<char>(GetGValue(colour)),
                        static_cast<char>(GetRValue(colour)), static_cast<char>(0xFF)};
    s.append(px, 4);
  }
  s.append(64, '\0');
  return s;
}

// Times Refresh of a control set to a location, into an emptied tree (the
// same work as the first load) and over the tree of the previous load; the
// first load (at activation) is not timed. Also the private bytes the
// loaded tree holds.
struct ControlTimes {
  double empty = -1, reload = -1;
};
ControlTimes ControlLoad(const std::string& url, LONG remote, int runs, long long* bytes,
                         LRESULT* count) {
  TestContainer c;
  size_t before = PrivateBytes();
  if (FAILED(c.Create(QORTREEVIEW_PROGID))) return {};
  c.PutString(kDispURL, url);
  c.PutString(kDispConfigFile, "tree.txt");
  c.Put(kDispLocalRemote, VarI4(remote));
  RECT pos = {0, 0, 360, 300};
  if (FAILED(c.Activate(pos))) return {};
  *bytes = static_cast<long long>(PrivateBytes()) - static_cast<long long>(before);
  *count = SendMessageW(c.TreeWindow(), TVM_GETCOUNT, 0, 0);
  std::vector<double> empty, reload;
  for (int i = 0; i < runs; ++i) {
    c.Call(kDispRemoveAll, nullptr);
    double t0 = Now();
    c.Call(kDispRefresh, nullptr);
    empty.push_back(Now() - t0);
    t0 = Now();
    c.Call(kDispRefresh, nullptr);
    reload.push_back(Now() - t0);
  }
  return {Median(empty), Median(reload)};
}
}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? atoi(argv[1]) : 5;
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HMODULE ocx = LoadLibraryW((testsupport::ExeFolder() + L"QorTreeView.ocx").c_str());
  typedef HRESULT(STDAPICALLTYPE * ExportFn)();
  auto reg =
      reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(ocx, "DllRegisterServer")));
  if (!reg || FAILED(reg())) {
    fprintf(stderr, "cannot register the control\n");
    return 1;
  }
  testsupport::TempFolder folder(L"qtv-bench");
  char narrow[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, folder.Path().c_str(), -1, narrow, MAX_PATH, nullptr, nullptr);
  const std::string dir = narrow;
  WriteFile(dir + "Default.ico", IconBytes(RGB(128, 128, 128)));
  for (int i = 0; i < 4; ++i)
    WriteFile(dir + "icon" + std::to_string(i) + ".ico", IconBytes(RGB(60 * i, 0, 255)));

  printf(
      "| records | nodes | bare loop (s) | bare loop + clear (s) | control, into an empty tree (s) "
      "| ratio "
      "| control, over the previous tree (s) | ratio | ratio to loop + clear | control, remote (s) "
      "| private bytes per node |\n");
  printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (int leaves : {25000, 50000, 100000}) {
    std::vector<Record> nodes;
    const std::string text = Config(leaves, nodes);
    WriteFile(dir + "tree.txt", text);
    std::vector<double> bare, bareClear;
    for (int i = 0; i < runs; ++i) {
      double clear = 0;
      double insert = BareLoop(nodes, &clear);
      bare.push_back(insert);
      bareClear.push_back(insert + clear);
    }
    long long bytes = 0;
    LRESULT count = 0;
    const ControlTimes local = ControlLoad(dir, 0, runs, &bytes, &count);
    double remote = -1;
    if (leaves == 100000) {
      testsupport::ServerProcess server;
      if (server.Start(folder.Path()) && server.WaitForMainWindow(15000) &&
          server.WaitForLog(L"Listening...", 15000)) {
        long long b2 = 0;
        LRESULT c2 = 0;
        remote = ControlLoad("http://127.0.0.1", 1, runs, &b2, &c2).reload;
        server.CloseAndWait(15000);
      }
    }
    const double b = Median(bare), bc = Median(bareClear);
    printf("| %d | %ld | %.3f | %.3f | %.3f | %.2f | %.3f | %.2f | %.2f | %s | %.0f |\n", leaves,
           static_cast<long>(count), b, bc, local.empty, local.empty / b, local.reload,
           local.reload / b, local.reload / bc,
           remote < 0 ? "-" : std::to_string(remote).substr(0, 5).c_str(),
           static_cast<double>(bytes) / static_cast<double>(nodes.size()));
    fflush(stdout);
  }
  auto unreg = reinterpret_cast<ExportFn>(
      reinterpret_cast<void*>(GetProcAddress(ocx, "DllUnregisterServer")));
  if (unreg) unreg();
  CoUninitialize();
  return 0;
}
