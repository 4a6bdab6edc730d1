// QorTreeCtrl: the node model (insertion by path, keys, data), the error
// report, and the selection and popup reports to the owner.
#include "tree/QorTreeCtrl.h"
#include "framework/CDialog.h"
#include "framework/CFile.h"
#include "framework/WindowDpi.h"
#include "tree/IconImagePicker.h"
#include "framework/CLineReader.h"
#include "tree/ConfigRecord.h"
#include "tree/FieldSplitter.h"
#include "framework/COleControlModule.h"
#include "tree/QorTreeOwner.h"
#include <algorithm>

namespace {
const wchar_t kInvalidNumber[] = L"Invalid Number";
const wchar_t kFailInsert[] = L"Fail to insert node: ";
const wchar_t kErrorCaption[] = L"QorTreeView";
const wchar_t kInvalidNode[] = L"Invalid Node: ";
// Larger icon files are refused: they are read whole and kept in memory.
const LONGLONG kMaxIconFileBytes = 4 << 20;

// The bytes of a file, or false when it cannot be read or is too large.
bool ReadIconFile(const std::wstring& path, std::string* bytes) {
  CFile file;
  if (!file.Open(path, CFile::kRead)) return false;
  const LONGLONG length = file.GetLength();
  if (length <= 0 || length > kMaxIconFileBytes) return false;
  bytes->resize(static_cast<size_t>(length));
  size_t done = 0;
  while (done < bytes->size()) {
    int n = file.Read(&(*bytes)[done], static_cast<DWORD>(bytes->size() - done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The icon of an icon file's bytes at side by side pixels: the image that
// PickIconImage chose, scaled to that side; null when there is none.
HICON IconAtSide(const std::string& bytes, int side) {
  IconImageSpan span;
  if (!PickIconImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), side, &span))
    return nullptr;
  auto* image = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data() + span.offset));
  return CreateIconFromResourceEx(image, static_cast<DWORD>(span.size), TRUE, 0x00030000, side,
                                  side, LR_DEFAULTCOLOR);
}
}  // namespace

QorTreeCtrl::QorTreeCtrl()
    : m_iconSide(0),
      m_bShowError(false),
      m_nClears(0),
      m_strInsertText(L"Inserir"),
      m_strRemoveText(L"Remover") {
  COleControlModule* m = COleControlModule::Get();
  m_popupMenu.LoadMenu(m ? m->GetResourceHandle() : GetModuleHandleW(nullptr), kIdPopupMenu);
}

QorTreeCtrl::~QorTreeCtrl() { Close(); }

bool QorTreeCtrl::SplitFields(const std::wstring& text, std::vector<std::wstring>* fields,
                              const std::wstring& separators) {
  return SplitQuotedFields(text, fields, separators);
}

bool QorTreeCtrl::InsertNodePath(const std::wstring& path, const std::wstring& icon,
                                 const std::wstring& data) {
  // Counted before anything else: the prefix search below is as costly as
  // the chain it guards against.
  const size_t backslashes = static_cast<size_t>(std::count(path.begin(), path.end(), L'\\'));
  if (backslashes >= kMaxPathDepth) {
    ReportError(kFailInsert + path);
    return false;
  }

  // The longest known prefix, reading the path as written.
  std::wstring key = path;
  size_t strip = 0;
  HTREEITEM parent = nullptr;
  for (;;) {
    auto it = m_mapNodes.find(key);
    if (it != m_mapNodes.end()) {
      parent = it->second;
      break;
    }
    size_t slash = key.rfind(L'\\');
    key.resize(slash == std::wstring::npos ? 0 : slash);
    ++strip;
    if (slash == std::wstring::npos) break;
  }

  std::vector<std::wstring> segments;
  SplitFields(path, &segments, L"\\");
  // A backslash inside quotes makes the prefix search and the segments
  // disagree; such a path is refused rather than nested wrongly.
  if (backslashes + 1 != segments.size() || strip > segments.size()) {
    ReportError(kFailInsert + path);
    return false;
  }

  for (size_t i = segments.size() - strip; i < segments.size(); ++i) {
    key = key.empty() ? segments[i] : key + L"\\" + segments[i];
    // Image and data go with the insertion: one message per node.
    HTREEITEM item = InsertItem(segments[i], parent, NodeImage(icon), m_arrNodeData.size());
    if (!item) {
      ReportError(kFailInsert + path);
      return false;
    }
    m_mapNodes[key] = item;
    m_arrNodeData.push_back(data);
    parent = item;
  }
  return true;
}

bool QorTreeCtrl::DeleteAllNodes() {
  ++m_nClears;
  m_arrNodeData.clear();
  m_mapNodes.clear();
  return DeleteAllItems() != FALSE;
}

