// The control in a container: created by its ProgID after registration,
// activated in place, driven through IDispatch::Invoke; each test checks the
// values and results and the events and property notices that followed, in
// order.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objsafe.h>
#include <algorithm>
#include <map>
#include "DialogWatcher.h"
#include "ids/QorTreeViewIds.h"
#include "ProgramProcess.h"
#include "TestContainer.h"
#include "TestProcess.h"

namespace {
using Log = std::vector<std::string>;

HMODULE g_module = nullptr;

typedef HRESULT(STDAPICALLTYPE* ExportFn)();
ExportFn Export(const char* name) {
  return reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(g_module, name)));
}

// Registers the module once for the whole program, and removes it after.
class RegisteredModule : public ::testing::Environment {
public:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    g_module = LoadLibraryW(ControlModulePath().c_str());
    ASSERT_NE(g_module, nullptr);
    ExportFn reg = Export("DllRegisterServer");
    ASSERT_NE(reg, nullptr);
    ASSERT_EQ(reg(), S_OK);
  }
  void TearDown() override {
    ExportFn unreg = Export("DllUnregisterServer");
    EXPECT_EQ(unreg(), S_OK);
    CoUninitialize();
  }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new RegisteredModule);

const RECT kPos = {10, 10, 310, 210};  // 300 by 200

class ControlTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(c.Create(QORTREEVIEW_PROGID), S_OK); }
  void Activate() {
    ASSERT_EQ(c.Activate(kPos), S_OK);
    ASSERT_NE(c.TreeWindow(), nullptr);
  }
  bool Insert(const std::string& path, const std::string& data = "") {
    VARIANT args[3] = {VarBstr(path), VarBstr(""), VarBstr(data)};
    VARIANT r;
    HRESULT hr = c.Call(kDispInsertNode, &r, args, 3);
    for (VARIANT& a : args) VariantClear(&a);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(V_VT(&r), VT_BOOL);
    return V_BOOL(&r) == VARIANT_TRUE;
  }
  VARIANT_BOOL CallBool(DISPID id) {
    VARIANT r;
    EXPECT_EQ(c.Call(id, &r), S_OK);
    EXPECT_EQ(V_VT(&r), VT_BOOL);
    return V_BOOL(&r);
  }
  LRESULT TreeCount() { return SendMessageW(c.TreeWindow(), TVM_GETCOUNT, 0, 0); }
  std::string PopupText(LONG n) {
    VARIANT idx = VarI4(n), r;
    EXPECT_EQ(c.Get(kDispPopupMenuText, &r, &idx, 1), S_OK);
    std::string s = V_VT(&r) == VT_BSTR ? ToAnsi(V_BSTR(&r)) : "<not a string>";
    VariantClear(&r);
    return s;
  }
  bool Dirty() {
    IPersistStreamInit* p = nullptr;
    c.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&p));
    HRESULT hr = p->IsDirty();
    p->Release();
    return hr == S_OK;
  }
  // A bounding rectangle of a child in its parent's client coordinates.
  static RECT ChildRect(HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }

  TestContainer c;
};
}  // namespace

TEST_F(ControlTest, ANewControlReadsItsDefaults) {
  VARIANT v;
  ASSERT_EQ(c.Get(kDispShowError, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_BOOL);
  EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_VT(&v), VT_I4);
  EXPECT_EQ(V_I4(&v), 0);
  for (DISPID id :
       {kDispConfigFile, kDispURL, kDispSelectedNodes, kDispSelectedLabel, kDispSelectedData})
    EXPECT_EQ(c.GetString(id), "") << id;
  EXPECT_EQ(PopupText(0), "Inserir");
  EXPECT_EQ(PopupText(1), "Remover");
  EXPECT_EQ(PopupText(2), "Invalid Number");
  EXPECT_FALSE(Dirty());
  EXPECT_TRUE(c.Take().empty());
}

TEST_F(ControlTest, StoredPropertiesReadBackWhatWasWrittenAndOnlyMarkTheControlModified) {
  const std::string text = "C:\\cfg\\\xe1rvore \xe9.txt";  // system code page both ways
  for (DISPID id : {kDispConfigFile, kDispURL, kDispSelectedLabel, kDispSelectedData}) {
    ASSERT_EQ(c.PutString(id, text), S_OK);
    EXPECT_EQ(c.GetString(id), text);
  }
  VARIANT v = VarI4(-7);
  ASSERT_EQ(c.Put(kDispLocalRemote, v), S_OK);
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), -7);
  EXPECT_TRUE(Dirty());
  EXPECT_TRUE(c.Take().empty());  // a container's write announces nothing
}

TEST_F(ControlTest, ArgumentsAreConvertedAndWrongTypesOrMembersFailWithoutHarm) {
  VARIANT v = VarBstr("12");
  EXPECT_EQ(c.Put(kDispLocalRemote, v), S_OK);
  VariantClear(&v);
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), 12);
  v = VarI4(-1);
  EXPECT_EQ(c.Put(kDispShowError, v), S_OK);
  ASSERT_EQ(c.Get(kDispShowError, &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);

  v = VarBstr("not a number");
  EXPECT_EQ(c.Put(kDispLocalRemote, v), DISP_E_TYPEMISMATCH);
  VariantClear(&v);
  EXPECT_EQ(c.Get(99, &v), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(c.Call(kDispInsertNode, &v), DISP_E_BADPARAMCOUNT);
  v = VarI4(1);
  EXPECT_EQ(c.Put(kDispRefresh, v), DISP_E_MEMBERNOTFOUND);
  // Still usable, and unchanged by the failures.
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), 12);
}

