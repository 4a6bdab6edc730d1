// CQorTreeViewCtrl: the dispatch table of _DQorTreeView, one row per member
// in the interface's order, and the accessors that the rows name.
#include "control/BstrString.h"
#include "control/CQorTreeViewCtrl.h"
#include "ids/QorTreeViewIds.h"

struct CQorTreeViewDispatch {
  static CQorTreeViewCtrl* Ctl(COleControl* p) { return static_cast<CQorTreeViewCtrl*>(p); }

  static HRESULT PutBstr(VARIANT* v, const std::wstring& s) {
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = WideToBstr(s);
    return V_BSTR(v) ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT PutBool(VARIANT* v, bool b) {
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  // A stored string property: read gives a copy, write stores and marks modified.
  template <std::wstring CQorTreeViewCtrl::*M>
  static HRESULT GetString(COleControl* p, const VARIANT*, VARIANT* r) {
    return PutBstr(r, Ctl(p)->*M);
  }
  template <std::wstring CQorTreeViewCtrl::*M>
  static HRESULT SetString(COleControl* p, const VARIANT*, const VARIANT& v) {
    Ctl(p)->*M = BstrToWide(V_BSTR(&v));
    Ctl(p)->SetModifiedFlag();
    return S_OK;
  }

  static HRESULT AboutBox(COleControl* p, const VARIANT*, VARIANT*) {
    Ctl(p)->AboutBox();
    return S_OK;
  }
  static HRESULT GetLocalRemote(COleControl* p, const VARIANT*, VARIANT* r) {
    V_VT(r) = VT_I4;
    V_I4(r) = Ctl(p)->m_LocalRemote;
    return S_OK;
  }
  static HRESULT SetLocalRemote(COleControl* p, const VARIANT*, const VARIANT& v) {
    Ctl(p)->m_LocalRemote = V_I4(&v);
    Ctl(p)->SetModifiedFlag();
    return S_OK;
  }
  static HRESULT Refresh(COleControl* p, const VARIANT*, VARIANT*) {
    Ctl(p)->LoadConfiguration();
    return S_OK;
  }
  static HRESULT SetSelectedNodes(COleControl* p, const VARIANT*, const VARIANT& v) {
    Ctl(p)->m_SelectedNodes = BstrToWide(V_BSTR(&v));
    Ctl(p)->OnSelectedNodesChanged();
    return S_OK;
  }
  static HRESULT GetPopupMenuText(COleControl* p, const VARIANT* args, VARIANT* r) {
    return PutBstr(r, Ctl(p)->m_tree.GetPopupMenuText(V_I4(&args[0])));
  }
  static HRESULT SetPopupMenuText(COleControl* p, const VARIANT* args, const VARIANT& v) {
    Ctl(p)->m_tree.SetPopupMenuText(V_I4(&args[0]), BstrToWide(V_BSTR(&v)));
    Ctl(p)->SetModifiedFlag();
    return S_OK;
  }
  static HRESULT GetShowError(COleControl* p, const VARIANT*, VARIANT* r) {
    return PutBool(r, Ctl(p)->m_ShowError != FALSE);
  }
  static HRESULT SetShowError(COleControl* p, const VARIANT*, const VARIANT& v) {
    Ctl(p)->m_ShowError = V_BOOL(&v) ? TRUE : FALSE;
    Ctl(p)->OnShowErrorChanged();
    return S_OK;
  }
  static HRESULT GetAsyncLoad(COleControl* p, const VARIANT*, VARIANT* r) {
    return PutBool(r, Ctl(p)->m_AsyncLoad != FALSE);
  }
  static HRESULT SetAsyncLoad(COleControl* p, const VARIANT*, const VARIANT& v) {
    Ctl(p)->m_AsyncLoad = V_BOOL(&v) ? TRUE : FALSE;
    Ctl(p)->SetModifiedFlag();
    return S_OK;
  }
  static HRESULT GetFont(COleControl* p, const VARIANT*, VARIANT* r) {
    IFontDisp* font = Ctl(p)->GetFont();
    if (!font) return E_OUTOFMEMORY;
    V_VT(r) = VT_DISPATCH;
    V_DISPATCH(r) = font;
    return S_OK;
  }
  static HRESULT SetFont(COleControl* p, const VARIANT*, const VARIANT& v) {
    return Ctl(p)->SetFont(V_DISPATCH(&v));
  }
  static HRESULT InsertNode(COleControl* p, const VARIANT* args, VARIANT* r) {
    return PutBool(r, Ctl(p)->InsertNode(BstrToWide(V_BSTR(&args[0])), BstrToWide(V_BSTR(&args[1])),
                                         BstrToWide(V_BSTR(&args[2]))));
  }
  static HRESULT RemoveAll(COleControl* p, const VARIANT*, VARIANT* r) {
    return PutBool(r, Ctl(p)->RemoveAll());
  }

  // The type library is written from the members' list: a table must hold
  // every member once, in the list's order.
  template <size_t N>
  static constexpr bool InListOrder(const DispEntry (&table)[N]) {
    if (N != qortreeview::kMemberCount) return false;
    for (size_t i = 0; i < N; ++i)
      if (table[i].dispid != qortreeview::kMembers[i].dispid) return false;
    return true;
  }

  static const DispEntry* Table(UINT* count) {
    using D = CQorTreeViewDispatch;
    using C = CQorTreeViewCtrl;
    using qortreeview::Member;
    static constexpr DispEntry kTable[] = {
        {Member(kDispAboutBox), D::AboutBox, nullptr},
        {Member(kDispConfigFile), D::GetString<&C::m_ConfigFile>, D::SetString<&C::m_ConfigFile>},
        {Member(kDispLocalRemote), D::GetLocalRemote, D::SetLocalRemote},
        {Member(kDispURL), D::GetString<&C::m_URL>, D::SetString<&C::m_URL>},
        {Member(kDispRefresh), D::Refresh, nullptr},
        {Member(kDispSelectedNodes), D::GetString<&C::m_SelectedNodes>, D::SetSelectedNodes},
        {Member(kDispSelectedLabel), D::GetString<&C::m_SelectedLabel>,
         D::SetString<&C::m_SelectedLabel>},
        {Member(kDispSelectedData), D::GetString<&C::m_SelectedData>,
         D::SetString<&C::m_SelectedData>},
        {Member(kDispPopupMenuText), D::GetPopupMenuText, D::SetPopupMenuText},
        {Member(kDispShowError), D::GetShowError, D::SetShowError},
        {Member(kDispInsertNode), D::InsertNode, nullptr},
        {Member(kDispRemoveAll), D::RemoveAll, nullptr},
        {Member(kDispAsyncLoad), D::GetAsyncLoad, D::SetAsyncLoad},
        {Member(kDispFont), D::GetFont, D::SetFont},
    };
    static_assert(InListOrder(kTable), "the dispatch table differs from the members' list");
    *count = sizeof(kTable) / sizeof(kTable[0]);
    return kTable;
  }
};

const DispEntry* CQorTreeViewCtrl::DispatchTable(UINT* count) {
  return CQorTreeViewDispatch::Table(count);
}
