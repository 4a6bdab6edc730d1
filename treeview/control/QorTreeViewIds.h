// QorTreeViewIds: the fixed identifiers of the control module (type library,
// interfaces, classes, programmatic identifiers) and its resource numbers.
#pragma once
#include <windows.h>

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