TEST_F(ControlTest, NamesResolveToTheirDispatchIdsAndParameterPositions) {
  const wchar_t* names[] = {L"insertnode", L"sNodeData", L"sNodePath"};
  DISPID ids[3];
  ASSERT_EQ(c.Control()->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names), 3, 0, ids), S_OK);
  EXPECT_EQ(ids[0], kDispInsertNode);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 0);
  const struct {
    const wchar_t* name;
    DISPID id;
  } members[] = {{L"AboutBox", kDispAboutBox},
                 {L"ConfigFile", kDispConfigFile},
                 {L"LocalRemote", kDispLocalRemote},
                 {L"URL", kDispURL},
                 {L"Refresh", kDispRefresh},
                 {L"SelectedNodes", kDispSelectedNodes},
                 {L"SelectedLabel", kDispSelectedLabel},
                 {L"SelectedData", kDispSelectedData},
                 {L"PopupMenuText", kDispPopupMenuText},
                 {L"ShowError", kDispShowError},
                 {L"InsertNode", kDispInsertNode},
                 {L"RemoveAll", kDispRemoveAll}};
  for (const auto& m : members) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(m.name);
    EXPECT_EQ(c.Control()->GetIDsOfNames(IID_NULL, &n, 1, 0, &id), S_OK);
    EXPECT_EQ(id, m.id);
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"Nothing");
  DISPID id = 0;
  EXPECT_EQ(c.Control()->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(ControlTest, WithoutAWindowInsertNodeAndRemoveAllReturnFalseAndAddNothing) {
  EXPECT_FALSE(Insert("A\\B"));
  EXPECT_EQ(CallBool(kDispRemoveAll), VARIANT_FALSE);
  EXPECT_EQ(c.PutString(kDispSelectedNodes, "A"), S_OK);  // selects nothing
  EXPECT_EQ(c.Call(kDispRefresh, nullptr), S_OK);
  Activate();
  EXPECT_EQ(TreeCount(), 0);
  EXPECT_TRUE(c.Take().empty());
}

TEST_F(ControlTest, ActivationCreatesTheTreeWindowInsideTheFrame) {
  Activate();
  EXPECT_EQ(c.inPlaceActivations, 1);
  HWND ctl = c.ControlWindow();
  EXPECT_EQ(GetParent(ctl), c.HostWindow());
  RECT rc = ChildRect(ctl);
  EXPECT_EQ(rc.left, 10);
  EXPECT_EQ(rc.right, 310);
  HWND tree = c.TreeWindow();
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(tree, GWL_STYLE)), 0x50810033u);
  rc = ChildRect(tree);
  EXPECT_EQ(rc.left, 1);
  EXPECT_EQ(rc.top, 1);
  EXPECT_EQ(rc.right, 299);
  EXPECT_EQ(rc.bottom, 199);
}

TEST_F(ControlTest, AResizeFitsTheTreeWindowOnePixelShortOfTheFrame) {
  Activate();
  IOleInPlaceObject* ipo = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo)),
            S_OK);
  RECT pos = {20, 30, 420, 280};  // 400 by 250
  EXPECT_EQ(ipo->SetObjectRects(&pos, &pos), S_OK);
  ipo->Release();
  RECT rc = ChildRect(c.TreeWindow());
  EXPECT_EQ(rc.left, 1);
  EXPECT_EQ(rc.top, 1);
  EXPECT_EQ(rc.right - rc.left, 397);
  EXPECT_EQ(rc.bottom - rc.top, 247);
}

TEST_F(ControlTest, InsertNodeCreatesMissingNodesOnceAndStaysQuiet) {
  Activate();
  EXPECT_TRUE(Insert("A\\B", "b"));
  EXPECT_EQ(TreeCount(), 2);
  EXPECT_TRUE(Insert("A\\B", "other"));
  EXPECT_EQ(TreeCount(), 2);
  EXPECT_TRUE(c.Take().empty());
  EXPECT_FALSE(Dirty());
}

TEST_F(ControlTest, WritingSelectedNodesSelectsTheNodeAndReportsBeforeReturning) {
  Activate();
  ASSERT_TRUE(Insert("A", "a"));
  ASSERT_TRUE(Insert("A\\B\\C", "c"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A\\B\\C"), S_OK);
  EXPECT_EQ(c.Take(), (Log{"changed:SelectedLabel", "changed:SelectedNodes", "changed:SelectedData",
                           "event:SelChanged"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "C");
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "A\\B\\C");
  EXPECT_EQ(c.GetString(kDispSelectedData), "c");
  EXPECT_TRUE(Dirty());
  // The same node again: the widget reports no change.
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A\\B\\C"), S_OK);
  EXPECT_TRUE(c.Take().empty());
}

TEST_F(ControlTest, AnUnknownPathSelectsTheFirstTopNode) {
  Activate();
  ASSERT_TRUE(Insert("A", "a"));
  ASSERT_TRUE(Insert("Z\\Y", "y"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "Z\\Y"), S_OK);
  c.Take();
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "no such node"), S_OK);
  EXPECT_EQ(c.Take(), (Log{"changed:SelectedLabel", "changed:SelectedNodes", "changed:SelectedData",
                           "event:SelChanged"}));
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "A");
  // Already on the first node: nothing changes, the written text stays.
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "still nothing"), S_OK);
  EXPECT_TRUE(c.Take().empty());
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "still nothing");
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "A");
}

