// The table-driven IDispatch of the control base class on a small control
// of its own: argument conversion and order, the errors of a wrong call,
// and failures (C++ exceptions included) that stay inside the control.
#include <gtest/gtest.h>
#include <stdexcept>
#include "framework/COleControl.h"

namespace {
const CLSID kClsid = {0x1b0c8a7e, 0x5d7f, 0x4a2e, {0x9d, 0x33, 0x51, 0x0a, 0x6c, 0x2e, 0x11, 0x01}};
const IID kIid = {0x1b0c8a7e, 0x5d7f, 0x4a2e, {0x9d, 0x33, 0x51, 0x0a, 0x6c, 0x2e, 0x11, 0x02}};
const IID kEvents = {0x1b0c8a7e, 0x5d7f, 0x4a2e, {0x9d, 0x33, 0x51, 0x0a, 0x6c, 0x2e, 0x11, 0x03}};

class SmallControl : public COleControl {
public:
  SmallControl() : COleControl(kIid, kEvents) {}
  LONG value = 0;
  std::wstring joined;

  static HRESULT GetValue(COleControl* p, const VARIANT*, VARIANT* r) {
    V_VT(r) = VT_I4;
    V_I4(r) = static_cast<SmallControl*>(p)->value;
    return S_OK;
  }
  static HRESULT SetValue(COleControl* p, const VARIANT*, const VARIANT& v) {
    static_cast<SmallControl*>(p)->value = V_I4(&v);
    return S_OK;
  }
  // Join(a, b, n): the texts in declaration order and the number.
  static HRESULT Join(COleControl* p, const VARIANT* args, VARIANT* r) {
    auto* self = static_cast<SmallControl*>(p);
    self->joined = std::wstring(V_BSTR(&args[0])) + L"|" + V_BSTR(&args[1]) + L"|" +
                   std::to_wstring(V_I4(&args[2]));
    V_VT(r) = VT_BOOL;
    V_BOOL(r) = VARIANT_TRUE;
    return S_OK;
  }
  static HRESULT Throw(COleControl*, const VARIANT*, VARIANT*) {
    throw std::runtime_error("inside");
  }

protected:
  const DispEntry* GetDispatchTable(UINT* pc) const override {
    static const DispParam joinParams[] = {{L"a", VT_BSTR}, {L"b", VT_BSTR}, {L"n", VT_I4}};
    static const DispEntry table[] = {
        {1, L"Value", DispKind::Property, VT_I4, nullptr, 0, GetValue, SetValue},
        {2, L"Join", DispKind::Method, VT_BOOL, joinParams, 3, Join, nullptr},
        {3, L"Throw", DispKind::Method, VT_EMPTY, nullptr, 0, Throw, nullptr},
    };
    *pc = 3;
    return table;
  }
  REFCLSID GetControlClsid() const override { return kClsid; }
  REFGUID GetTypeLibID() const override { return kClsid; }
  DWORD GetMiscStatusBits() const override { return 0; }
  UINT GetUserTypeNameID() const override { return 1; }
  UINT GetPropPageIDs(const CLSID** pp) const override {
    *pp = nullptr;
    return 0;
  }
  DWORD GetControlVersion() const override { return 0x10000; }
  void OnDraw(HDC, const RECT&, const RECT&) override {}
};

class DispatchTest : public ::testing::Test {
protected:
  void TearDown() override { ctl->Release(); }
  HRESULT Invoke(DISPID id, WORD flags, std::vector<VARIANT> argsLastFirst,
                 std::vector<DISPID> named, VARIANT* result, UINT* argErr = nullptr) {
    DISPPARAMS dp = {argsLastFirst.empty() ? nullptr : argsLastFirst.data(),
                     named.empty() ? nullptr : named.data(),
                     static_cast<UINT>(argsLastFirst.size()), static_cast<UINT>(named.size())};
    VariantInit(result);
    return ctl->Invoke(id, IID_NULL, 0, flags, &dp, result, nullptr, argErr);
  }
  static VARIANT Str(const wchar_t* s) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(s);
    return v;
  }
  static VARIANT I4(LONG n) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
  }
  SmallControl* ctl = new SmallControl();
};
}  // namespace

