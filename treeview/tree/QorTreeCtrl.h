// QorTreeCtrl: the control's tree widget: nodes addressed by backslash paths
// of labels, each with a data string; owns its window, the node maps, the
// image list and the popup menu.
#pragma once
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "framework/CImageList.h"
#include "framework/CMenu.h"
#include "framework/CTreeCtrl.h"
#include "ids/QorTreeViewIds.h"

class QorTreeOwner;

class QorTreeCtrl : public CTreeCtrl {
public:
  // The popup menu's resource and its commands (QorTreeViewIds.h).
  enum : UINT {
    kIdPopupMenu = IDR_POPUP_MENU,
    kIdInsertCommand = ID_POPUP_INSERT,
    kIdRemoveCommand = ID_POPUP_REMOVE,
  };
  // Deepest path a node may have. Keys are whole paths, so a chain costs
  // the square of its depth; without a bound one line of a few hundred
  // kilobytes could ask for gigabytes.
  static constexpr size_t kMaxPathDepth = 128;

  QorTreeCtrl();
  ~QorTreeCtrl() override;

  // True when the path exists afterwards; false when the widget refused a node
  // or the path cannot be read as nodes (a quoted segment holding a backslash,
  // or more than kMaxPathDepth levels).
  bool InsertNodePath(const std::wstring& path, const std::wstring& icon, const std::wstring& data);
  bool DeleteAllNodes();
  // Selects the node of a key, or else the first top-level node.
  void SelectNodePath(const std::wstring& key);
  std::wstring GetNodePath(HTREEITEM item) const;

  // SplitQuotedFields (FieldSplitter.h) under the class's own name.
  static bool SplitFields(const std::wstring& text, std::vector<std::wstring>* fields,
                          const std::wstring& separators);

  void ReportError(const std::wstring& text);
  void SetShowError(bool show) { m_bShowError = show; }
  bool GetShowError() const { return m_bShowError; }
  void SetPopupMenuText(int entry, const std::wstring& text);
  std::wstring GetPopupMenuText(int entry) const;

  // Gives a created node its image: the icon file named icon + ".ico",
  // loaded once per name; image 0 is "Default.ico"; no image (I_IMAGENONE)
  // when it fails.
  void SetNodeIcon(HTREEITEM item, const std::wstring& icon);
  // Starts a pass (a load, one InsertNode) in which an icon name that failed
  // is not asked for again.
  void ForgetFailedIcons() { m_failedIcons.clear(); }
  // Rebuilds the tree from a configuration file of path|icon|data lines;
  // the location is the owner's and not used here. An exception of the
  // reading (a line that cannot be held) leaves the nodes read before it,
  // and the widget drawing again. false when the file could not be opened
  // (the tree is then empty). A clear of the tree meanwhile (from a message
  // box of the fill) ends the fill at once: it adds nothing more.
  bool LoadNodesFromFile(const std::wstring& location, const std::wstring& path);
  // What a load made elsewhere must copy beforehand: whether the default
  // icon is still to be looked for, and the icon names already loaded.
  bool NeedsDefaultIcon() const { return !m_imageList.GetSafeHandle(); }
  std::set<std::wstring> GetIconNames() const;
  int GetImageCount() const { return m_imageList.GetImageCount(); }
  HIMAGELIST GetImageListHandle() const { return m_imageList.GetSafeHandle(); }
  // Follows the window's scale: when its small-icon side changed, rebuilds
  // the image list at the new side from the icon files' bytes kept in
  // memory (nothing is fetched again); the item height follows the list.
  void UpdateScale();

  // The data list index stored in a node, for the selection report.
  size_t GetNodeDataCount() const { return m_arrNodeData.size(); }

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
  QorTreeOwner* GetOwner() const;
  void OnSelChanged();
  void OnRButtonDown(POINT pt);
  // The keyboard's context-menu request: the same menu, at the selection.
  void OnKeyboardContextMenu();
  // Shows the popup menu with the current texts, its corner at the point.
  void OpenPopupMenu(POINT screenPt);
  void OnPopupCommand(UINT id);
  // The image a new node with this icon name shows (see SetNodeIcon).
  int NodeImage(const std::wstring& icon);
  // Appends the icon of a local file to the image list at the list's side;
  // false when it does not load, else the append's index (-1 when the list
  // refused it).
  bool AddIconFile(const std::wstring& path, int* index);

  std::unordered_map<std::wstring, int> m_mapIcons;        // icon name -> image index
  std::unordered_set<std::wstring> m_failedIcons;          // names that failed in this pass
  std::unordered_map<std::wstring, HTREEITEM> m_mapNodes;  // node key -> item
  std::vector<std::wstring> m_arrNodeData;                 // a node's item data indexes this
  CImageList m_imageList;
  int m_iconSide;                        // of the list's images, in pixels
  std::vector<std::string> m_iconFiles;  // bytes of the icon file of each image
  CMenu m_popupMenu;
  bool m_bShowError;
  unsigned m_nClears;  // counts clears of the tree; a fill stops when it moves
  std::wstring m_strInsertText;
  std::wstring m_strRemoveText;
};