TEST_F(ControlTest, WritingLabelOrDataLeavesTheSelectionAlone) {
  Activate();
  ASSERT_TRUE(Insert("A\\B"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A\\B"), S_OK);
  c.Take();
  ASSERT_EQ(c.PutString(kDispSelectedLabel, "x"), S_OK);
  ASSERT_EQ(c.PutString(kDispSelectedData, "y"), S_OK);
  EXPECT_TRUE(c.Take().empty());
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "A\\B");
  HTREEITEM sel =
      reinterpret_cast<HTREEITEM>(SendMessageW(c.TreeWindow(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  EXPECT_NE(sel, nullptr);
}

TEST_F(ControlTest, RemoveAllEmptiesTheTreeAndKeepsTheSelectionProperties) {
  Activate();
  ASSERT_TRUE(Insert("A\\B", "d"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A\\B"), S_OK);
  c.Take();
  EXPECT_EQ(CallBool(kDispRemoveAll), VARIANT_TRUE);
  EXPECT_EQ(TreeCount(), 0);
  EXPECT_EQ(c.GetString(kDispSelectedNodes), "A\\B");
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "B");
  EXPECT_EQ(c.GetString(kDispSelectedData), "d");
  EXPECT_TRUE(c.Take().empty());
}

TEST_F(ControlTest, PopupTextsChangeForEntriesZeroAndOneAndAnyWriteMarksModified) {
  VARIANT idx = VarI4(0), text = VarBstr("Add");
  ASSERT_EQ(c.Put(kDispPopupMenuText, text, &idx, 1), S_OK);
  VariantClear(&text);
  idx = VarI4(2);
  text = VarBstr("ignored");
  ASSERT_EQ(c.Put(kDispPopupMenuText, text, &idx, 1), S_OK);
  VariantClear(&text);
  EXPECT_EQ(PopupText(0), "Add");
  EXPECT_EQ(PopupText(1), "Remover");
  EXPECT_EQ(PopupText(2), "Invalid Number");
  EXPECT_TRUE(Dirty());
}

TEST_F(ControlTest, APopupCommandAnnouncesTheLabelOnlyThenFires) {
  Activate();
  ASSERT_TRUE(Insert("A\\B"));
  ASSERT_EQ(c.PutString(kDispSelectedNodes, "A\\B"), S_OK);
  c.Take();
  SendMessageW(c.TreeWindow(), WM_COMMAND, 32768, 0);
  EXPECT_EQ(c.Take(), (Log{"changed:SelectedLabel", "event:InsertData"}));
  SendMessageW(c.TreeWindow(), WM_COMMAND, 32769, 0);
  EXPECT_EQ(c.Take(), (Log{"changed:SelectedLabel", "event:RemoveData"}));
  EXPECT_EQ(c.GetString(kDispSelectedLabel), "B");
}

TEST_F(ControlTest, ARefusedNodeIsShownOnlyWhileShowErrorIsTrue) {
  Activate();
  {
    DialogWatcher none(L"QorTreeView");
    EXPECT_FALSE(Insert("\"a\\b\""));
    Sleep(200);
    EXPECT_FALSE(none.Seen());
  }
  VARIANT t = VarBool(true);
  ASSERT_EQ(c.Put(kDispShowError, t), S_OK);
  DialogWatcher box(L"QorTreeView");
  EXPECT_FALSE(Insert("\"a\\b\"\\c"));
  Log texts = box.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Fail to insert node: \"a\\b\"\\c"), texts.end());
  EXPECT_EQ(TreeCount(), 0);
}

TEST_F(ControlTest, TheAboutBoxShowsTheVersionAndReturnsWhenClosed) {
  DialogWatcher about(L"About QorTreeView Control");
  EXPECT_EQ(c.Call(DISPID_ABOUTBOX, nullptr), S_OK);
  Log texts = about.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "QorTreeView Control, Version 1.0"), texts.end());
}

namespace {
// A property bag as a web page's <object> element gives one: names to
// values, strings for anything written by hand.
class MemoryBag : public IPropertyBag {
public:
  ~MemoryBag() {
    for (auto& v : values) VariantClear(&v.second);
  }
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown && riid != IID_IPropertyBag) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = this;
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    auto it = values.find(name);
    if (it == values.end()) return E_INVALIDARG;
    VARTYPE wanted = V_VT(v);
    VariantInit(v);
    return wanted == VT_EMPTY ? VariantCopy(v, &it->second)
                              : VariantChangeType(v, &it->second, 0, wanted);
  }
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* v) override {
    VARIANT& slot = values[name];
    VariantClear(&slot);
    return VariantCopy(&slot, v);
  }
  void PutText(const wchar_t* name, const wchar_t* text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
    Write(name, &v);
    VariantClear(&v);
  }
  std::map<std::wstring, VARIANT> values;
};

