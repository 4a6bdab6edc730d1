// CQorTreeViewCtrl: the tree-view ActiveX control: its dispatch members and
// events, its frame, and the tree widget that fills its window (owned here).
#pragma once
#include <memory>
#include <set>
#include <string>
#include "framework/CGdiFont.h"
#include "framework/COleControl.h"
#include "framework/COleObjectFactory.h"
#include "tree/QorTreeCtrl.h"
#include "tree/QorTreeOwner.h"
#include "control/CAsyncLoad.h"
#include "control/CFontHolder.h"

class CQorTreeViewCtrl : public COleControl, public QorTreeOwner {
public:
  // The class factory of the control; its one instance lives in the module.
  class CQorTreeViewCtrlFactory : public COleObjectFactory {
  public:
    CQorTreeViewCtrlFactory();
    bool UpdateRegistry(bool registering, CClassRegistry& registry) override;
  };

  static const DWORD kMiscStatus = 0x20191;
  // Version stamp of the saved state: 1.3 adds Font; 1.2 adds AsyncLoad;
  // 1.1 adds the properties after the extent; 1.0 held version and extent only.
  static const DWORD kVersion = 0x10003;
  static const DWORD kPropertiesVersion = 0x10001;
  static const DWORD kAsyncLoadVersion = 0x10002;
  static const DWORD kFontVersion = 0x10003;
  static const DWORD kTreeStyle = 0x50810033;
  // Posted by an asynchronous load when its copies are done; wParam is its id.
  static const UINT kMsgAsyncLoaded = WM_APP + 1;

  CQorTreeViewCtrl();
  ~CQorTreeViewCtrl() override;

  static IUnknown* CreateObject();
  // The dispatch table: one row per member of the dispatch interface.
  static const DispEntry* DispatchTable(UINT* count);

  // QorTreeOwner: the tree's reports.
  void SetSelectedLabel(const std::wstring& text) override;
  void SetSelectedNodes(const std::wstring& text) override;
  void SetSelectedData(const std::wstring& text) override;
  void FireInsertData() override;
  void FireRemoveData() override;
  void FireSelChanged() override;
  int ResolveFile(const std::wstring& name, std::wstring* path) override;
  void ReleaseFile(const std::wstring& path) override;

  // Bounds of one copy, in bytes: a configuration file and an icon file.
  static const ULONGLONG kMaxConfigBytes = 256ull << 20;
  static const ULONGLONG kMaxIconBytes = 4ull << 20;

  // Copies a location (a web address or a file: location) into a new
  // temporary file; true with its path when the whole content was copied.
  // A copy fails when it would exceed maxBytes, when fewer bytes arrive
  // than the server announced, or when it breaks the bounds of time and
  // progress (CDownload). On failure no temporary file remains and the
  // path is empty.
  static bool DownloadToTempFile(const std::wstring& location, std::wstring* tempPath,
                                 ULONGLONG maxBytes = kMaxConfigBytes);

private:
  friend struct CQorTreeViewDispatch;

  const DispEntry* GetDispatchTable(UINT* count) const override { return DispatchTable(count); }
  REFCLSID GetControlClsid() const override;
  REFGUID GetTypeLibID() const override;
  DWORD GetMiscStatusBits() const override { return kMiscStatus; }
  UINT GetUserTypeNameID() const override;
  UINT GetPropPageIDs(const CLSID** ids) const override;
  DWORD GetControlVersion() const override { return kVersion; }
  DWORD GetPropertiesVersion() const override { return kPropertiesVersion; }
  void OnDraw(HDC hdc, const RECT& bounds, const RECT& invalid) override;
  void DoPropExchange(CPropExchange& px) override;
  UINT GetVerbNameID(LONG verb) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnAmbientPropertyChanged(DISPID dispid) override;

  void AboutBox();
  // Rebuilds the tree from the configuration file named by URL and ConfigFile.
  void LoadConfiguration();
  // The load with AsyncLoad FALSE: copies and fill on this thread.
  void LoadNow();
  // The load with AsyncLoad TRUE: copies on a thread of their own, then
  // OnAsyncLoaded fills the tree on this one.
  void StartAsyncLoad();
  void OnAsyncLoaded(WPARAM id);
  // Fills the tree from the configuration's path; false when it could not
  // be read. Reports a failure as a synchronous load does.
  bool FillTree(const std::wstring& path);
  // ResolveFile with the bound of the copy in remote mode; *copied tells
  // whether the path is a temporary copy.
  int ResolveBounded(const std::wstring& name, std::wstring* path, ULONGLONG maxBytes,
                     bool* copied);
  // URL without its trailing backslashes, joined to a name.
  std::wstring LocationOf(const std::wstring& name);
  bool InsertNode(const std::wstring& path, const std::wstring& icon, const std::wstring& data);
  bool RemoveAll();
  void OnSelectedNodesChanged();
  void OnShowErrorChanged();
  // The font the tree shows: the Font property's, else the container's
  // ambient font; false when there is neither.
  bool EffectiveFont(FontDesc* desc) const;
  // Gives the tree the effective font at its window's scale (none: its own).
  void ApplyFont();
  // Font put: a font object (a clone is kept), or null for the ambient font.
  HRESULT SetFont(IDispatch* font);
  // Font get: the font object held, else a new one of the effective font.
  IFontDisp* GetFont() const;

  QorTreeCtrl m_tree;
  std::wstring m_ConfigFile;
  LONG m_LocalRemote;
  std::wstring m_URL;
  std::wstring m_SelectedNodes;
  std::wstring m_SelectedLabel;
  std::wstring m_SelectedData;
  BOOL m_ShowError;
  BOOL m_AsyncLoad;
  std::unique_ptr<CAsyncLoad> m_pAsyncLoad;  // the asynchronous load under way
  CAsyncLoad* m_pFilling;                    // the load whose copies the tree reads now
  int m_nFilling;                            // fills under way (a message box nests one)
  WPARAM m_nLoadId;                          // counts loads; a finished one must match
  bool m_bGaveUp;                            // the server failed once in this load: ask no more
  std::set<std::wstring> m_copies;           // temporary copies handed to the tree
  CFontHolder m_font;                        // the Font property; empty: the ambient font
  CGdiFont m_treeFont;                       // the tree's font, made from the effective one
};
