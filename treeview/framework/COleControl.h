// COleControl: the base of an ActiveX control: one COM identity with its
// window (a child of the container's), its two connection points (events and
// property notices) and the container's site pointers, all owned here.
//
// Interfaces: IDispatch (table-driven), IConnectionPointContainer,
// IProvideClassInfo2, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
// IOleControl, IViewObject2, IPersistStreamInit, IPersistStorage,
// IPersistPropertyBag, ISpecifyPropertyPages.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <vector>
#include "framework/CConnectionPoint.h"
#include "framework/COleControlModule.h"
#include "framework/CPropExchange.h"
#include "framework/CWnd.h"
#include "framework/DispEntry.h"

class COleControl : public CWnd,
                    public IDispatch,
                    public IConnectionPointContainer,
                    public IProvideClassInfo2,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObject2,
                    public IPersistStreamInit,
                    public IPersistStorage,
                    public IPersistPropertyBag,
                    public ISpecifyPropertyPages {
public:
  // The interfaces' identifiers are named by the derived class at construction.
  COleControl(REFIID iidPrimary, REFIID iidEvents);
  ~COleControl() override;

  // IUnknown (one identity; the table is in COleControl.cpp)
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                             DISPID* rgDispId) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pParams,
                      VARIANT* pResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override;
  STDMETHODIMP GetGUID(DWORD dwGuidKind, GUID* pGUID) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* pClientSite) override;
  STDMETHODIMP GetClientSite(IOleClientSite** ppClientSite) override;
  STDMETHODIMP SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
  STDMETHODIMP Close(DWORD dwSaveOption) override;
  STDMETHODIMP SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) override;
  STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
  STDMETHODIMP InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) override;
  STDMETHODIMP GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) override;
  STDMETHODIMP DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                      HWND hwndParent, LPCRECT lprcPosRect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* pClsid) override;
  STDMETHODIMP GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) override;
  STDMETHODIMP SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  STDMETHODIMP GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
  STDMETHODIMP Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
  STDMETHODIMP Unadvise(DWORD dwConnection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** ppenumAdvise) override;
  STDMETHODIMP GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* pLogpal) override;

  // IOleWindow (shared by IOleInPlaceObject and IOleInPlaceActiveObject)
  STDMETHODIMP GetWindow(HWND* phwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
  STDMETHODIMP ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL fActivate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL fActivate) override;
  STDMETHODIMP ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                            BOOL fFrameWindow) override;
  STDMETHODIMP EnableModeless(BOOL fEnable) override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* pCI) override;
  STDMETHODIMP OnMnemonic(MSG* pMsg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID dispID) override;
  STDMETHODIMP FreezeEvents(BOOL bFreeze) override;

  // IViewObject2
  STDMETHODIMP Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                    HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                    BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR), ULONG_PTR dwContinue) override;
  STDMETHODIMP GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                           HDC hicTargetDev, LOGPALETTE** ppColorSet) override;
  STDMETHODIMP Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) override;
  STDMETHODIMP Unfreeze(DWORD dwFreeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override;
  STDMETHODIMP GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override;
  STDMETHODIMP GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                         LPSIZEL lpsizel) override;

  // IPersist (shared by the three persistence interfaces)
  STDMETHODIMP GetClassID(CLSID* pClassID) override;
  // IPersistStreamInit
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM pStm) override;
  STDMETHODIMP Save(LPSTREAM pStm, BOOL fClearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* pCbSize) override;
  STDMETHODIMP InitNew() override;
  // IPersistStorage
  STDMETHODIMP InitNew(IStorage* pStg) override;
  STDMETHODIMP Load(IStorage* pStg) override;
  STDMETHODIMP Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
  STDMETHODIMP SaveCompleted(IStorage* pStgNew) override;
  STDMETHODIMP HandsOffStorage() override;
  // IPersistPropertyBag
  STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
  STDMETHODIMP Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;

  // ISpecifyPropertyPages
  STDMETHODIMP GetPages(CAUUID* pPages) override;

  // The control's own operations, for the derived class.
  void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
  // Tells every connected IPropertyNotifySink that a property changed.
  void BoundPropertyChanged(DISPID dispid);
  // Calls an event on every connected event sink; args in declaration order.
  void FireEvent(DISPID dispid, const VARIANT* args = nullptr, UINT argCount = 0);
  // Runs the property frame with the control's pages.
  HRESULT ShowPropertyPages(HWND parent);
  // Reads an ambient property of the container (DISPID_AMBIENT_...) through
  // its client site's IDispatch; an error when there is no site or value.
  HRESULT GetAmbientProperty(DISPID dispid, VARIANT* value) const;

