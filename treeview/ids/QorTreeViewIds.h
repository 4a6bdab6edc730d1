// QorTreeViewIds: every fixed identifier of the control module, written once:
// resource numbers (also read by the resource compiler), the type library,
// interfaces, classes and programmatic identifiers, the dispatch and event
// ids, and the members of the dispatch interface that the control's table and
// the type library writer both read.
#pragma once

#define IDS_CONTROL_NAME 1
#define IDS_PROPPAGE_NAME 2
#define IDS_VERB_EDIT 3
#define IDS_VERB_PROPERTIES 4
#define IDS_PROPPAGE_CAPTION 200
#define IDB_TOOLBOX 1
#define IDI_ABOUT 1
#define IDD_ABOUTBOX 1
#define IDD_PROPPAGE 200
#define IDR_POPUP_MENU 203
#define ID_POPUP_INSERT 32768
#define ID_POPUP_REMOVE 32769
#define IDC_TREE 101

#ifndef RC_INVOKED
#include <windows.h>
#include <olectl.h>
#include "framework/CClassRegistry.h"
#include "framework/DispEntry.h"

// {72BA096E-D131-418D-A5B3-019B84FE13F1}
static const GUID LIBID_QorTreeViewLib = {
    0x72ba096e, 0xd131, 0x418d, {0xa5, 0xb3, 0x01, 0x9b, 0x84, 0xfe, 0x13, 0xf1}};
// {8A4C85FC-AE3E-4DD7-AAD5-CC5C518AADC0}
static const IID DIID__DQorTreeView = {
    0x8a4c85fc, 0xae3e, 0x4dd7, {0xaa, 0xd5, 0xcc, 0x5c, 0x51, 0x8a, 0xad, 0xc0}};
// {B30068C9-5128-4F5F-B67C-46F19CD42B51}
static const IID DIID__DQorTreeViewEvents = {
    0xb30068c9, 0x5128, 0x4f5f, {0xb6, 0x7c, 0x46, 0xf1, 0x9c, 0xd4, 0x2b, 0x51}};
// {008FE325-C99C-4F56-84D5-1EC599B8622E}
static const CLSID CLSID_QorTreeView = {
    0x008fe325, 0xc99c, 0x4f56, {0x84, 0xd5, 0x1e, 0xc5, 0x99, 0xb8, 0x62, 0x2e}};
// {07410CFE-2A44-4570-A5B7-6DE25EEC76C1}
static const CLSID CLSID_QorTreeViewPropPage = {
    0x07410cfe, 0x2a44, 0x4570, {0xa5, 0xb7, 0x6d, 0xe2, 0x5e, 0xec, 0x76, 0xc1}};

#define QORTREEVIEW_PROGID L"QORTREEVIEW.QorTreeViewCtrl.1"
#define QORTREEVIEW_PAGE_PROGID L"QORTREEVIEW.QorTreeViewPropPage.1"

namespace qortreeview {
// The control's registration as a control class (apartment threaded, not
// insertable, miscellaneous status 0x20191); its factory and the installer's
// registry generator both write it. The property page registers as
// CLSID_QorTreeViewPropPage with type name IDS_PROPPAGE_NAME.
constexpr ControlClassInfo kControlClass = {CLSID_QorTreeView,
                                            QORTREEVIEW_PROGID,
                                            IDS_CONTROL_NAME,
                                            IDB_TOOLBOX,
                                            true,
                                            0x20191,
                                            LIBID_QorTreeViewLib,
                                            1,
                                            0};
}  // namespace qortreeview

// Dispatch ids of _DQorTreeView; stored documents and scripts depend on them.
enum : DISPID {
  kDispAboutBox = DISPID_ABOUTBOX,
  kDispConfigFile = 1,
  kDispLocalRemote = 2,
  kDispURL = 3,
  kDispRefresh = 4,
  kDispSelectedNodes = 5,
  kDispSelectedLabel = 6,
  kDispSelectedData = 7,
  kDispPopupMenuText = 8,
  kDispShowError = 9,
  kDispInsertNode = 10,
  kDispRemoveAll = 11,
  kDispAsyncLoad = 12,
  kDispFont = DISPID_FONT,
};