SIZEL Extent(IUnknown* control) {
  IOleObject* ole = nullptr;
  SIZEL size = {};
  if (SUCCEEDED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)))) {
    ole->GetExtent(DVASPECT_CONTENT, &size);
    ole->Release();
  }
  return size;
}

// The control's state saved into, or loaded from, a bag: the first failure.
HRESULT SaveToBag(IUnknown* control, IPropertyBag* bag) {
  IPersistPropertyBag* persist = nullptr;
  HRESULT hr = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  hr = persist->Save(bag, TRUE, TRUE);
  persist->Release();
  return hr;
}

HRESULT LoadFromBag(IUnknown* control, IPropertyBag* bag) {
  IPersistPropertyBag* persist = nullptr;
  HRESULT hr = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  hr = persist->Load(bag, nullptr);
  persist->Release();
  return hr;
}
}  // namespace

namespace {
// A stream holding the given bytes, at its start.
IStream* StreamOf(const void* bytes, ULONG size) {
  IStream* stm = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &stm);
  stm->Write(bytes, size, nullptr);
  LARGE_INTEGER zero = {};
  stm->Seek(zero, STREAM_SEEK_SET, nullptr);
  return stm;
}
}  // namespace

TEST_F(ControlTest, SavingAndReloadingRestoresThePropertiesAndTheFirstLoadUsesThem) {
  char temp[MAX_PATH], name[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  ASSERT_NE(GetTempFileNameA(temp, "cfg", 0, name), 0u);
  HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  WriteFile(h, "Saved\n", 6, nullptr, nullptr);
  CloseHandle(h);
  std::string folder = name, file = folder.substr(folder.rfind('\\') + 1);
  folder.resize(folder.rfind('\\'));

  Activate();
  ASSERT_EQ(c.PutString(kDispURL, folder), S_OK);
  ASSERT_EQ(c.PutString(kDispConfigFile, file), S_OK);
  ASSERT_EQ(c.Put(kDispLocalRemote, VarI4(0)), S_OK);
  ASSERT_EQ(c.Put(kDispShowError, VarBool(true)), S_OK);
  VARIANT idx = VarI4(1), text = VarBstr("Apagar");
  ASSERT_EQ(c.Put(kDispPopupMenuText, text, &idx, 1), S_OK);
  VariantClear(&text);
  ASSERT_TRUE(Insert("A"));
  IOleObject* ole = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
  SIZEL extent = {5000, 3000};
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  ole->Release();
  IStream* stm = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stm), S_OK);
  IPersistStreamInit* ps = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)),
            S_OK);
  ASSERT_EQ(ps->Save(stm, TRUE), S_OK);
  EXPECT_EQ(ps->IsDirty(), S_FALSE);
  ULARGE_INTEGER max = {};
  EXPECT_EQ(ps->GetSizeMax(&max), S_OK);
  ps->Release();
  c.Close();

  // The saved state: the version stamp 1.3, the extent, then the properties.
  STATSTG st = {};
  stm->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(max.QuadPart, st.cbSize.QuadPart);
  LARGE_INTEGER zero = {};
  stm->Seek(zero, STREAM_SEEK_SET, nullptr);
  DWORD version = 0;
  ULONG got = 0;
  ASSERT_EQ(stm->Read(&version, sizeof(version), &got), S_OK);
  EXPECT_EQ(version, 0x10003u);
  stm->Seek(zero, STREAM_SEEK_SET, nullptr);

  TestContainer again;
  ASSERT_EQ(again.Create(QORTREEVIEW_PROGID), S_OK);
  ASSERT_EQ(again.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)),
            S_OK);
  EXPECT_EQ(ps->Load(stm), S_OK);
  ps->Release();
  stm->Release();
  EXPECT_EQ(Extent(again.Unknown()).cx, 5000);
  EXPECT_EQ(Extent(again.Unknown()).cy, 3000);
  ASSERT_EQ(again.Activate(kPos), S_OK);
  EXPECT_EQ(again.GetString(kDispURL), folder);
  EXPECT_EQ(again.GetString(kDispConfigFile), file);
  VARIANT v;
  ASSERT_EQ(again.Get(kDispShowError, &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
  ASSERT_EQ(again.Get(kDispPopupMenuText, &v, &idx, 1), S_OK);
  EXPECT_EQ(ToAnsi(V_BSTR(&v)), "Apagar");
  VariantClear(&v);
  // The load at the window's creation read the saved configuration.
  EXPECT_EQ(SendMessageW(again.TreeWindow(), TVM_GETCOUNT, 0, 0), 1);
  DeleteFileA(name);

  // A stream of the version before (version and extent only) loads as it did.
  const DWORD old[3] = {0x10000, 4000, 2000};
  stm = StreamOf(old, sizeof(old));
  TestContainer older;
  ASSERT_EQ(older.Create(QORTREEVIEW_PROGID), S_OK);
  ASSERT_EQ(older.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)),
            S_OK);
  EXPECT_EQ(ps->Load(stm), S_OK);
  ps->Release();
  stm->Release();
  EXPECT_EQ(Extent(older.Unknown()).cx, 4000);
  EXPECT_EQ(older.GetString(kDispURL), "");
  EXPECT_EQ(older.GetString(kDispConfigFile), "");
}

