// QorTreeOwner: what the tree widget needs of the object that owns it (the
// control whose window is the tree window's parent). Owns nothing.
#pragma once
#include <string>

class QorTreeOwner {
public:
  virtual ~QorTreeOwner() = default;
  // Each Set stores the value and announces the property's change.
  virtual void SetSelectedLabel(const std::wstring& text) = 0;
  virtual void SetSelectedNodes(const std::wstring& text) = 0;
  virtual void SetSelectedData(const std::wstring& text) = 0;
  virtual void FireInsertData() = 0;
  virtual void FireRemoveData() = 0;
  virtual void FireSelChanged() = 0;
  // Turns a file name of the configuration's location into a local path
  // that can be read now: 0 on success, 1 on failure. The caller gives the
  // path back with ReleaseFile once it has read it.
  virtual int ResolveFile(const std::wstring& name, std::wstring* path) = 0;
  // Deletes the path if ResolveFile made it as a temporary copy.
  virtual void ReleaseFile(const std::wstring& path) = 0;
};
