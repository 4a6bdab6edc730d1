// CHttpThread.cpp: one pooled HTTP worker thread.
#include "CHttpThread.h"

#include "CFile.h"
#include "Globals.h"
#include "HttpText.h"
#include "Log.h"

#include <ws2tcpip.h>

CHttpThread::CHttpThread()
    : CThread(false),
      m_hWorkEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CHttpThread::~CHttpThread()
{
    if (m_hWorkEvent)
        CloseHandle(m_hWorkEvent);
}

bool CHttpThread::Assign(SOCKET hSocket)
{
    if (WaitForSingleObject(m_hWorkEvent, 0) == WAIT_OBJECT_0)
        return false;
    if (!m_socket.Attach(hSocket))
        return false;
    SetEvent(m_hWorkEvent);
    return true;
}

int CHttpThread::Run()
{
    LogMessage(L".");
    // The work event comes first, so a connection handed over just before
    // a stop is still served.
    HANDLE handles[2] = {m_hWorkEvent, m_hStopEvent};
    for (;;) {
        DWORD dwWait = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (dwWait == WAIT_OBJECT_0) {
            HandleConnection();
            ResetEvent(m_hWorkEvent);
        } else if (dwWait == WAIT_OBJECT_0 + 1) {
            return 1;
        }
    }
}

void CHttpThread::Shutdown()
{
    Stop();
    m_socket.Close();
}

void CHttpThread::HandleConnection()
{
    // The head and the file go out in separate sends; without this a small
    // answer waits for the client's delayed acknowledgement.
    BOOL bNoDelay = TRUE;
    setsockopt(m_socket.GetHandle(), IPPROTO_TCP, TCP_NODELAY,
               reinterpret_cast<const char*>(&bNoDelay), sizeof(bNoDelay));
    for (;;) {
        std::unique_ptr<char[]> head = ReadRequest();
        if (!head)
            break;
        InterlockedIncrement(&g_nRequestCount);
        std::wstring target;
        HttpMethod method = ParseRequest(head.get(), &target);
        bool bSent = true;
        if (method == HTTP_GET)
            bSent = OnGet(target);
        else if (method == HTTP_HEAD)
            bSent = OnHead(target);
        else
            continue;   // counted, not answered; the connection stays open
        if (!bSent || ClientAsksToClose(head.get()))
            break;
    }
    m_socket.Close();
}

std::unique_ptr<char[]> CHttpThread::ReadRequest()
{
    std::unique_ptr<char[]> buffer(new char[REQUEST_BUFFER_BYTES]);
    buffer[0] = 0;
    int nLength = 0;
    ULONGLONG nDeadline = GetTickCount64() + HEAD_DEADLINE_MS;
    SOCKET h = m_socket.GetHandle();
    while (GetTickCount64() <= nDeadline) {
        // Wait for bytes instead of sleeping: a sleep caps a connection at
        // ten requests a second.
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(h, &readable);
        timeval wait = {0, static_cast<long>(POLL_MS * 1000)};
        int nReady = select(0, &readable, nullptr, nullptr, &wait);
        if (nReady == SOCKET_ERROR)
            return nullptr;
        if (nReady == 0)
            continue;
        u_long nPending = 0;
        if (!m_socket.IoControl(FIONREAD, &nPending))
            return nullptr;
        // Readable with nothing pending means the peer closed: the receive
        // below then returns 0 at once.
        int nWant = nPending == 0 ? 1 : static_cast<int>(nPending);
        if (nWant > REQUEST_TEXT_MAX - nLength)
            nWant = REQUEST_TEXT_MAX - nLength;
        int nGot = m_socket.Receive(buffer.get() + nLength, nWant);
        if (nGot <= 0 || buffer[nLength] == 0)
            return nullptr;
        nLength += nGot;
        buffer[nLength] = 0;
        if (IsHeadComplete(buffer.get(), nLength))
            return buffer;
        if (nLength >= REQUEST_TEXT_MAX)
            return nullptr;   // a head this long is never answered
    }
    return nullptr;
}

bool CHttpThread::ResolveTarget(const wchar_t* pszRoot, std::wstring* pTarget,
                                std::wstring* pPath)
{
    if (*pTarget == L"/")
        *pTarget = L"index.html";
    ConvertPath(pTarget);
    *pPath = std::wstring(pszRoot) + *pTarget;
    return IsSafeTarget(*pTarget) && LiesUnderRoot(pszRoot, pPath->c_str());
}

bool CHttpThread::OpenTarget(std::wstring* pTarget, CFile* pFile, ULONGLONG* pnSize)
{
    std::wstring path;
    // A file whose size cannot be read counts as missing: an answer
    // without its length would break the connection's framing.
    return ResolveTarget(g_szWebRoot, pTarget, &path) &&
           pFile->Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       OPEN_EXISTING, 0) &&
           pFile->GetSize64(pnSize);
}

bool CHttpThread::OnGet(std::wstring target)
{
    CFile file;
    ULONGLONG nSize = 0;
    if (OpenTarget(&target, &file, &nSize)) {
        if (!SendHeader(200, L"Sending file", static_cast<long long>(nSize)))
            return false;
        return SendBody(file, nSize);
    }
    std::wstring page = NotFoundPage(target);
    if (!SendHeader(404, L"File not found!", static_cast<long long>(page.size())))
        return false;
    std::string narrow;
    narrow.reserve(page.size());
    for (wchar_t c : page)
        narrow.push_back(static_cast<char>(c));   // every character is below 256
    return m_socket.SendString(narrow.c_str());
}

bool CHttpThread::OnHead(std::wstring target)
{
    // The same test as GET, so HEAD says 200 exactly when GET sends a file.
    CFile file;
    ULONGLONG nSize = 0;
    if (OpenTarget(&target, &file, &nSize))
        return SendHeader(200, L"File Exists", -1);
    return SendHeader(404, L"File not found", -1);
}

bool CHttpThread::SendBody(CFile& file, ULONGLONG nSize)
{
    // Exactly the promised bytes, in 8,192-byte pieces. A file that fails
    // or ends early (cut by another program) must end the connection: the
    // client would otherwise wait for bytes that never come, or take the
    // next answer for part of this file. Growth meanwhile is not sent.
    char piece[FILE_PIECE_BYTES];
    ULONGLONG nLeft = nSize;
    while (nLeft > 0) {
        DWORD nWant = nLeft < FILE_PIECE_BYTES ? static_cast<DWORD>(nLeft) : FILE_PIECE_BYTES;
        bool bFailed = false;
        DWORD nRead = file.Read(piece, nWant, &bFailed);
        if (bFailed || nRead == 0)
            return false;
        if (m_socket.Send(piece, static_cast<int>(nRead)) != static_cast<int>(nRead))
            return false;
        nLeft -= nRead;
    }
    return true;
}

bool CHttpThread::SendHeader(int nStatus, const wchar_t* pszReason, long long nLength)
{
    return m_socket.SendString(AnswerHead(nStatus, pszReason, nLength).c_str());
}