TEST_F(ControlTest, APropertyBagOrAStorageCarriesTheStateAndAHandWrittenBagStillLoads) {
  IOleObject* ole = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
  SIZEL extent = {4321, 1234};
  ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  ole->Release();

  MemoryBag saved;
  ASSERT_EQ(SaveToBag(c.Unknown(), &saved), S_OK);
  ASSERT_EQ(saved.values.size(), 17u);
  EXPECT_EQ(V_I4(&saved.values[L"_Version"]), 0x10003);
  EXPECT_EQ(V_VT(&saved.values[L"AsyncLoad"]), VT_BOOL);
  EXPECT_EQ(V_VT(&saved.values[L"URL"]), VT_BSTR);
  EXPECT_EQ(ToAnsi(V_BSTR(&saved.values[L"PopupMenuText0"])), "Inserir");
  EXPECT_EQ(V_I4(&saved.values[L"_ExtentX"]), 4321);
  EXPECT_EQ(V_I4(&saved.values[L"_ExtentY"]), 1234);

  IStorage* stg = nullptr;
  ILockBytes* bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                         0, &stg),
            S_OK);
  IPersistStorage* ps = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)), S_OK);
  ASSERT_EQ(ps->Save(stg, TRUE), S_OK);
  ps->Release();
  c.Close();

  // Each form brings the extent back into a new control.
  {
    TestContainer fromBag;
    ASSERT_EQ(fromBag.Create(QORTREEVIEW_PROGID), S_OK);
    EXPECT_EQ(LoadFromBag(fromBag.Unknown(), &saved), S_OK);
    EXPECT_EQ(Extent(fromBag.Unknown()).cx, 4321);
    EXPECT_EQ(Extent(fromBag.Unknown()).cy, 1234);
  }
  {
    TestContainer fromStorage;
    ASSERT_EQ(fromStorage.Create(QORTREEVIEW_PROGID), S_OK);
    ASSERT_EQ(
        fromStorage.Unknown()->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&ps)),
        S_OK);
    EXPECT_EQ(ps->Load(stg), S_OK);
    ps->Release();
    EXPECT_EQ(Extent(fromStorage.Unknown()).cx, 4321);
    EXPECT_EQ(Extent(fromStorage.Unknown()).cy, 1234);
  }
  stg->Release();
  bytes->Release();

  // A page's parameters: text values, a value that is not a number and a
  // missing one. The load succeeds (a failure would stop the page from
  // showing the control), takes what converts, and keeps the default where
  // there is none.
  TestContainer fromPage;
  ASSERT_EQ(fromPage.Create(QORTREEVIEW_PROGID), S_OK);
  const SIZEL defaults = Extent(fromPage.Unknown());
  MemoryBag page;
  page.PutText(L"_ExtentX", L"2500");
  page.PutText(L"_ExtentY", L"wide");
  page.PutText(L"URL", L"http://127.0.0.1");
  page.PutText(L"LocalRemote", L"1");
  page.PutText(L"ShowError", L"wrong");
  page.PutText(L"PopupMenuText1", L"Apagar");
  page.PutText(L"AsyncLoad", L"True");
  EXPECT_EQ(LoadFromBag(fromPage.Unknown(), &page), S_OK);
  MemoryBag empty;
  EXPECT_EQ(LoadFromBag(fromPage.Unknown(), &empty), S_OK);
  EXPECT_EQ(Extent(fromPage.Unknown()).cx, 2500);
  EXPECT_EQ(Extent(fromPage.Unknown()).cy, defaults.cy);
  EXPECT_EQ(fromPage.GetString(kDispURL), "http://127.0.0.1");
  VARIANT v;
  ASSERT_EQ(fromPage.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), 1);
  ASSERT_EQ(fromPage.Get(kDispShowError, &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
  ASSERT_EQ(fromPage.Get(kDispAsyncLoad, &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
  VARIANT idx = VarI4(1);
  ASSERT_EQ(fromPage.Get(kDispPopupMenuText, &v, &idx, 1), S_OK);
  EXPECT_EQ(ToAnsi(V_BSTR(&v)), "Apagar");
  VariantClear(&v);
}

namespace {
// Pieces of a saved stream: a number, and a text with its byte count.
std::string Number(DWORD n) { return std::string(reinterpret_cast<const char*>(&n), sizeof(n)); }
std::string Text(const std::wstring& w) {
  return Number(static_cast<DWORD>(w.size() * sizeof(wchar_t))) +
         std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
}
}  // namespace

TEST_F(ControlTest, AStreamOfVersionOnePointOneLoadsAndOneCutShortChangesNothing) {
  const std::string v11 = Number(0x10001) + Number(4000) + Number(2000) + Text(L"C:\\old") +
                          Text(L"old.txt") + Number(1) + Number(1) + Text(L"Mais") + Text(L"Menos");
  IPersistStreamInit* ps = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)),
            S_OK);
  IStream* stm = StreamOf(v11.data(), static_cast<ULONG>(v11.size()));
  EXPECT_EQ(ps->Load(stm), S_OK);
  stm->Release();
  EXPECT_EQ(c.GetString(kDispConfigFile), "old.txt");
  EXPECT_EQ(PopupText(1), "Menos");
  EXPECT_EQ(Extent(c.Unknown()).cx, 4000);

  // A stream of version 1.2 that ends inside PopupMenuText1.
  const std::string cut = Number(0x10002) + Number(5000) + Number(3000) + Text(L"C:\\new") +
                          Text(L"new.txt") + Number(0) + Number(0) + Text(L"Novo") + Number(40) +
                          "ab";
  stm = StreamOf(cut.data(), static_cast<ULONG>(cut.size()));
  EXPECT_TRUE(FAILED(ps->Load(stm)));
  stm->Release();
  ps->Release();
  EXPECT_EQ(c.GetString(kDispURL), "C:\\old");
  EXPECT_EQ(c.GetString(kDispConfigFile), "old.txt");
  VARIANT v;
  ASSERT_EQ(c.Get(kDispLocalRemote, &v), S_OK);
  EXPECT_EQ(V_I4(&v), 1);
  ASSERT_EQ(c.Get(kDispShowError, &v), S_OK);
  EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
  EXPECT_EQ(PopupText(0), "Mais");
  EXPECT_EQ(Extent(c.Unknown()).cx, 4000);
}

