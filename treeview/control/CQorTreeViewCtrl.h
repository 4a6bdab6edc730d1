// CQorTreeViewCtrl: the tree-view ActiveX control: its dispatch members and
// events, its frame, and the tree widget that fills its window (owned here).
#pragma once
#include <string>
#include "framework/COleControl.h"
#include "framework/COleObjectFactory.h"
#include "tree/QorTreeCtrl.h"
#include "tree/QorTreeOwner.h"

class CQorTreeViewCtrl : public COleControl, public QorTreeOwner {
public:
  // The class factory of the control; its one instance lives in the module.
  class CQorTreeViewCtrlFactory : public COleObjectFactory {
  public:
    CQorTreeViewCtrlFactory();
    bool UpdateRegistry(bool registering, CClassRegistry& registry) override;
  };

  static const DWORD kMiscStatus = 0x20191;
  // Version stamp of the saved state: 1.1 adds the properties after the
  // extent; 1.0 held version and extent only.
  static const DWORD kVersion = 0x10001;
  static const DWORD kTreeStyle = 0x50810033;

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
  bool IsRemoteMode() const override { return m_LocalRemote != 0; }

  // Bounds of one copy, in bytes: a configuration file and an icon file.
  static const ULONGLONG kMaxConfigBytes = 256ull << 20;
  static const ULONGLONG kMaxIconBytes = 4ull << 20;
  static const DWORD kSilenceTimeoutMs = 30000;

  // Copies a location (a web address or a file: location) into a new
  // temporary file; true with its path when the whole content was copied.
  // A copy fails when it would exceed maxBytes, when fewer bytes arrive
  // than the server announced, or after the silence time-out without a
  // byte. On failure no temporary file remains and the path is empty.
  static bool DownloadToTempFile(const std::wstring& location, std::wstring* tempPath,
                                 ULONGLONG maxBytes = kMaxConfigBytes);
  // A new, empty file with the prefix "qtv" in the user's temporary folder;
  // false, with the path untouched, when none can be made.
  static bool MakeTempFileName(std::wstring* path);

private:
  friend struct CQorTreeViewDispatch;

  const DispEntry* GetDispatchTable(UINT* count) const override { return DispatchTable(count); }
  REFCLSID GetControlClsid() const override;
  REFGUID GetTypeLibID() const override;
  DWORD GetMiscStatusBits() const override { return kMiscStatus; }
  UINT GetUserTypeNameID() const override;
  UINT GetPropPageIDs(const CLSID** ids) const override;
  DWORD GetControlVersion() const override { return kVersion; }
  void OnDraw(HDC hdc, const RECT& bounds, const RECT& invalid) override;
  void DoPropExchange(CPropExchange& px) override;
  UINT GetVerbNameID(LONG verb) const override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  void AboutBox();
  // Rebuilds the tree from the configuration file named by URL and ConfigFile.
  void LoadConfiguration();
  // ResolveFile with the bound of the copy in remote mode.
  int ResolveBounded(const std::wstring& name, std::wstring* path, ULONGLONG maxBytes);
  bool InsertNode(const std::wstring& path, const std::wstring& icon, const std::wstring& data);
  bool RemoveAll();
  void OnSelectedNodesChanged();
  void OnShowErrorChanged();

  QorTreeCtrl m_tree;
  std::wstring m_ConfigFile;
  LONG m_LocalRemote;
  std::wstring m_URL;
  std::wstring m_SelectedNodes;
  std::wstring m_SelectedLabel;
  std::wstring m_SelectedData;
  BOOL m_ShowError;
};
