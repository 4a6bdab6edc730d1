// The type library embedded in the module agrees with the control's
// dispatch table: names, dispatch ids, kinds, types, parameters and help
// strings; and it describes exactly the library's three types.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <map>
#include <string>
#include "control/CQorTreeViewCtrl.h"
#include "ids/QorTreeViewIds.h"
#include "TestProcess.h"

namespace {
// The members that a dispatch interface takes over from IUnknown and IDispatch.
bool Inherited(MEMBERID id) { return id >= 0x60000000 && id < 0x60020000; }

std::wstring Str(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : std::wstring(); }

class TypeLibTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(ControlModulePath().c_str(), REGKIND_NONE, &lib), S_OK);
  }
  void TearDown() override {
    if (lib) lib->Release();
  }
  ITypeInfo* Type(REFGUID guid) {
    ITypeInfo* ti = nullptr;
    EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, &ti), S_OK);
    return ti;
  }
  static std::wstring Doc(ITypeInfo* ti, MEMBERID id) {
    BSTR doc = nullptr;
    ti->GetDocumentation(id, nullptr, &doc, nullptr, nullptr);
    std::wstring s = Str(doc);
    SysFreeString(doc);
    return s;
  }
  // Member names of a function: its own, then its parameters'.
  static std::vector<std::wstring> Names(ITypeInfo* ti, MEMBERID id) {
    BSTR names[8] = {};
    UINT n = 0;
    ti->GetNames(id, names, 8, &n);
    std::vector<std::wstring> out;
    for (UINT i = 0; i < n; ++i) {
      out.push_back(Str(names[i]));
      SysFreeString(names[i]);
    }
    return out;
  }
  ITypeLib* lib = nullptr;
};
}  // namespace

TEST_F(TypeLibTest, TheLibraryIsNamedVersionedAndHoldsThreeTypes) {
  TLIBATTR* la = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
  EXPECT_TRUE(IsEqualGUID(la->guid, LIBID_QorTreeViewLib));
  EXPECT_EQ(la->wMajorVerNum, 1);
  EXPECT_EQ(la->wMinorVerNum, 0);
  EXPECT_EQ(la->lcid, 0u);
  EXPECT_TRUE(la->wLibFlags & LIBFLAG_FCONTROL);
  lib->ReleaseTLibAttr(la);
  BSTR name = nullptr, doc = nullptr, help = nullptr;
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &doc, nullptr, &help), S_OK);
  EXPECT_EQ(Str(name), L"QorTreeViewLib");
  EXPECT_EQ(Str(doc), L"QorTreeView ActiveX Control module");
  EXPECT_NE(Str(help).find(L"QorTreeView.hlp"), std::wstring::npos);
  SysFreeString(name);
  SysFreeString(doc);
  SysFreeString(help);
  EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
}

TEST_F(TypeLibTest, EveryDispatchTableRowIsDescribedAlikeAndNothingElse) {
  ITypeInfo* ti = Type(DIID__DQorTreeView);
  ASSERT_NE(ti, nullptr);
  TYPEATTR* ta = nullptr;
  ASSERT_EQ(ti->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
  EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
  const UINT nVars = ta->cVars, nFuncs = ta->cFuncs;
  ti->ReleaseTypeAttr(ta);
  EXPECT_EQ(Doc(ti, MEMBERID_NIL), L"Dispatch interface for QorTreeView Control");

  // What the library says, by dispatch id.
  std::map<MEMBERID, VARDESC*> vars;
  std::map<std::pair<MEMBERID, INVOKEKIND>, FUNCDESC*> funcs;
  for (UINT i = 0; i < nVars; ++i) {
    VARDESC* vd = nullptr;
    ASSERT_EQ(ti->GetVarDesc(i, &vd), S_OK);
    vars[vd->memid] = vd;
  }
  UINT ownFuncs = 0;
  for (UINT i = 0; i < nFuncs; ++i) {
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(ti->GetFuncDesc(i, &fd), S_OK);
    if (Inherited(fd->memid)) {
      ti->ReleaseFuncDesc(fd);
      continue;
    }
    ++ownFuncs;
    funcs[{fd->memid, fd->invkind}] = fd;
  }

  UINT nRows = 0;
  const DispEntry* rows = CQorTreeViewCtrl::DispatchTable(&nRows);
  UINT expectedVars = 0, expectedFuncs = 0;
  for (UINT r = 0; r < nRows; ++r) {
    const DispEntry& e = rows[r];
    SCOPED_TRACE(std::string(e.name, e.name + wcslen(e.name)));
    std::vector<std::wstring> names = Names(ti, e.dispid);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], e.name);
    if (e.kind == DispKind::Property) {
      ++expectedVars;
      ASSERT_EQ(vars.count(e.dispid), 1u);
      EXPECT_EQ(vars[e.dispid]->varkind, VAR_DISPATCH);
      const TYPEDESC& type = vars[e.dispid]->elemdescVar.tdesc;
      if (const IID* iface = qortreeview::MemberInterface(e.dispid)) {
        // An object property names its interface: a pointer to that type.
        ASSERT_EQ(type.vt, VT_PTR);
        ASSERT_EQ(type.lptdesc->vt, VT_USERDEFINED);
        ITypeInfo* pointee = nullptr;
        ASSERT_EQ(ti->GetRefTypeInfo(type.lptdesc->hreftype, &pointee), S_OK);
        TYPEATTR* pa = nullptr;
        ASSERT_EQ(pointee->GetTypeAttr(&pa), S_OK);
        EXPECT_EQ(pa->guid, *iface);
        pointee->ReleaseTypeAttr(pa);
        pointee->Release();
      } else {
        EXPECT_EQ(type.vt, e.vt);
      }
      EXPECT_EQ(Doc(ti, e.dispid), std::wstring(L"property ") + e.name);
      continue;
    }
    // A method, or a property with a parameter as a get and put pair.
    std::vector<INVOKEKIND> kinds;
    if (e.kind == DispKind::Method)
      kinds = {INVOKE_FUNC};
    else
      kinds = {INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT};
    for (INVOKEKIND k : kinds) {
      ++expectedFuncs;
      ASSERT_EQ(funcs.count({e.dispid, k}), 1u) << k;
      FUNCDESC* fd = funcs[{e.dispid, k}];
      EXPECT_EQ(fd->funckind, FUNC_DISPATCH);
      const UINT extra = k == INVOKE_PROPERTYPUT ? 1 : 0;  // the new value
      ASSERT_EQ(static_cast<UINT>(fd->cParams), e.cParams + extra);
      for (UINT p = 0; p < e.cParams; ++p) {
        EXPECT_EQ(fd->lprgelemdescParam[p].tdesc.vt, e.params[p].vt);
        ASSERT_GT(names.size(), p + 1);
        EXPECT_EQ(names[p + 1], e.params[p].name);
      }
      if (extra) {
        EXPECT_EQ(fd->lprgelemdescParam[e.cParams].tdesc.vt, e.vt);
      }
      VARTYPE result = (k == INVOKE_PROPERTYPUT || e.vt == VT_EMPTY) ? VARTYPE(VT_VOID) : e.vt;
      EXPECT_EQ(fd->elemdescFunc.tdesc.vt, result);
    }
    std::wstring help = Doc(ti, e.dispid);
    if (e.dispid == DISPID_ABOUTBOX)
      EXPECT_EQ(help, L"");
    else if (e.kind == DispKind::Method)
      EXPECT_EQ(help, std::wstring(L"method ") + e.name);
    else
      EXPECT_EQ(help, std::wstring(L"property ") + e.name);
  }
  EXPECT_EQ(nVars, expectedVars);
  EXPECT_EQ(ownFuncs, expectedFuncs);
  for (auto& v : vars) ti->ReleaseVarDesc(v.second);
  for (auto& f : funcs) ti->ReleaseFuncDesc(f.second);
  ti->Release();
}

