// CHttpThread.h: one pooled HTTP worker thread; owns the socket of the
// connection it serves and its work event.
#pragma once

#include "CSocket.h"
#include "CThread.h"

#include <memory>
#include <string>

class CFile;

// Idle until the listener hands it a connection (Assign), then answers
// request heads on it until the client goes quiet, closes or asks to close.
class CHttpThread : public CThread
{
public:
    CHttpThread();
    ~CHttpThread() override;

    // On the listener's thread. False while busy; otherwise takes the handle
    // and wakes the worker. The work event is signalled exactly while busy.
    bool Assign(SOCKET hSocket);
    int Run() override;
    // Stops the thread (after it finishes its connection), then closes the
    // socket.
    void Shutdown();
    // Whether the thread runs: a worker that never started serves nothing.
    bool IsStarted() const { return m_hThread != nullptr; }
    bool IsBusy() const { return WaitForSingleObject(m_hWorkEvent, 0) == WAIT_OBJECT_0; }

    // Serves the attached connection until it ends, then closes it.
    void HandleConnection();
    // One complete request head, zero-terminated, or null when the client
    // sent none within the deadline, closed, failed or overflowed the buffer.
    std::unique_ptr<char[]> ReadRequest();
    // Answer one GET / HEAD for the raw target; false when an answer could
    // not be sent whole, which ends the connection.
    bool OnGet(std::wstring target);
    bool OnHead(std::wstring target);
    // The file's first nSize bytes; false when they could not all be sent.
    bool SendBody(CFile& file, ULONGLONG nSize);
    // The answer head in one send; nLength < 0 for no length line.
    bool SendHeader(int nStatus, const wchar_t* pszReason, long long nLength);

    // The file a target names under the web root, or false when the target
    // may not be opened (it is then answered like a missing file). pTarget
    // receives the converted target, which the 404 page names.
    static bool ResolveTarget(const wchar_t* pszRoot, std::wstring* pTarget,
                              std::wstring* pPath);

    // Opens the file a target names; false when it may not or cannot be
    // opened, or its size cannot be read.
    static bool OpenTarget(std::wstring* pTarget, CFile* pFile, ULONGLONG* pnSize);

    static const DWORD HEAD_DEADLINE_MS = 3000;
    static const DWORD POLL_MS = 100;
    static const DWORD FILE_PIECE_BYTES = 8192;

private:
    CSocket m_socket;      // the connection; empty while idle
    HANDLE m_hWorkEvent;   // manual reset; signalled = busy
};