void QorTreeCtrl::SelectNodePath(const std::wstring& key) {
  auto it = m_mapNodes.find(key);
  SelectItem(it != m_mapNodes.end() ? it->second : GetRootItem());
}

std::wstring QorTreeCtrl::GetNodePath(HTREEITEM item) const {
  std::wstring path = GetItemText(item);
  for (HTREEITEM h = item ? GetParentItem(item) : nullptr; h; h = GetParentItem(h))
    path = GetItemText(h) + L"\\" + path;
  return path;
}

void QorTreeCtrl::ReportError(const std::wstring& text) {
  // Owned by the container's top-level window, which takes no input while
  // the box is open; scripts still run, and a clear they make ends the fill.
  if (m_bShowError)
    CDialog::MessageBox(m_hWnd ? GetAncestor(m_hWnd, GA_ROOT) : nullptr, text.c_str(),
                        kErrorCaption);
}

void QorTreeCtrl::SetPopupMenuText(int entry, const std::wstring& text) {
  if (entry == 0)
    m_strInsertText = text;
  else if (entry == 1)
    m_strRemoveText = text;
}

std::wstring QorTreeCtrl::GetPopupMenuText(int entry) const {
  if (entry == 0) return m_strInsertText;
  if (entry == 1) return m_strRemoveText;
  return kInvalidNumber;
}

bool QorTreeCtrl::AddIconFile(const std::wstring& path, int* index) {
  // The bytes stay with the image: a scale change rebuilds it from them, and
  // a temporary copy is gone by then.
  std::string bytes;
  if (!ReadIconFile(path, &bytes)) return false;
  HICON icon = IconAtSide(bytes, m_iconSide);
  if (!icon) return false;
  *index = m_imageList.AddIcon(icon);
  DestroyIcon(icon);
  if (*index >= 0) m_iconFiles.push_back(std::move(bytes));
  return true;
}

void QorTreeCtrl::UpdateScale() {
  if (!m_hWnd) return;
  const int side = SmallIconSide(WindowDpi(m_hWnd));
  if (side == m_iconSide) return;
  m_iconSide = side;
  if (!m_imageList.GetSafeHandle()) return;
  CImageList list;
  if (!list.Create(side, side, ILC_COLOR32 | ILC_MASK, static_cast<int>(m_iconFiles.size()), 1))
    return;
  for (const std::string& bytes : m_iconFiles) {
    HICON icon = IconAtSide(bytes, side);
    list.AddIcon(icon);  // loaded once at another side: it loads again
    if (icon) DestroyIcon(icon);
  }
  m_imageList.Swap(list);
  SetImageList(m_imageList.GetSafeHandle(), TVSIL_NORMAL);
}

int QorTreeCtrl::NodeImage(const std::wstring& icon) {
  QorTreeOwner* owner = GetOwner();
  if (!m_imageList.GetSafeHandle()) {
    m_iconSide = SmallIconSide(WindowDpi(m_hWnd));
    if (!m_imageList.Create(m_iconSide, m_iconSide, ILC_COLOR32 | ILC_MASK, 0, 1))
      return icon.empty() ? 0 : I_IMAGENONE;
    SetImageList(m_imageList.GetSafeHandle(), TVSIL_NORMAL);
    std::wstring path;
    if (owner && owner->ResolveFile(IconFileName(kDefaultIconName), &path) == 0) {
      int index;
      // The same file as the icon named Default: one image, one fetch.
      const bool loaded = AddIconFile(path, &index);
      owner->ReleaseFile(path);
      if (loaded) m_mapIcons[kDefaultIconName] = index;
    }
  }
  if (icon.empty()) return 0;
  int index = -1;
  auto it = m_mapIcons.find(icon);
  if (it != m_mapIcons.end()) {
    index = it->second;
  } else if (!m_failedIcons.count(icon)) {
    std::wstring path;
    bool loaded = false;
    if (owner && owner->ResolveFile(IconFileName(icon), &path) == 0) {
      loaded = AddIconFile(path, &index);
      owner->ReleaseFile(path);  // before anything that may throw
    }
    if (loaded)
      m_mapIcons[icon] = index;  // also a failed append: not fetched again
    else
      m_failedIcons.insert(icon);
  }
  // -1 would be the widget's "ask the parent" value, which nobody answers.
  return index < 0 ? I_IMAGENONE : index;
}

std::set<std::wstring> QorTreeCtrl::GetIconNames() const {
  std::set<std::wstring> names;
  for (const auto& icon : m_mapIcons) names.insert(icon.first);
  return names;
}

void QorTreeCtrl::SetNodeIcon(HTREEITEM item, const std::wstring& icon) {
  int index = NodeImage(icon);
  SetItemImage(item, index, index);
}

