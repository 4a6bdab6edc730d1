// CHttpThread.h: one pooled HTTP worker thread; owns the socket of the
// connection it serves, its work event, and its request and send buffers.
#pragma once

#include "http/CConnection.h"
#include "http/FileAnswer.h"
#include "lib/CSocket.h"
#include "lib/CThread.h"

#include <memory>
#include <string>

class CConnectionQueue;
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
  // The listener's port; tests take another (0: any free one).
  unsigned short m_nPort = 80;
  // The family of the listening socket that takes both IPv6 and IPv4
  // clients; tests give one that fails, to see the fall-back to IPv4.
  int m_nDualModeFamily = AF_INET6;
};

// Idle until the listener hands it a connection whose client has sent bytes
// (Assign), then gives it a turn: reads what has come, answers each complete
// head, and hands the connection back to wait for its next head in the
// listener's poll. It waits for a client to speak only for kNextHeadLookMs,
// and only while nobody waits for a worker; a send waits in bounded polls,
// so no client can hold the thread: a send that makes no
// progress for the stall limit ends the connection, and a stop is seen
// within kPollMs.
class CHttpThread : public CThread {
public:
  explicit CHttpThread(const HttpSettings& settings);
  ~CHttpThread() override;

  // Under the pool's lock. False while busy; otherwise takes the connection
  // and wakes the worker.
  bool Assign(std::unique_ptr<CConnection>* connection);
  // Stops the thread, then closes the connection it held. A connection
  // being served is given up at once (within kPollMs), not finished.
  void Shutdown();
  // Whether the thread runs: a worker that never started serves nothing.
  bool IsStarted() const { return m_hThread != nullptr; }
  bool IsBusy() const { return m_bBusy != 0; }
  // How long a send may make no progress before the connection is ended.
  void SetSendStallLimit(DWORD ms) { m_dwStallMs = ms; }
  // Small files' bytes, shared with the other workers, or null to read
  // every file at every request. Set before the worker starts.
  void UseCache(CFileCache* cache) { m_pCache = cache; }

  // The time a client has for each head, counted from the end of the
  // answer before it (or from the connect): also the keep-alive time-out.
  static const DWORD kHeadDeadlineMs = 3000;
  static const DWORD kPollMs = 100;
  // After an answer, while no connection waits for a worker, how long the
  // worker looks for the client's next head before handing it to the poll,
  // in slices after each of which it sees whether one waits.
  static const DWORD kNextHeadLookMs = 10;
  static const DWORD kLookSliceMs = 2;
  static const DWORD kSendStallMs = 30000;
  // Head and file go out through one buffer: a small answer in one send,
  // a large file in pieces of this size.
  static const DWORD kSendBufferBytes = 1 << 20;

private:
  friend class CListenThread;     // joins its workers to its pool
  friend class CConnectionQueue;  // marks a worker idle under its lock

  // How a turn ends for its connection.
  enum TurnEnd {
    kTurnAwaitHead,  // to the listener's poll until its next head comes
    kTurnYield,      // its next head is here, but others wait: to the queue
    kTurnLinger,     // ended; closed gracefully if it has had an answer
    kTurnClose,      // ended at once: the peer is gone, a send failed, a stop
  };
  // What ReadRequest found.
  enum HeadRead {
    kHeadComplete,  // a whole head starts the request buffer
    kHeadPending,   // not all of it has come; nothing wrong
    kHeadRefused,   // more than 4,095 bytes, or a zero byte: never answered
    kHeadGone,      // the peer closed or failed, or a stop
  };

  int Run() override;

  // The listener's pool: connections come from and go back to queue;
  // closer, when given, closes the connections that end after an answer.
  // Without a queue a connection is closed when its turn ends.
  void JoinPool(CConnectionQueue* queue, CLingerThread* closer);
  // Under the pool's lock: idle again, ready for Assign.
  void MarkIdle();

  // Gives the assigned connection its turn: answers the heads that have
  // come, in order, then hands it on as the turn's end says.
  void HandleConnection();
  // After an answer, with nothing buffered: whether the client's next bytes
  // (then buffered) or its close came within kNextHeadLookMs, looking only
  // while no connection waits for a worker.
  bool LookForNextHead();
  // Reads what the client has sent, without waiting, until a head is
  // complete; *headLength is then its length.
  HeadRead ReadRequest(int* headLength);
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
  // deadline: 1 ready, 0 time-out, -1 failure or stop.
  int WaitReady(bool forWrite, ULONGLONG deadline);
  // Ends the connection: through the closer when an answer may still be
  // on its way and the client may still send, otherwise at once.
  void CloseConnection(bool linger);

  CSocket m_socket;                            // the connection's, during a turn; else empty
  std::unique_ptr<CConnection> m_pConnection;  // the one assigned, during a turn
  HANDLE m_hWorkEvent;                         // auto reset: set by Assign
  volatile LONG m_bBusy;                       // 1 from Assign until MarkIdle: busy
  std::unique_ptr<char[]> m_pRequest;  // kRequestBufferBytes: the head, then what followed it
  int m_nBuffered;                     // bytes received into m_pRequest and not yet consumed
  std::unique_ptr<char[]> m_pSend;     // kSendBufferBytes
  CConnectionQueue* m_pQueue;          // the listener's, or null
  CLingerThread* m_pCloser;            // the listener's, or null
  DWORD m_dwStallMs;
  CFileCache* m_pCache;  // not owned; may be null
  HttpSettings m_settings;
};
