// TreeFixture: a control in the test container with a fresh folder of
// configuration files, and readers of the tree it shows (labels, images,
// data, expansion) and of the temporary files it leaves. Owns the
// container and the folder.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <set>
#include <string>
#include <vector>
#include "ids/QorTreeViewIds.h"
#include "TestContainer.h"

namespace treetest {
using Lines = std::vector<std::string>;
using WLines = std::vector<std::wstring>;

// The names of the control's temporary files ("qtv*.tmp") now present.
std::set<std::string> TempCopies();

// Closes every message box of the control while it runs, keeping their texts.
class MessageBoxCloser {
public:
  MessageBoxCloser();
  ~MessageBoxCloser();
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
  Lines Texts();
  // The owner window of each box, in the same order.
  std::vector<HWND> Owners();

private:
  struct State;
  State* m_state;
};

class TreeFixture : public ::testing::Test {
protected:
  // The control under test: by default the registered module's, by ProgID.
  virtual HRESULT CreateControl();
  void SetUp() override;
  void TearDown() override;

  // Writes a file into the folder; the folder's path has no trailing backslash.
  void Write(const std::string& name, const std::string& bytes);
  void Write(const std::wstring& name, const std::string& bytes);
  void Remove(const std::string& name);
  void Configure(const std::string& url, const std::string& file, LONG remote);
  void Configure(const std::wstring& url, const std::wstring& file, LONG remote);
  void Activate();
  void Refresh();
  void PutBool(DISPID id, bool value);
  bool Insert(const std::string& path, const std::string& icon = "", const std::string& data = "");
  bool Insert(const std::wstring& path, const std::wstring& icon, const std::wstring& data);

  // One line per node, depth first: indentation, label, [image], {data},
  // and " +" when expanded. Reading the data selects each node (the
  // expansion is read before); the events that causes are dropped.
  WLines WideDump();
  // The same in the system code page.
  Lines Dump();
  // The temporary copies made since SetUp that are still there.
  std::set<std::string> LeftOverCopies() const;
  // Runs this thread's messages until the container's log holds the entry,
  // or the time is up; false then.
  bool WaitForLog(const std::string& entry, DWORD timeoutMs);
  HTREEITEM Root() const;
  int ImageCount() const;
  COLORREF Colour(int image) const;

  TestContainer c;
  std::string folder;
  std::set<std::string> copiesBefore;  // TempCopies() at SetUp
};
}  // namespace treetest
