// CQorTreeViewCtrl: construction, the window (creation, resizing, drawing),
// the methods and change handlers, and the reports that the tree makes.
#include "control/CQorTreeViewCtrl.h"
#include "framework/CDialog.h"
#include "framework/COleControlModule.h"
#include "framework/CModuleStateScope.h"
#include "framework/WindowDpi.h"
#include "ids/QorTreeViewIds.h"

namespace {
const CLSID kPropPages[] = {CLSID_QorTreeViewPropPage};
}  // namespace

CQorTreeViewCtrl::CQorTreeViewCtrl()
    : COleControl(DIID__DQorTreeView, DIID__DQorTreeViewEvents),
      m_LocalRemote(0),
      m_ShowError(FALSE),
      m_AsyncLoad(FALSE),
      m_pFilling(nullptr),
      m_nFilling(0),
      m_nLoadId(0),
      m_bGaveUp(false),
      m_font([this] {
        ApplyFont();
        SetModifiedFlag();
      }) {}

CQorTreeViewCtrl::~CQorTreeViewCtrl() {
  // A load under way ends first: its thread and its copies go with it.
  m_pAsyncLoad.reset();
  // The windows go while the members they use still exist.
  DestroyControlWindow();
  for (const std::wstring& copy : m_copies) DeleteFileW(copy.c_str());
}

IUnknown* CQorTreeViewCtrl::CreateObject() {
  return static_cast<IDispatch*>(new CQorTreeViewCtrl());
}

REFCLSID CQorTreeViewCtrl::GetControlClsid() const { return CLSID_QorTreeView; }
REFGUID CQorTreeViewCtrl::GetTypeLibID() const { return LIBID_QorTreeViewLib; }
UINT CQorTreeViewCtrl::GetUserTypeNameID() const { return IDS_CONTROL_NAME; }

UINT CQorTreeViewCtrl::GetVerbNameID(LONG verb) const {
  return verb == OLEIVERB_PRIMARY      ? IDS_VERB_EDIT
         : verb == OLEIVERB_PROPERTIES ? IDS_VERB_PROPERTIES
                                       : 0;
}

UINT CQorTreeViewCtrl::GetPropPageIDs(const CLSID** ids) const {
  *ids = kPropPages;
  return 1;
}

LRESULT CQorTreeViewCtrl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      if (COleControl::HandleMessage(msg, wParam, lParam) == -1) return -1;
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      RECT rc = {1, 1, cs->cx - 1, cs->cy - 1};
      m_tree.Create(kTreeStyle, rc, m_hWnd, IDC_TREE);  // a failure is not detected
      ApplyFont();
      LoadConfiguration();
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      LRESULT r = COleControl::HandleMessage(msg, wParam, lParam);
      const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
      // A show, hide or z-order change carries no size: nothing to fit then.
      if (m_tree.GetSafeHwnd() && !(wp->flags & SWP_NOSIZE)) {
        MoveWindow(m_tree.GetSafeHwnd(), 1, 1, wp->cx - 3, wp->cy - 3, TRUE);
      }
      return r;
    }
    case kWmDpiChangedAfterParent:
      // The tree window gets its own notice and resizes its icons.
      ApplyFont();
      return COleControl::HandleMessage(msg, wParam, lParam);
    case kMsgAsyncLoaded: {
      CModuleStateScope scope;
      OnAsyncLoaded(wParam);
      return 0;
    }
    case WM_DESTROY:
      // The tree goes with the window: a load under way has nothing to fill,
      // and a fill waiting on a message box adds nothing more.
      ++m_nLoadId;
      m_pAsyncLoad.reset();
      if (m_nFilling) m_tree.DeleteAllNodes();
      return COleControl::HandleMessage(msg, wParam, lParam);
    default:
      return COleControl::HandleMessage(msg, wParam, lParam);
  }
}

void CQorTreeViewCtrl::OnDraw(HDC hdc, const RECT& bounds, const RECT& invalid) {
  if (!hdc) return;
  HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(WHITE_BRUSH));
  HGDIOBJ oldPen = SelectObject(hdc, GetStockObject(BLACK_PEN));
  Rectangle(hdc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldPen);
  if (m_tree.GetSafeHwnd()) InvalidateRect(m_tree.GetSafeHwnd(), &invalid, TRUE);
}

void CQorTreeViewCtrl::DoPropExchange(CPropExchange& px) {
  px.String(L"URL", m_URL);
  px.String(L"ConfigFile", m_ConfigFile);
  px.Long(L"LocalRemote", m_LocalRemote);
  px.Bool(L"ShowError", m_ShowError);
  std::wstring insert = m_tree.GetPopupMenuText(0), remove = m_tree.GetPopupMenuText(1);
  px.String(L"PopupMenuText0", insert);
  px.String(L"PopupMenuText1", remove);
  if (!px.IsLoading() || px.GetVersion() >= kAsyncLoadVersion) px.Bool(L"AsyncLoad", m_AsyncLoad);
  if (!px.IsLoading() || px.GetVersion() >= kFontVersion) {
    // No name: no font of its own, the container's is used.
    FontDesc font;
    m_font.Describe(&font);
    BOOL italic = font.italic, underline = font.underline, strike = font.strikethrough;
    LONG size = static_cast<LONG>(font.size);
    px.String(L"FontName", font.name);
    px.Long(L"FontSize", size);
    px.Long(L"FontWeight", font.weight);
    px.Long(L"FontCharset", font.charset);
    px.Bool(L"FontItalic", italic);
    px.Bool(L"FontUnderline", underline);
    px.Bool(L"FontStrikethrough", strike);
    if (px.IsLoading()) {
      font.size = size;
      font.italic = italic != FALSE;
      font.underline = underline != FALSE;
      font.strikethrough = strike != FALSE;
      IFontDisp* object = font.name.empty() ? nullptr : CreateFontObject(font);
      SetFont(object);
      if (object) object->Release();
    }
  } else {
    SetFont(nullptr);  // a state from before Font: the container's font
  }
  if (px.IsLoading()) {
    m_tree.SetShowError(m_ShowError);
    m_tree.SetPopupMenuText(0, insert);
    m_tree.SetPopupMenuText(1, remove);
  }
}