namespace {
// Turns the widget's drawing off for one scope and on again on every way out.
class RedrawOff {
public:
  explicit RedrawOff(CTreeCtrl& tree) : m_tree(tree) { m_tree.SetRedraw(FALSE); }
  ~RedrawOff() {
    m_tree.SetRedraw(TRUE);
    InvalidateRect(m_tree.GetSafeHwnd(), nullptr, TRUE);
  }
  RedrawOff(const RedrawOff&) = delete;
  RedrawOff& operator=(const RedrawOff&) = delete;

private:
  CTreeCtrl& m_tree;
};
}  // namespace

bool QorTreeCtrl::LoadNodesFromFile(const std::wstring&, const std::wstring& path) {
  // One repaint at the end instead of one per node.
  RedrawOff redrawOff(*this);
  DeleteAllNodes();
  ForgetFailedIcons();
  const unsigned clears = m_nClears;
  CLineReader reader;
  if (!reader.Open(path)) return false;
  {
    std::wstring line;
    std::vector<std::wstring> fields;
    while (clears == m_nClears && reader.ReadLine(&line)) {
      if (!SplitRecord(line, &fields)) {
        ReportError(kInvalidNode + line);
        continue;
      }
      InsertNodePath(fields[0], fields[1], fields[2]);
    }
    HTREEITEM root = clears == m_nClears ? GetRootItem() : nullptr;
    if (root) Expand(root, TVE_EXPAND);
  }
  return true;
}

QorTreeOwner* QorTreeCtrl::GetOwner() const {
  return dynamic_cast<QorTreeOwner*>(CWnd::FromHandle(::GetParent(m_hWnd)));
}

LRESULT QorTreeCtrl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kReflectBase + WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->code == TVN_SELCHANGEDW || hdr->code == TVN_SELCHANGEDA) OnSelChanged();
      return 0;
    }
    case WM_RBUTTONDOWN: {
      POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      OnRButtonDown(pt);
      return Default(msg, wParam, lParam);
    }
    case WM_CONTEXTMENU:
      // Only the keyboard's request (Shift+F10, the menu key) comes at -1,-1;
      // the mouse's follows a press that opened the menu already.
      if (static_cast<short>(LOWORD(lParam)) == -1 && static_cast<short>(HIWORD(lParam)) == -1) {
        OnKeyboardContextMenu();
        return 0;
      }
      return Default(msg, wParam, lParam);
    case kWmDpiChangedAfterParent:
      UpdateScale();
      return Default(msg, wParam, lParam);
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdInsertCommand || LOWORD(wParam) == kIdRemoveCommand) {
        OnPopupCommand(LOWORD(wParam));
        return 0;
      }
      return Default(msg, wParam, lParam);
    default:
      return Default(msg, wParam, lParam);
  }
}

void QorTreeCtrl::OnSelChanged() {
  HTREEITEM item = GetSelectedItem();
  QorTreeOwner* owner = GetOwner();
  if (!item || !owner) return;
  owner->SetSelectedLabel(GetItemText(item));
  owner->SetSelectedNodes(GetNodePath(item));
  size_t index = static_cast<size_t>(GetItemData(item));
  owner->SetSelectedData(index < m_arrNodeData.size() ? m_arrNodeData[index] : std::wstring());
  owner->FireSelChanged();
}

void QorTreeCtrl::OnRButtonDown(POINT pt) {
  ClientToScreen(m_hWnd, &pt);
  OpenPopupMenu(pt);
}

void QorTreeCtrl::OnKeyboardContextMenu() {
  // Below the selected node's label while it is in view, else at the
  // client area's corner, where a click on empty space could be.
  POINT pt = {0, 0};
  RECT client, label;
  HTREEITEM item = GetSelectedItem();
  GetClientRect(m_hWnd, &client);
  if (item && GetItemRect(item, &label, TRUE) && label.bottom > client.top &&
      label.top < client.bottom) {
    pt.x = label.left;
    pt.y = std::min(label.bottom, client.bottom);
  }
  ClientToScreen(m_hWnd, &pt);
  OpenPopupMenu(pt);
}

void QorTreeCtrl::OpenPopupMenu(POINT screenPt) {
  HMENU popup = m_popupMenu.GetSubMenu(0);
  if (!popup) return;
  CMenu::RemoveCommand(popup, kIdInsertCommand);
  CMenu::RemoveCommand(popup, kIdRemoveCommand);
  CMenu::AppendText(popup, kIdInsertCommand, m_strInsertText);
  CMenu::AppendText(popup, kIdRemoveCommand, m_strRemoveText);
  CMenu::TrackPopup(popup, screenPt, m_hWnd);
}

void QorTreeCtrl::OnPopupCommand(UINT id) {
  QorTreeOwner* owner = GetOwner();
  if (!owner) return;
  owner->SetSelectedLabel(GetItemText(GetSelectedItem()));
  if (id == kIdInsertCommand)
    owner->FireInsertData();
  else
    owner->FireRemoveData();
}