TEST_F(DispatchTest, ArgumentsArriveInDeclarationOrderConvertedToTheirTypes) {
  VARIANT r;
  VARIANT a = Str(L"first"), n = Str(L"42");
  LONG byRefValue = 5;
  VARIANT b;
  V_VT(&b) = VT_I4 | VT_BYREF;  // as script engines pass variables
  V_I4REF(&b) = &byRefValue;
  ASSERT_EQ(Invoke(2, DISPATCH_METHOD, {n, b, a}, {}, &r), S_OK);
  EXPECT_EQ(ctl->joined, L"first|5|42");
  EXPECT_EQ(V_VT(&r), VT_BOOL);
  VariantClear(&a);
  VariantClear(&n);
}

TEST_F(DispatchTest, APropertyWriteNeedsTheNamedValueAndAReadGivesItBack) {
  VARIANT r;
  EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYPUT, {I4(9)}, {}, &r), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYPUT, {I4(9)}, {DISPID_PROPERTYPUT}, &r), S_OK);
  ASSERT_EQ(Invoke(1, DISPATCH_PROPERTYGET, {}, {}, &r), S_OK);
  EXPECT_EQ(V_I4(&r), 9);
  EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYPUTREF, {I4(1)}, {DISPID_PROPERTYPUT}, &r),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Invoke(2, DISPATCH_PROPERTYPUT, {I4(1)}, {DISPID_PROPERTYPUT}, &r),
            DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, WrongCallsFailWithTheUsualErrorsAndChangeNothing) {
  VARIANT r;
  UINT argErr = 99;
  VARIANT bad = Str(L"not a number");
  EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYPUT, {bad}, {DISPID_PROPERTYPUT}, &r, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  VARIANT a = Str(L"a");
  EXPECT_EQ(Invoke(2, DISPATCH_METHOD, {bad, a, a}, {}, &r, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);  // the last argument, n, is rgvarg[0]
  EXPECT_EQ(Invoke(2, DISPATCH_METHOD, {a}, {}, &r), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Invoke(2, DISPATCH_METHOD, {I4(1), a, a}, {0}, &r), DISP_E_NONAMEDARGS);
  EXPECT_EQ(Invoke(77, DISPATCH_METHOD, {}, {}, &r), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(ctl->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  VariantClear(&bad);
  VariantClear(&a);
  EXPECT_EQ(ctl->value, 0);
  EXPECT_TRUE(ctl->joined.empty());
}

TEST_F(DispatchTest, AnExceptionInsideAMemberBecomesAFailedResult) {
  VARIANT r;
  EXPECT_EQ(Invoke(3, DISPATCH_METHOD, {}, {}, &r), E_UNEXPECTED);
  EXPECT_EQ(Invoke(1, DISPATCH_PROPERTYGET, {}, {}, &r), S_OK);  // still usable
}

TEST_F(DispatchTest, EveryInterfaceLeadsBackToOneIdentity) {
  const IID* iids[] = {&IID_IDispatch,
                       &kIid,
                       &IID_IOleObject,
                       &IID_IOleInPlaceObject,
                       &IID_IOleInPlaceActiveObject,
                       &IID_IOleControl,
                       &IID_IViewObject2,
                       &IID_IPersistStreamInit,
                       &IID_IPersistStorage,
                       &IID_IPersistPropertyBag,
                       &IID_ISpecifyPropertyPages,
                       &IID_IConnectionPointContainer,
                       &IID_IProvideClassInfo2};
  IUnknown* identity = nullptr;
  ASSERT_EQ(ctl->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  for (const IID* iid : iids) {
    IUnknown* p = nullptr;
    ASSERT_EQ(ctl->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
    IUnknown* back = nullptr;
    ASSERT_EQ(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, identity);
    back->Release();
    p->Release();
  }
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(ctl->QueryInterface(IID_IClassFactory, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  identity->Release();
}