TEST_F(ControlTest, TheVerbListOffersThePrimaryVerbAndPropertiesForTheContainersMenu) {
  IOleObject* ole = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
  IEnumOLEVERB* verbs = nullptr;
  ASSERT_EQ(ole->EnumVerbs(&verbs), S_OK);
  ole->Release();
  OLEVERB v[3] = {};
  ULONG got = 0;
  EXPECT_EQ(verbs->Next(3, v, &got), S_FALSE);
  verbs->Release();
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(v[0].lVerb, OLEIVERB_PRIMARY);
  EXPECT_STREQ(v[0].lpszVerbName, L"&Editar");
  EXPECT_EQ(v[1].lVerb, OLEIVERB_PROPERTIES);
  EXPECT_STREQ(v[1].lpszVerbName, L"&Propriedades...");
  for (ULONG i = 0; i < got; ++i) {
    EXPECT_EQ(v[i].grfAttribs, static_cast<DWORD>(OLEVERBATTRIB_ONCONTAINERMENU));
    CoTaskMemFree(v[i].lpszVerbName);
  }
}

TEST_F(ControlTest, TheControlNamesItsPageItsEventsAndItsStatus) {
  ISpecifyPropertyPages* spp = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&spp)),
            S_OK);
  CAUUID pages = {};
  ASSERT_EQ(spp->GetPages(&pages), S_OK);
  spp->Release();
  ASSERT_EQ(pages.cElems, 1u);
  EXPECT_TRUE(IsEqualGUID(pages.pElems[0], CLSID_QorTreeViewPropPage));
  CoTaskMemFree(pages.pElems);

  IProvideClassInfo2* pci = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&pci)),
            S_OK);
  GUID events = {};
  EXPECT_EQ(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
  EXPECT_TRUE(IsEqualGUID(events, DIID__DQorTreeViewEvents));
  ITypeInfo* ti = nullptr;
  ASSERT_EQ(pci->GetClassInfo(&ti), S_OK);
  TYPEATTR* ta = nullptr;
  ASSERT_EQ(ti->GetTypeAttr(&ta), S_OK);
  EXPECT_EQ(ta->typekind, TKIND_COCLASS);
  EXPECT_TRUE(IsEqualGUID(ta->guid, CLSID_QorTreeView));
  ti->ReleaseTypeAttr(ta);
  ti->Release();
  pci->Release();

  // It does not claim to be safe for scripting or initialisation.
  IUnknown* safety = nullptr;
  EXPECT_EQ(c.Unknown()->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety)),
            E_NOINTERFACE);
  EXPECT_EQ(safety, nullptr);

  IOleObject* ole = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
  DWORD misc = 0;
  EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  EXPECT_EQ(misc, 0x20191u);
  LPOLESTR name = nullptr;
  EXPECT_EQ(ole->GetUserType(USERCLASSTYPE_FULL, &name), S_OK);
  EXPECT_STREQ(name, L"QorTreeView Control");
  CoTaskMemFree(name);
  ole->Release();
}

TEST_F(ControlTest, ItsConnectionPointsAreListedAndEachFindsItself) {
  IConnectionPointContainer* cpc = nullptr;
  ASSERT_EQ(
      c.Unknown()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)),
      S_OK);
  IEnumConnectionPoints* e = nullptr;
  ASSERT_EQ(cpc->EnumConnectionPoints(&e), S_OK);
  IConnectionPoint* got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(3, got, &fetched), S_FALSE);  // fewer than asked for
  ASSERT_EQ(fetched, 2u);
  std::vector<GUID> iids;
  for (ULONG i = 0; i < fetched; ++i) {
    IID iid = {};
    EXPECT_EQ(got[i]->GetConnectionInterface(&iid), S_OK);
    iids.push_back(iid);
    IConnectionPoint* found = nullptr;
    EXPECT_EQ(cpc->FindConnectionPoint(iid, &found), S_OK);
    EXPECT_EQ(found, got[i]);
    if (found) found->Release();
    got[i]->Release();
  }
  EXPECT_TRUE(IsEqualGUID(iids[0], DIID__DQorTreeViewEvents));
  EXPECT_TRUE(IsEqualGUID(iids[1], IID_IPropertyNotifySink));

  // Skip, Reset and a clone that keeps its own place.
  EXPECT_EQ(e->Skip(5), S_FALSE);
  EXPECT_EQ(e->Next(1, got, nullptr), S_FALSE);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(1), S_OK);
  IEnumConnectionPoints* clone = nullptr;
  ASSERT_EQ(e->Clone(&clone), S_OK);
  EXPECT_EQ(e->Next(1, got, nullptr), S_OK);
  got[0]->Release();
  EXPECT_EQ(e->Next(1, got, nullptr), S_FALSE);
  ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);
  IID iid = {};
  got[0]->GetConnectionInterface(&iid);
  EXPECT_TRUE(IsEqualGUID(iid, IID_IPropertyNotifySink));
  got[0]->Release();
  e->Release();
  cpc->Release();
  // The clone outlives the enumerator and the container's reference; the
  // control stays alive through it until it goes.
  c.Close();
  EXPECT_EQ(clone->Reset(), S_OK);
  EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);
  got[0]->Release();
  clone->Release();
}

