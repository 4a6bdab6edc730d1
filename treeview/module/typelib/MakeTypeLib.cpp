// MakeTypeLib: writes the control's type library (QorTreeViewLib) with the
// system's type library writer, so that every attribute is exact, help
// strings on dispatch properties included. Usage: MakeTypeLib OUT.tlb win32|win64
// Run at build time under Wine; the result is embedded as TYPELIB 1. Always
// built for x64 and told the target's architecture, so that a build of the
// 32-bit control never has to run a 32-bit program.
#include <windows.h>
#include <oleauto.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>
#include "ids/QorTreeViewIds.h"

namespace {

HRESULT g_hr = S_OK;
int g_line = 0;
#define CHECK(expr)                        \
  do {                                     \
    if (SUCCEEDED(g_hr)) {                 \
      g_hr = (expr);                       \
      if (FAILED(g_hr)) g_line = __LINE__; \
    }                                      \
  } while (0)

// A dispatch interface under construction; indexes count its members.
struct DispInterface {
  ICreateTypeInfo2* info = nullptr;
  UINT nFuncs = 0, nVars = 0;

  // iface: the interface an object property points to (null: its VARTYPE).
  void Property(MEMBERID id, const wchar_t* name, VARTYPE vt, ITypeInfo* iface) {
    VARDESC vd = {};
    vd.memid = id;
    vd.varkind = VAR_DISPATCH;
    vd.elemdescVar.tdesc.vt = vt;
    TYPEDESC pointee = {};
    if (iface) {
      pointee.vt = VT_USERDEFINED;
      CHECK(info->AddRefTypeInfo(iface, &pointee.hreftype));
      vd.elemdescVar.tdesc.vt = VT_PTR;
      vd.elemdescVar.tdesc.lptdesc = &pointee;
    }
    CHECK(info->AddVarDesc(nVars, &vd));
    CHECK(info->SetVarName(nVars, const_cast<LPOLESTR>(name)));
    std::wstring help = std::wstring(L"property ") + name;
    CHECK(info->SetVarDocString(nVars, const_cast<LPOLESTR>(help.c_str())));
    ++nVars;
  }