void CQorTreeViewCtrl::AboutBox() {
  COleControlModule* m = COleControlModule::Get();
  CDialog dlg(m ? m->GetResourceHandle() : nullptr, IDD_ABOUTBOX,
              m_hWnd ? GetAncestor(m_hWnd, GA_ROOT) : nullptr);
  dlg.DoModal();
}

bool CQorTreeViewCtrl::InsertNode(const std::wstring& path, const std::wstring& icon,
                                  const std::wstring& data) {
  if (!m_tree.GetSafeHwnd()) return false;
  m_tree.ForgetFailedIcons();
  m_bGaveUp = false;
  return m_tree.InsertNodePath(path, icon, data);
}

bool CQorTreeViewCtrl::RemoveAll() {
  if (!m_tree.GetSafeHwnd()) return false;
  // Also ends a fill waiting on a message box: it adds nothing more.
  return m_tree.DeleteAllNodes();
}

void CQorTreeViewCtrl::OnSelectedNodesChanged() {
  if (m_tree.GetSafeHwnd()) {
    const std::wstring key = m_SelectedNodes;  // the selection report rewrites the member
    m_tree.SelectNodePath(key);
  }
  SetModifiedFlag();
}

void CQorTreeViewCtrl::OnShowErrorChanged() {
  m_tree.SetShowError(m_ShowError);
  SetModifiedFlag();
}

void CQorTreeViewCtrl::SetSelectedLabel(const std::wstring& text) {
  m_SelectedLabel = text;
  BoundPropertyChanged(kDispSelectedLabel);
}

void CQorTreeViewCtrl::SetSelectedNodes(const std::wstring& text) {
  m_SelectedNodes = text;
  BoundPropertyChanged(kDispSelectedNodes);
}

void CQorTreeViewCtrl::SetSelectedData(const std::wstring& text) {
  m_SelectedData = text;
  BoundPropertyChanged(kDispSelectedData);
}

void CQorTreeViewCtrl::FireInsertData() { FireEvent(kEventInsertData); }
void CQorTreeViewCtrl::FireRemoveData() { FireEvent(kEventRemoveData); }
void CQorTreeViewCtrl::FireSelChanged() { FireEvent(kEventSelChanged); }

void CQorTreeViewCtrl::OnAmbientPropertyChanged(DISPID dispid) {
  // DISPID_UNKNOWN: several changed, the scale among them perhaps.
  if (dispid == DISPID_UNKNOWN) m_tree.UpdateScale();
  if (dispid == DISPID_UNKNOWN || dispid == DISPID_AMBIENT_FONT) ApplyFont();
}

bool CQorTreeViewCtrl::EffectiveFont(FontDesc* desc) const {
  if (m_font.Describe(desc)) return true;
  VARIANT ambient;
  if (FAILED(GetAmbientProperty(DISPID_AMBIENT_FONT, &ambient))) return false;
  const bool ok = (V_VT(&ambient) == VT_DISPATCH || V_VT(&ambient) == VT_UNKNOWN) &&
                  DescribeFont(V_UNKNOWN(&ambient), desc);
  VariantClear(&ambient);
  return ok;
}

void CQorTreeViewCtrl::ApplyFont() {
  HWND tree = m_tree.GetSafeHwnd();
  if (!tree) return;
  FontDesc desc;
  HFONT font = EffectiveFont(&desc) ? CreateGdiFont(desc, WindowDpi(tree)) : nullptr;
  if (!font && !m_treeFont.GetSafeHandle()) return;  // the tree keeps its own
  // The tree lets go of the old font before it is deleted.
  SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  m_treeFont.Attach(font);
}

HRESULT CQorTreeViewCtrl::SetFont(IDispatch* font) {
  if (font && !m_font.Set(font)) return DISP_E_TYPEMISMATCH;
  if (!font) m_font.Close();
  ApplyFont();
  SetModifiedFlag();
  return S_OK;
}

IFontDisp* CQorTreeViewCtrl::GetFont() const {
  if (IFontDisp* held = m_font.Get()) {
    held->AddRef();
    return held;
  }
  FontDesc desc;
  if (!EffectiveFont(&desc)) {
    // The tree's own font, as the system gives it.
    HFONT shown =
        m_tree.GetSafeHwnd()
            ? reinterpret_cast<HFONT>(SendMessageW(m_tree.GetSafeHwnd(), WM_GETFONT, 0, 0))
            : nullptr;
    LOGFONTW lf = {};
    if (!GetObjectW(shown ? shown : GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf))
      return nullptr;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    desc.name = lf.lfFaceName;
    desc.size = static_cast<LONGLONG>(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight) * 720000 / dpi;
    desc.weight = lf.lfWeight;
    desc.charset = lf.lfCharSet;
    desc.italic = lf.lfItalic != 0;
    desc.underline = lf.lfUnderline != 0;
    desc.strikethrough = lf.lfStrikeOut != 0;
  }
  return CreateFontObject(desc);
}
