// TreeFixture: folders, files, the control's properties and the tree read
// back through the tree window's messages.
#include "TreeFixture.h"
#include <atomic>
#include <thread>
#include "DialogWatcher.h"
#include "IconFile.h"
#include "ids/QorTreeViewIds.h"

namespace treetest {

std::set<std::string> TempCopies() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::set<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((std::string(temp) + "qtv*.tmp").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.insert(fd.cFileName);
  while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

struct MessageBoxCloser::State {
  std::atomic<bool> stop{false};
  Lines texts;
  std::vector<HWND> owners;
  std::thread thread;
};

MessageBoxCloser::MessageBoxCloser() : m_state(new State) {
  State* s = m_state;
  s->thread = std::thread([s] {
    while (!s->stop) {
      HWND box = FindOwnDialog(L"QorTreeView");
      if (box && IsWindowVisible(box)) {
        char buf[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, buf, sizeof(buf));
        s->texts.push_back(buf);
        s->owners.push_back(GetWindow(box, GW_OWNER));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(10);
      }
      Sleep(10);
    }
  });
}

MessageBoxCloser::~MessageBoxCloser() {
  Texts();
  delete m_state;
}

std::vector<HWND> MessageBoxCloser::Owners() {
  Texts();
  return m_state->owners;
}

Lines MessageBoxCloser::Texts() {
  m_state->stop = true;
  if (m_state->thread.joinable()) m_state->thread.join();
  return m_state->texts;
}

void TreeFixture::SetUp() {
  char temp[MAX_PATH], name[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  ASSERT_NE(GetTempFileNameA(temp, "cfg", 0, name), 0u);
  DeleteFileA(name);
  ASSERT_TRUE(CreateDirectoryA(name, nullptr));
  folder = name;
  copiesBefore = TempCopies();
  ASSERT_EQ(CreateControl(), S_OK);
}

std::set<std::string> TreeFixture::LeftOverCopies() const {
  std::set<std::string> left;
  for (const std::string& n : TempCopies())
    if (!copiesBefore.count(n)) left.insert(n);
  return left;
}

bool TreeFixture::WaitForLog(const std::string& entry, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const std::string& e : c.log)
      if (e == entry) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

HRESULT TreeFixture::CreateControl() { return c.Create(QORTREEVIEW_PROGID); }

void TreeFixture::TearDown() {
  c.Close();
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + "\\" + fd.cFileName).c_str());
    while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

void TreeFixture::Write(const std::string& name, const std::string& bytes) {
  Write(FromAnsi(name), bytes);
}

void TreeFixture::Write(const std::wstring& name, const std::string& bytes) {
  HANDLE h = CreateFileW((FromAnsi(folder) + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(h);
}

void TreeFixture::Remove(const std::string& name) { DeleteFileA((folder + "\\" + name).c_str()); }

void TreeFixture::Configure(const std::string& url, const std::string& file, LONG remote) {
  Configure(FromAnsi(url), FromAnsi(file), remote);
}

void TreeFixture::Configure(const std::wstring& url, const std::wstring& file, LONG remote) {
  ASSERT_EQ(c.PutString(kDispURL, url), S_OK);
  ASSERT_EQ(c.PutString(kDispConfigFile, file), S_OK);
  ASSERT_EQ(c.Put(kDispLocalRemote, VarI4(remote)), S_OK);
}

void TreeFixture::Activate() {
  const RECT pos = {0, 0, 360, 300};
  ASSERT_EQ(c.Activate(pos), S_OK);
  ASSERT_NE(c.TreeWindow(), nullptr);
}

void TreeFixture::Refresh() { ASSERT_EQ(c.Call(kDispRefresh, nullptr), S_OK); }

void TreeFixture::PutBool(DISPID id, bool value) { ASSERT_EQ(c.Put(id, VarBool(value)), S_OK); }

bool TreeFixture::Insert(const std::string& path, const std::string& icon,
                         const std::string& data) {
  return Insert(FromAnsi(path), FromAnsi(icon), FromAnsi(data));
}

bool TreeFixture::Insert(const std::wstring& path, const std::wstring& icon,
                         const std::wstring& data) {
  VARIANT args[3] = {VarBstr(path), VarBstr(icon), VarBstr(data)};
  VARIANT r;
  VariantInit(&r);
  HRESULT hr = c.Call(kDispInsertNode, &r, args, 3);
  for (VARIANT& a : args) VariantClear(&a);
  return hr == S_OK && V_BOOL(&r) == VARIANT_TRUE;
}

HTREEITEM TreeFixture::Root() const {
  return reinterpret_cast<HTREEITEM>(SendMessageW(c.TreeWindow(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

int TreeFixture::ImageCount() const {
  auto list =
      reinterpret_cast<HIMAGELIST>(SendMessageW(c.TreeWindow(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  return list ? ImageList_GetImageCount(list) : -1;
}

COLORREF TreeFixture::Colour(int image) const {
  auto list =
      reinterpret_cast<HIMAGELIST>(SendMessageW(c.TreeWindow(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
  return ImageColour(list, image);
}

namespace {
struct Node {
  HTREEITEM item;
  std::wstring line;  // indentation, label and images
  bool expanded;
};

void Collect(HWND tree, HTREEITEM first, int depth, std::vector<Node>& out) {
  for (HTREEITEM h = first; h;
       h = reinterpret_cast<HTREEITEM>(
           SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h)))) {
    wchar_t text[4096] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    item.hItem = h;
    item.pszText = text;
    item.cchTextMax = 4096;
    item.stateMask = TVIS_EXPANDED;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    std::wstring line = std::wstring(static_cast<size_t>(depth) * 2, L' ') + text + L" [" +
                        std::to_wstring(item.iImage);
    if (item.iSelectedImage != item.iImage) line += L"/" + std::to_wstring(item.iSelectedImage);
    line += L"]";
    out.push_back({h, line, (item.state & TVIS_EXPANDED) != 0});
    Collect(tree,
            reinterpret_cast<HTREEITEM>(
                SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(h))),
            depth + 1, out);
  }
}
}  // namespace

WLines TreeFixture::WideDump() {
  std::vector<Node> nodes;
  HWND tree = c.TreeWindow();
  Collect(tree, Root(), 0, nodes);
  WLines out;
  for (Node& n : nodes) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(n.item));
    out.push_back(n.line + L" {" + c.GetWideString(kDispSelectedData) + L"}" +
                  (n.expanded ? L" +" : L""));
  }
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
  c.Take();
  return out;
}

Lines TreeFixture::Dump() {
  Lines out;
  for (const std::wstring& line : WideDump()) out.push_back(ToAnsi(line));
  return out;
}
}  // namespace treetest