TEST_F(TypeLibTest, TheEventsAndTheClassAreDescribed) {
  ITypeInfo* ev = Type(DIID__DQorTreeViewEvents);
  ASSERT_NE(ev, nullptr);
  TYPEATTR* ta = nullptr;
  ASSERT_EQ(ev->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->typekind, TKIND_DISPATCH);
  EXPECT_EQ(ta->cVars, 0);
  std::map<MEMBERID, std::vector<VARTYPE>> params;
  for (UINT i = 0; i < ta->cFuncs; ++i) {
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(ev->GetFuncDesc(i, &fd), S_OK);
    if (!Inherited(fd->memid)) {
      std::vector<VARTYPE>& types = params[fd->memid];
      for (SHORT p = 0; p < fd->cParams; ++p) types.push_back(fd->lprgelemdescParam[p].tdesc.vt);
      EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_VOID);
    }
    ev->ReleaseFuncDesc(fd);
  }
  ev->ReleaseTypeAttr(ta);
  EXPECT_EQ(Doc(ev, MEMBERID_NIL), L"Event interface for QorTreeView Control");
  // The events of the list, ids 1 to 4 in order, and nothing else.
  EXPECT_EQ(params.size(), 4u);
  MEMBERID id = 0;
  for (const qortreeview::EventMember& e : qortreeview::kEvents) {
    EXPECT_EQ(e.dispid, ++id);
    std::vector<std::wstring> names = Names(ev, e.dispid);
    ASSERT_EQ(names.size(), e.cParams + 1);
    EXPECT_EQ(names[0], e.name);
    ASSERT_EQ(params[e.dispid].size(), e.cParams);
    for (UINT p = 0; p < e.cParams; ++p) {
      EXPECT_EQ(names[p + 1], e.params[p].name);
      EXPECT_EQ(params[e.dispid][p], e.params[p].vt);
    }
    EXPECT_EQ(Doc(ev, e.dispid), L"");
  }
  EXPECT_EQ(qortreeview::kEvents[3].name, std::wstring(L"LoadComplete"));
  ev->Release();

  ITypeInfo* cls = Type(CLSID_QorTreeView);
  ASSERT_NE(cls, nullptr);
  ASSERT_EQ(cls->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->typekind, TKIND_COCLASS);
  EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCONTROL);
  EXPECT_EQ(ta->cImplTypes, 2);
  cls->ReleaseTypeAttr(ta);
  EXPECT_EQ(Doc(cls, MEMBERID_NIL), L"QorTreeView Control");
  const struct {
    const IID* iid;
    INT flags;
  } impl[] = {{&DIID__DQorTreeView, IMPLTYPEFLAG_FDEFAULT},
              {&DIID__DQorTreeViewEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
  for (UINT i = 0; i < 2; ++i) {
    INT flags = 0;
    HREFTYPE href = 0;
    ITypeInfo* ref = nullptr;
    ASSERT_EQ(cls->GetImplTypeFlags(i, &flags), S_OK);
    EXPECT_EQ(flags, impl[i].flags);
    ASSERT_EQ(cls->GetRefTypeOfImplType(i, &href), S_OK);
    ASSERT_EQ(cls->GetRefTypeInfo(href, &ref), S_OK);
    ASSERT_EQ(ref->GetTypeAttr(&ta), S_OK);
    EXPECT_TRUE(IsEqualGUID(ta->guid, *impl[i].iid));
    ref->ReleaseTypeAttr(ta);
    ref->Release();
  }
  cls->Release();
}