protected:
  // What the derived class declares.
  virtual const DispEntry* GetDispatchTable(UINT* count) const = 0;
  virtual REFCLSID GetControlClsid() const = 0;
  virtual REFGUID GetTypeLibID() const = 0;
  virtual DWORD GetMiscStatusBits() const = 0;
  virtual UINT GetUserTypeNameID() const = 0;
  virtual UINT GetPropPageIDs(const CLSID** ids) const = 0;
  // Version stamp of the saved state; major version in the high word.
  virtual DWORD GetControlVersion() const = 0;
  // The oldest version whose saved stream holds properties after the extent.
  virtual DWORD GetPropertiesVersion() const { return GetControlVersion(); }
  // Draws the control over bounds; invalid is the part to repaint.
  virtual void OnDraw(HDC hdc, const RECT& bounds, const RECT& invalid) = 0;
  // The class library's reset of the state (InitNew); leaves members alone.
  virtual void OnResetState() {}
  // Loads or saves the control's own persistent properties. A bag always
  // takes part (a page's parameters carry no version); a stream older than
  // GetPropertiesVersion holds version and extent only, and the pass does
  // not happen for it; a later one names its version in the exchange, for
  // properties added since. A stream that fails part-way gets the
  // properties back as they were before the pass.
  virtual void DoPropExchange(CPropExchange&) {}
  // The string resource naming a verb on the container's menus (the primary
  // verb, OLEIVERB_PROPERTIES); 0 for the English default.
  virtual UINT GetVerbNameID(LONG) const { return 0; }
  // The container changed an ambient property (DISPID_UNKNOWN: any of them).
  virtual void OnAmbientPropertyChanged(DISPID) {}

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Destroys the control's window (before the derived class's members go).
  void DestroyControlWindow();

  HRESULT GetTypeLib(ITypeLib** typeLib);

private:
  const DispEntry* FindEntry(DISPID dispid) const;
  HRESULT InvokeEntry(const DispEntry& e, WORD flags, DISPPARAMS* dispParams, VARIANT* out,
                      UINT* argErr);
  HRESULT InPlaceActivate(LONG verb, LPCRECT rect);
  HRESULT UIActivate();
  void ReleaseSites();
  HRESULT ReadState(IStream* stream);
  // The properties through a stream, loading or saving, at a version.
  HRESULT ExchangeProperties(IStream* stream, bool loading, DWORD version);
  HRESULT WriteState(IStream* stream);

  CModuleLock m_moduleLock;  // first in, last out: held while any member lives
  LONG m_cRef;
  CConnectionPoint m_cpEvents;
  CConnectionPoint m_cpPropNotify;
  const IID m_iidPrimary;
  IOleClientSite* m_pClientSite;
  IOleInPlaceSite* m_pInPlaceSite;
  IOleInPlaceFrame* m_pInPlaceFrame;
  IOleInPlaceUIWindow* m_pUIWindow;
  IOleAdviseHolder* m_pOleAdviseHolder;
  IAdviseSink* m_pViewAdviseSink;
  DWORD m_dwViewAdviseAspects, m_dwViewAdviseFlags;
  ITypeLib* m_pTypeLib;  // loaded on first use
  bool m_bInPlaceActive;
  bool m_bUIActive;
  bool m_bModified;
  LONG m_nFreezeEvents;  // events are dropped while positive
  SIZEL m_sizeExtent;    // HIMETRIC
  RECT m_rcPos;          // in the container's window
};
