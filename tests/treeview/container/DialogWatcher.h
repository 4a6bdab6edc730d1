// DialogWatcher: a thread that waits for a dialog of this process with a
// given caption, keeps the texts of its children and closes it with a
// command (OK by default). Owns the thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A dialog of this process with the caption, or null. Other test programs
// may show a dialog of the same caption at the same time.
inline HWND FindOwnDialog(const wchar_t* caption) {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", caption))) {
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    if (pid == GetCurrentProcessId()) return box;
  }
  return nullptr;
}

class DialogWatcher {
public:
  explicit DialogWatcher(const wchar_t* caption, WORD command = IDOK)
      : m_caption(caption), m_command(command), m_thread([this] { Run(); }) {}
  ~DialogWatcher() { Stop(); }
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  // Stops watching; the child texts of the dialog, empty when none came.
  std::vector<std::string> Texts() {
    Stop();
    return m_texts;
  }
  bool Seen() {
    Stop();
    return m_seen;
  }

private:
  void Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
  }
  static BOOL CALLBACK Collect(HWND h, LPARAM p) {
    char buf[1024] = {};
    GetWindowTextA(h, buf, sizeof(buf));
    reinterpret_cast<std::vector<std::string>*>(p)->push_back(buf);
    return TRUE;
  }
  void Run() {
    for (int i = 0; i < 500 && !m_stop; ++i) {
      HWND box = FindOwnDialog(m_caption.c_str());
      if (box) {
        Sleep(100);  // let it finish drawing
        EnumChildWindows(box, Collect, reinterpret_cast<LPARAM>(&m_texts));
        m_seen = true;
        PostMessageW(box, WM_COMMAND, m_command, 0);
        return;
      }
      Sleep(20);
    }
  }
  std::wstring m_caption;
  WORD m_command;
  std::atomic<bool> m_stop{false};
  bool m_seen = false;
  std::vector<std::string> m_texts;
  std::thread m_thread;
};
