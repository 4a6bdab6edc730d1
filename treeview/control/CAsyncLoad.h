// CAsyncLoad: the copies of one load, made off the user-interface thread:
// the configuration file and, in remote mode, every icon file it names that
// the tree has not loaded yet. When they are done it posts a message to the
// control's window, on whose thread the tree is filled from them. Owns its
// thread, its cancel event and the copies until they are released.
#pragma once
#include <windows.h>
#include <map>
#include <set>
#include <string>
#include "control/CDownload.h"

class CAsyncLoad {
public:
  // What the load needs to know of the control when it starts.
  struct Request {
    std::wstring location;         // of the configuration file
    std::wstring iconFolder;       // URL, to which icon names are joined
    bool remote;                   // copy the files first
    bool needsDefaultIcon;         // also copy Default.ico
    std::set<std::wstring> known;  // icon names the tree holds already
    ULONGLONG maxConfigBytes, maxIconBytes;
  };

  CAsyncLoad();
  // Cancels a load still running: its thread ends and its copies are deleted.
  ~CAsyncLoad();
  CAsyncLoad(const CAsyncLoad&) = delete;
  CAsyncLoad& operator=(const CAsyncLoad&) = delete;

  // Starts the thread, which posts message (wParam = id) to window when it
  // is done; false when it cannot start.
  bool Start(const Request& request, HWND window, UINT message, WPARAM id);
  // Waits for the thread, which has posted its message (quick then).
  void Join();

  // After Join: the configuration's path (a copy in remote mode), or empty
  // when it could not be had.
  const std::wstring& GetConfigPath() const { return m_configPath; }
  bool IsConfigCopy() const { return m_bConfigCopy; }
  // After Join: the copy of an icon file ("plant.ico"); false when it was
  // not fetched. The copy stays this object's, deleted with it.
  bool FindIcon(const std::wstring& name, std::wstring* path) const;
  // Deletes a copy this object made, at once; other paths are left alone.
  void Release(const std::wstring& path);

private:
  static DWORD WINAPI Run(void* self);
  void Load();
  // The icon names of the configuration's records, as the tree reads them.
  std::set<std::wstring> IconNames() const;
  // Copies one location into a copy kept in m_icons; false when the server
  // is not to be asked again in this load.
  bool CopyIcon(const std::wstring& name);

  Request m_request;
  HANDLE m_hCancel;
  HANDLE m_hThread;
  HWND m_hWnd;
  UINT m_message;
  WPARAM m_id;
  std::wstring m_configPath;
  bool m_bConfigCopy;
  std::map<std::wstring, std::wstring> m_icons;  // file name -> its copy
};