TEST_F(ControlTest, ThePropertyPageIsGeneralAndHoldsOnlyThePlaceholder) {
  IPropertyPage* page = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_QorTreeViewPropPage, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IPropertyPage, reinterpret_cast<void**>(&page)),
            S_OK);
  PROPPAGEINFO info = {};
  info.cb = sizeof(info);
  ASSERT_EQ(page->GetPageInfo(&info), S_OK);
  EXPECT_STREQ(info.pszTitle, L"General");
  EXPECT_GT(info.size.cx, 0);
  CoTaskMemFree(info.pszTitle);
  IUnknown* objects[] = {c.Unknown()};
  EXPECT_EQ(page->SetObjects(1, objects), S_OK);
  RECT rc = {0, 0, info.size.cx, info.size.cy};
  ASSERT_EQ(page->Activate(c.HostWindow(), &rc, FALSE), S_OK);
  HWND dlg = FindWindowExW(c.HostWindow(), nullptr, L"#32770", nullptr);
  ASSERT_NE(dlg, nullptr);
  HWND text = GetWindow(dlg, GW_CHILD);
  ASSERT_NE(text, nullptr);
  char buf[200] = {};
  GetWindowTextA(text, buf, sizeof(buf));
  EXPECT_STREQ(
      buf, "TODO: Place controls to manipulate properties of QorTreeView Control on this dialog.");
  EXPECT_EQ(GetWindow(text, GW_HWNDNEXT), nullptr);
  EXPECT_EQ(page->Deactivate(), S_OK);
  EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
  page->Release();
}

namespace {
// Waits for the property frame of this process, reads the caption of its
// first tab, and cancels it.
class FrameWatcher {
public:
  FrameWatcher() : m_thread([this] { Run(); }) {}
  ~FrameWatcher() {
    if (m_thread.joinable()) m_thread.join();
  }
  std::wstring Tab() {
    if (m_thread.joinable()) m_thread.join();
    return m_tab;
  }

private:
  void Run() {
    for (int i = 0; i < 250; ++i) {
      const std::vector<HWND> frames =
          testsupport::FindProcessWindows(GetCurrentProcessId(), L"#32770", nullptr, true);
      HWND frame = frames.empty() ? nullptr : frames.front();
      HWND tabs = frame ? FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr) : nullptr;
      if (tabs) {
        Sleep(100);
        wchar_t text[64] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        m_tab = text;
        PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      Sleep(20);
    }
  }
  std::wstring m_tab;
  std::thread m_thread;
};
}  // namespace

