// CListenThread.cpp: the server's listening thread.
#include "CListenThread.h"

#include "Log.h"

CListenThread::CListenThread() : CThread(false)
{
}

CListenThread::~CListenThread()
{
}

int CListenThread::Run()
{
    LogMessage(L"Starting Threads\r\n");
    for (CHttpThread& worker : m_workers)
        worker.Start();
    if (!m_socket.Create(AF_INET, SOCK_STREAM, 0)) {
        LogMessage(L"Listen socket Create Failed\r\n");
        return 0;
    }
    if (!m_socket.Listen(PORT)) {
        LogMessage(L"Listen Failed\r\n");
        return 0;
    }
    CSocket client;
    LogMessage(L"Listening...");
    DWORD dwPause = 0;
    for (;;) {
        // Waiting before every accept would cap the server at ten new
        // connections a second; only a failed accept (normal once Shutdown
        // has closed the socket) pauses for the stop event.
        if (WaitForSingleObject(m_hStopEvent, dwPause) == WAIT_OBJECT_0)
            break;
        dwPause = 0;
        if (!m_socket.Accept(client, nullptr, nullptr)) {
            dwPause = STOP_POLL_MS;
            continue;
        }
        SOCKET hConnection = client.Detach();
        bool bAnyStarted = false;
        for (CHttpThread& worker : m_workers)
            bAnyStarted = bAnyStarted || worker.IsStarted();
        if (!bAnyStarted) {
            // Nobody could ever serve it; holding it would hang Shutdown.
            CSocket drop(hConnection);
            continue;
        }
        while (!Dispatch(hConnection))
            Sleep(STOP_POLL_MS);
    }
    return 1;
}

bool CListenThread::Dispatch(SOCKET hSocket)
{
    for (CHttpThread& worker : m_workers) {
        if (worker.IsStarted() && worker.Assign(hSocket))
            return true;
    }
    return false;
}

void CListenThread::Shutdown()
{
    // The stop event goes first: a thread that has not yet made its socket
    // when the close comes must still see the stop before it blocks in
    // accept on a socket that nobody would close any more.
    SetEvent(m_hStopEvent);
    m_socket.Close();
    Stop();
    for (CHttpThread& worker : m_workers)
        worker.Shutdown();
}