  // names: the member followed by its parameters' names (a put's value has none).
  void Function(MEMBERID id, INVOKEKIND kind, VARTYPE result, std::vector<DispParam> params,
                const wchar_t* name, const wchar_t* help, UINT nameCount) {
    std::vector<ELEMDESC> elems(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
      elems[i] = {};
      elems[i].tdesc.vt = params[i].vt;
      elems[i].paramdesc.wParamFlags = PARAMFLAG_NONE;
    }
    FUNCDESC fd = {};
    fd.memid = id;
    fd.funckind = FUNC_DISPATCH;
    fd.invkind = kind;
    fd.callconv = CC_STDCALL;
    fd.cParams = static_cast<SHORT>(params.size());
    fd.lprgelemdescParam = elems.empty() ? nullptr : elems.data();
    fd.elemdescFunc.tdesc.vt = result;
    CHECK(info->AddFuncDesc(nFuncs, &fd));
    std::vector<LPOLESTR> names;
    names.push_back(const_cast<LPOLESTR>(name));
    for (UINT i = 0; i + 1 < nameCount; ++i) names.push_back(const_cast<LPOLESTR>(params[i].name));
    CHECK(info->SetFuncAndParamNames(nFuncs, names.data(), static_cast<UINT>(names.size())));
    if (help) CHECK(info->SetFuncDocString(nFuncs, const_cast<LPOLESTR>(help)));
    ++nFuncs;
  }
};

ICreateTypeInfo2* NewType(ICreateTypeLib2* lib, const wchar_t* name, TYPEKIND kind, REFGUID guid,
                          UINT flags, const wchar_t* help) {
  ICreateTypeInfo* ti = nullptr;
  ICreateTypeInfo2* ti2 = nullptr;
  CHECK(lib->CreateTypeInfo(const_cast<LPOLESTR>(name), kind, &ti));
  if (FAILED(g_hr)) return nullptr;
  CHECK(ti->QueryInterface(IID_ICreateTypeInfo2, reinterpret_cast<void**>(&ti2)));
  ti->Release();
  if (FAILED(g_hr)) return nullptr;
  CHECK(ti2->SetGuid(guid));
  CHECK(ti2->SetTypeFlags(flags));
  CHECK(ti2->SetDocString(const_cast<LPOLESTR>(help)));
  return ti2;
}

void Implement(ICreateTypeInfo2* target, UINT index, ITypeInfo* base, INT flags) {
  HREFTYPE href = 0;
  CHECK(target->AddRefTypeInfo(base, &href));
  CHECK(target->AddImplType(index, href));
  if (flags) CHECK(target->SetImplTypeFlags(index, flags));
}

ITypeInfo* AsTypeInfo(ICreateTypeInfo2* cti) {
  ITypeInfo* ti = nullptr;
  CHECK(cti->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&ti)));
  return ti;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool win32 = argc == 3 && wcscmp(argv[2], L"win32") == 0;
  if (argc != 3 || (!win32 && wcscmp(argv[2], L"win64") != 0)) {
    fprintf(stderr, "usage: MakeTypeLib OUT.tlb win32|win64\n");
    return 2;
  }
  CoInitialize(nullptr);
  ICreateTypeLib2* lib = nullptr;
  ITypeLib* stdole = nullptr;
  ITypeInfo* dispatch = nullptr;
  CHECK(CreateTypeLib2(win32 ? SYS_WIN32 : SYS_WIN64, argv[1], &lib));
  CHECK(LoadTypeLib(L"stdole2.tlb", &stdole));
  CHECK(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch));
  if (FAILED(g_hr)) {
    fprintf(stderr, "MakeTypeLib: set-up failed, 0x%08lx at line %d\n",
            static_cast<unsigned long>(g_hr), g_line);
    return 1;
  }
  CHECK(lib->SetName(const_cast<LPOLESTR>(L"QorTreeViewLib")));
  CHECK(lib->SetGuid(LIBID_QorTreeViewLib));
  CHECK(lib->SetVersion(1, 0));
  CHECK(lib->SetLcid(0));
  CHECK(lib->SetLibFlags(LIBFLAG_FCONTROL));
  CHECK(lib->SetDocString(const_cast<LPOLESTR>(L"QorTreeView ActiveX Control module")));
  CHECK(lib->SetHelpFileName(const_cast<LPOLESTR>(L"QorTreeView.hlp")));

  DispInterface dq;
  dq.info = NewType(lib, L"_DQorTreeView", TKIND_DISPATCH, DIID__DQorTreeView,
                    TYPEFLAG_FDISPATCHABLE, L"Dispatch interface for QorTreeView Control");
  if (dq.info) {
    Implement(dq.info, 0, dispatch, 0);
    // Properties first, then functions, each in the members' order; stock
    // members (negative ids) carry no help string.
    for (const DispMember& m : qortreeview::kMembers) {
      if (m.kind != DispKind::Property) continue;
      ITypeInfo* iface = nullptr;
      if (const IID* iid = qortreeview::MemberInterface(m.dispid))
        CHECK(stdole->GetTypeInfoOfGuid(*iid, &iface));
      dq.Property(m.dispid, m.name, m.vt, iface);
      if (iface) iface->Release();
    }
    for (const DispMember& m : qortreeview::kMembers) {
      if (m.kind == DispKind::Property) continue;
      const std::vector<DispParam> params(m.params, m.params + m.cParams);
      const std::wstring kindName = m.kind == DispKind::Method ? L"method " : L"property ";
      const std::wstring help = kindName + m.name;
      const wchar_t* doc = m.dispid < 0 ? nullptr : help.c_str();
      if (m.kind == DispKind::Method) {
        VARTYPE result = m.vt == VT_EMPTY ? VARTYPE(VT_VOID) : m.vt;
        dq.Function(m.dispid, INVOKE_FUNC, result, params, m.name, doc, m.cParams + 1);
        continue;
      }
      // A property with parameters: a get and a put whose last parameter,
      // the new value, has no name.
      dq.Function(m.dispid, INVOKE_PROPERTYGET, m.vt, params, m.name, doc, m.cParams + 1);
      std::vector<DispParam> putParams = params;
      putParams.push_back({nullptr, m.vt});
      dq.Function(m.dispid, INVOKE_PROPERTYPUT, VT_VOID, putParams, m.name, doc, m.cParams + 1);
    }
  }

  DispInterface de;
  de.info = NewType(lib, L"_DQorTreeViewEvents", TKIND_DISPATCH, DIID__DQorTreeViewEvents,
                    TYPEFLAG_FDISPATCHABLE, L"Event interface for QorTreeView Control");
  if (de.info) {
    Implement(de.info, 0, dispatch, 0);
    for (const qortreeview::EventMember& e : qortreeview::kEvents)
      de.Function(e.dispid, INVOKE_FUNC, VT_VOID,
                  std::vector<DispParam>(e.params, e.params + e.cParams), e.name, nullptr,
                  e.cParams + 1);
  }

  ICreateTypeInfo2* coclass =
      NewType(lib, L"QorTreeView", TKIND_COCLASS, CLSID_QorTreeView,
              TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"QorTreeView Control");
  if (coclass && dq.info && de.info) {
    ITypeInfo* tiMain = AsTypeInfo(dq.info);
    ITypeInfo* tiEvents = AsTypeInfo(de.info);
    if (tiMain && tiEvents) {
      Implement(coclass, 0, tiMain, IMPLTYPEFLAG_FDEFAULT);
      Implement(coclass, 1, tiEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
    }
    if (tiMain) tiMain->Release();
    if (tiEvents) tiEvents->Release();
  }
  for (ICreateTypeInfo2* t : {dq.info, de.info, coclass}) {
    if (t) {
      CHECK(t->LayOut());
      t->Release();
    }
  }
  CHECK(lib->SaveAllChanges());
  if (dispatch) dispatch->Release();
  if (stdole) stdole->Release();
  if (lib) lib->Release();
  CoUninitialize();
  if (FAILED(g_hr)) {
    fprintf(stderr, "MakeTypeLib: failed, 0x%08lx at line %d\n", static_cast<unsigned long>(g_hr),
            g_line);
    return 1;
  }
  return 0;
}