// Dispatch ids of _DQorTreeViewEvents.
enum : DISPID {
  kEventInsertData = 1,
  kEventRemoveData = 2,
  kEventSelChanged = 3,
  kEventLoadComplete = 4,
};

namespace qortreeview {
constexpr DispParam kMenuIndexParams[] = {{L"nMenuIndex", VT_I4}};
constexpr DispParam kInsertNodeParams[] = {
    {L"sNodePath", VT_BSTR}, {L"sNodeIcon", VT_BSTR}, {L"sNodeData", VT_BSTR}};

// The members of _DQorTreeView in the interface's order (the type library's
// order too). The control's dispatch table pairs each row with its accessors.
constexpr DispMember kMembers[] = {
    {kDispAboutBox, L"AboutBox", DispKind::Method, VT_EMPTY, nullptr, 0},
    {kDispConfigFile, L"ConfigFile", DispKind::Property, VT_BSTR, nullptr, 0},
    {kDispLocalRemote, L"LocalRemote", DispKind::Property, VT_I4, nullptr, 0},
    {kDispURL, L"URL", DispKind::Property, VT_BSTR, nullptr, 0},
    {kDispRefresh, L"Refresh", DispKind::Method, VT_EMPTY, nullptr, 0},
    {kDispSelectedNodes, L"SelectedNodes", DispKind::Property, VT_BSTR, nullptr, 0},
    {kDispSelectedLabel, L"SelectedLabel", DispKind::Property, VT_BSTR, nullptr, 0},
    {kDispSelectedData, L"SelectedData", DispKind::Property, VT_BSTR, nullptr, 0},
    {kDispPopupMenuText, L"PopupMenuText", DispKind::ParamProperty, VT_BSTR, kMenuIndexParams, 1},
    {kDispShowError, L"ShowError", DispKind::Property, VT_BOOL, nullptr, 0},
    {kDispInsertNode, L"InsertNode", DispKind::Method, VT_BOOL, kInsertNodeParams, 3},
    {kDispRemoveAll, L"RemoveAll", DispKind::Method, VT_BOOL, nullptr, 0},
    {kDispAsyncLoad, L"AsyncLoad", DispKind::Property, VT_BOOL, nullptr, 0},
    {kDispFont, L"Font", DispKind::Property, VT_DISPATCH, nullptr, 0},
};
constexpr UINT kMemberCount = sizeof(kMembers) / sizeof(kMembers[0]);

// The interface an object member's type names in the type library (null:
// IDispatch, or no object).
inline const IID* MemberInterface(DISPID id) { return id == kDispFont ? &IID_IFontDisp : nullptr; }

// The row of a dispatch id; stops the build when there is none.
constexpr const DispMember& Member(DISPID id, UINT i = 0) {
  return kMembers[i].dispid == id ? kMembers[i] : Member(id, i + 1);
}

struct EventMember {
  DISPID dispid;
  const wchar_t* name;
  const DispParam* params;  // null when cParams is 0
  UINT cParams;
};
constexpr DispParam kLoadCompleteParams[] = {{L"succeeded", VT_BOOL}};
// The events, in the interface's order.
constexpr EventMember kEvents[] = {
    {kEventInsertData, L"InsertData", nullptr, 0},
    {kEventRemoveData, L"RemoveData", nullptr, 0},
    {kEventSelChanged, L"SelChanged", nullptr, 0},
    {kEventLoadComplete, L"LoadComplete", kLoadCompleteParams, 1},
};

// A member's or an event's name, or null for an unknown id.
inline const wchar_t* MemberName(DISPID id) {
  for (const DispMember& m : kMembers)
    if (m.dispid == id) return m.name;
  return nullptr;
}
inline const wchar_t* EventName(DISPID id) {
  for (const EventMember& e : kEvents)
    if (e.dispid == id) return e.name;
  return nullptr;
}
}  // namespace qortreeview
#endif