TEST_F(ControlTest, ThePropertiesVerbOpensTheFrameWithTheGeneralPage) {
  Activate();
  IOleObject* ole = nullptr;
  ASSERT_EQ(c.Unknown()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
  FrameWatcher watcher;
  EXPECT_EQ(ole->DoVerb(OLEIVERB_PROPERTIES, nullptr, &c, 0, c.HostWindow(), nullptr), S_OK);
  EXPECT_EQ(watcher.Tab(), L"General");
  ole->Release();
}

TEST_F(ControlTest, TheModuleStaysLoadedWhileObjectsLive) {
  ExportFn canUnload = Export("DllCanUnloadNow");
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_FALSE);
  c.Close();
  EXPECT_EQ(canUnload(), S_OK);

  // A factory held, or a lock on it, keeps the module too.
  typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(g_module, "DllGetClassObject")));
  IClassFactory* factory = nullptr;
  ASSERT_EQ(
      getClassObject(CLSID_QorTreeView, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  EXPECT_EQ(canUnload(), S_FALSE);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  factory->Release();
  EXPECT_EQ(canUnload(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(canUnload(), S_OK);
  IUnknown* outer = static_cast<IOleClientSite*>(&c);  // any outer object: aggregation is refused
  IUnknown* inner = nullptr;
  ASSERT_EQ(
      getClassObject(CLSID_QorTreeView, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&inner)),
            CLASS_E_NOAGGREGATION);
  factory->Release();
  const CLSID other = {0x12345678, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
  void* none = nullptr;
  EXPECT_EQ(getClassObject(other, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
}

namespace {
IFontDisp* NewFont(const wchar_t* name, LONGLONG points) {
  FONTDESC fd = {
      sizeof(fd), const_cast<LPOLESTR>(name), {}, FW_NORMAL, DEFAULT_CHARSET, FALSE, FALSE, FALSE};
  fd.cySize.int64 = points * 10000;
  IFontDisp* font = nullptr;
  OleCreateFontIndirect(&fd, IID_IFontDisp, reinterpret_cast<void**>(&font));
  return font;
}

// The tree's font as "face height", the height in pixels at the screen's scale.
std::string TreeFont(HWND tree) {
  LOGFONTA lf = {};
  auto font = reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0));
  if (!font || !GetObjectA(font, sizeof(lf), &lf)) return "<none>";
  return std::string(lf.lfFaceName) + " " + std::to_string(lf.lfHeight);
}
std::string Expected(const char* face, CY size) {
  HDC screen = GetDC(nullptr);
  const LONGLONG dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return std::string(face) + " " + std::to_string(-((size.int64 * dpi + 360000) / 720000));
}
std::string Expected(const char* face, int points) {
  CY size;
  size.int64 = points * 10000LL;
  return Expected(face, size);
}

// Font = font, as a script's Set statement puts an object.
HRESULT PutFontRef(TestContainer& c, IDispatch* font) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = font;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS p = {&v, &put, 1, 1};
  return c.Control()->Invoke(kDispFont, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, &p, nullptr, nullptr,
                             nullptr);
}
}  // namespace

TEST_F(ControlTest, TheFontPropertyOverridesTheAmbientFontAndTravelsWithTheState) {
  IFontDisp* tahoma = NewFont(L"Tahoma", 14);
  IFontDisp* courier = NewFont(L"DejaVu Sans Mono", 10);
  IFontDisp* serif = NewFont(L"DejaVu Serif", 20);
  c.SetAmbientFont(tahoma);
  Activate();
  EXPECT_EQ(TreeFont(c.TreeWindow()), Expected("Tahoma", 14));
  c.SetAmbientFont(courier);
  ASSERT_EQ(c.AmbientChanged(DISPID_AMBIENT_FONT), S_OK);
  EXPECT_EQ(TreeFont(c.TreeWindow()), Expected("DejaVu Sans Mono", 10));

  // A font of its own wins over the container's, and follows its own changes.
  ASSERT_EQ(PutFontRef(c, serif), S_OK);
  EXPECT_EQ(TreeFont(c.TreeWindow()), Expected("DejaVu Serif", 20));
  c.SetAmbientFont(tahoma);
  ASSERT_EQ(c.AmbientChanged(DISPID_AMBIENT_FONT), S_OK);
  EXPECT_EQ(TreeFont(c.TreeWindow()), Expected("DejaVu Serif", 20));
  VARIANT v;
  ASSERT_EQ(c.Get(kDispFont, &v), S_OK);
  ASSERT_EQ(V_VT(&v), VT_DISPATCH);
  IFont* own = nullptr;
  ASSERT_EQ(V_DISPATCH(&v)->QueryInterface(IID_IFont, reinterpret_cast<void**>(&own)), S_OK);
  CY size = {};
  size.int64 = 300000;
  ASSERT_EQ(own->put_Size(size), S_OK);
  ASSERT_EQ(own->get_Size(&size), S_OK);  // the size the system could give
  own->Release();
  VariantClear(&v);
  const std::string larger = Expected("DejaVu Serif", size);
  EXPECT_EQ(TreeFont(c.TreeWindow()), larger);
  EXPECT_TRUE(Dirty());

  // Saved and loaded in a bag; an older state keeps the container's font.
  MemoryBag saved;
  ASSERT_EQ(SaveToBag(c.Unknown(), &saved), S_OK);
  EXPECT_EQ(ToAnsi(V_BSTR(&saved.values[L"FontName"])), "DejaVu Serif");
  EXPECT_EQ(V_I4(&saved.values[L"FontSize"]), size.int64);
  TestContainer loaded;
  ASSERT_EQ(loaded.Create(QORTREEVIEW_PROGID), S_OK);
  loaded.SetAmbientFont(courier);
  EXPECT_EQ(LoadFromBag(loaded.Unknown(), &saved), S_OK);
  ASSERT_EQ(loaded.Activate(kPos), S_OK);
  EXPECT_EQ(TreeFont(loaded.TreeWindow()), larger);
  const std::string v12 = Number(0x10002) + Number(4000) + Number(2000) + Text(L"") + Text(L"") +
                          Number(0) + Number(0) + Text(L"Mais") + Text(L"Menos") + Number(0);
  IPersistStreamInit* ps = nullptr;
  ASSERT_EQ(loaded.Unknown()->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&ps)),
            S_OK);
  IStream* stm = StreamOf(v12.data(), static_cast<ULONG>(v12.size()));
  EXPECT_EQ(ps->Load(stm), S_OK);
  stm->Release();
  ps->Release();
  EXPECT_EQ(PopupText(0), "Inserir");  // c's, untouched
  EXPECT_EQ(loaded.GetWideString(kDispPopupMenuText, &(v = VarI4(1)), 1), L"Menos");
  EXPECT_EQ(TreeFont(loaded.TreeWindow()), Expected("DejaVu Sans Mono", 10));

  // Nothing puts the container's font back.
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = nullptr;
  ASSERT_EQ(c.Put(kDispFont, v), S_OK);
  EXPECT_EQ(TreeFont(c.TreeWindow()), Expected("Tahoma", 14));
  for (IFontDisp* f : {tahoma, courier, serif}) f->Release();
}
