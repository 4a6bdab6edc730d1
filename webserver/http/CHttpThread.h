// CHttpThread.h: one pooled HTTP worker thread; owns the socket of the
// connection it serves, its work event, and its request and send buffers.
#pragma once

#include "http/FileAnswer.h"
#include "lib/CSocket.h"
#include "lib/CThread.h"

#include <memory>
#include <string>

class CFile;
class CFileCache;
class CLingerThread;

// What the workers serve and count; the program's, not owned, and alive
// for as long as any worker runs.
struct HttpSettings {
  // Ends with a backslash; request paths are appended directly to it.
  // Read at every request, so it changes only while no worker serves.
  const wchar_t* m_pszWebRoot;
  // Each request head read, incremented with InterlockedIncrement so
  // that concurrent workers lose no counts.
  volatile LONG* m_pnRequestCount;
};

// Idle until the listener hands it a connection (Assign), then answers
// request heads on it, in order, until the client goes quiet, closes or asks
// to close, or until the worker is wanted elsewhere (ClaimForWaiting).
// Every wait is a bounded poll, so no client can hold the thread: a send
// that makes no progress for the stall limit ends the connection, and a
// stop is seen within kPollMs.
class CHttpThread : public CThread {
public:
  explicit CHttpThread(const HttpSettings& settings);
  ~CHttpThread() override;

  // On the listener's thread. False while busy; otherwise takes the handle
  // and wakes the worker. The work event is signalled exactly while busy.
  bool Assign(SOCKET socket);
  // Stops the thread, then closes the socket. A connection being served
  // is given up at once (within kPollMs), not finished.
  void Shutdown();
  // Whether the thread runs: a worker that never started serves nothing.
  bool IsStarted() const { return m_hThread != nullptr; }
  bool IsBusy() const { return WaitForSingleObject(m_hWorkEvent, 0) == WAIT_OBJECT_0; }
  // How long a send may make no progress before the connection is ended.
  void SetSendStallLimit(DWORD ms) { m_dwStallMs = ms; }
  // Small files' bytes, shared with the other workers, or null to read
  // every file at every request. Set before the worker starts.
  void UseCache(CFileCache* cache) { m_pCache = cache; }

  static const DWORD kHeadDeadlineMs = 3000;
  // While a connection waits for a worker, a head that has not ended this
  // long after it began gives its worker up.
  static const DWORD kFairHeadMs = 500;
  static const DWORD kPollMs = 100;
  static const DWORD kSendStallMs = 30000;
  // Head and file go out through one buffer: a small answer in one send,
  // a large file in pieces of this size.
  static const DWORD kSendBufferBytes = 1 << 20;

private:
  friend class CListenThread;  // joins its workers to its pool

  int Run() override;

  // The listener's pool: *waiting is 1 while an accepted connection
  // waits for a worker (see ClaimForWaiting). freedEvent, when given, is
  // set each time this worker becomes idle. closer, when given, closes the
  // connections that end after an answer; without it they close at once.
  void JoinPool(volatile LONG* waiting, HANDLE freedEvent, CLingerThread* closer);

  // Serves the attached connection until it ends, then closes it.
  void HandleConnection();
  // The length of the next complete request head, which then starts the
  // request buffer; 0 when the connection is to end while the client may
  // still send (no head within the deadline, a head of more than 4,095
  // bytes or holding a zero byte, the worker is wanted elsewhere); -1 when
  // nothing more will be read (the peer closed or failed, a stop).
  int ReadRequest();
  // Answers one GET (get) or HEAD for the raw target; false when the answer
  // could not be sent whole, which ends the connection.
  bool OnFileRequest(std::wstring target, const FileConditions& conditions, bool get);

  // The file a target names under the web root, or false when the target
  // may not be opened (it is then answered like a missing file). target
  // receives the decoded, converted target that the 404 page names.
  static bool ResolveTarget(const wchar_t* root, std::wstring* target, std::wstring* path);

  // What a target names, as the answer needs it.
  enum TargetKind { kTargetMissing, kTargetFile, kTargetFolder };
  struct FoundFile {
    std::wstring path;
    std::wstring key;  // the cache's name of the file (CFileCache::KeyOf)
    ULONGLONG size;
    ULONGLONG modified;    // file time
    const char* type;      // media type, or null
    bool cached;           // the cache held these bytes when looked up; the file is not open
    std::string location;  // a folder's name with its slash
  };
  // A file that can be read (open, or held by the cache), a folder named
  // without its slash, or neither. A target ending in a slash names the
  // folder's index.html; an empty one names nothing. target as for
  // ResolveTarget.
  TargetKind OpenTarget(std::wstring* target, CFile* file, FoundFile* found);
  // The 404 answer naming the target, or a folder's redirect.
  bool SendNotFile(TargetKind kind, bool get, const std::wstring& target, const FoundFile& found);
  // The head, then length bytes of the file from first; false when they
  // could not all be sent. The file is closed once its last byte is read,
  // before that byte is sent.
  bool SendFileAnswer(const std::string& head, CFile& file, const FoundFile& found, ULONGLONG first,
                      ULONGLONG length);
  // All bytes, or false after an error, a stop, or a stall.
  bool SendAll(const char* data, int length);
  // Polls until the socket is readable (writable), for at most the
  // deadline: 1 ready, 0 time-out (or, reading, the worker is claimed),
  // -1 failure or stop.
  int WaitReady(bool forWrite, ULONGLONG deadline);
  // Takes a waiting connection's claim on this worker when the connection
  // served has had its turn: a head read, answered or not, or a head begun
  // kFairHeadMs ago. Never called while an answer is being sent.
  bool ClaimForWaiting();
  // Ends the connection: through the closer when an answer may still be
  // on its way and the client may still send, otherwise at once.
  void CloseConnection(bool linger);

  CSocket m_socket;                    // the connection; empty while idle
  HANDLE m_hWorkEvent;                 // manual reset; signalled = busy
  std::unique_ptr<char[]> m_pRequest;  // kRequestBufferBytes: the head, then what followed it
  int m_nBuffered;                     // bytes received into m_pRequest and not yet consumed
  bool m_bAnswered;                    // this connection has had an answer
  bool m_bHadTurn;                     // this connection has had a head read
  ULONGLONG m_nHeadStart;              // tick at which the head being read began
  std::unique_ptr<char[]> m_pSend;     // kSendBufferBytes
  volatile LONG* m_pnWaiting;          // the listener's, or null
  HANDLE m_hFreedEvent;                // the listener's, or null; not owned
  CLingerThread* m_pCloser;            // the listener's, or null
  DWORD m_dwStallMs;
  CFileCache* m_pCache;  // not owned; may be null
  HttpSettings m_settings;
};
