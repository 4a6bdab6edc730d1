// Yardstick.cpp: the bare blocking Win32 file server that the benchmark
// holds OrraWebServer against, run under the same Wine in the same run: the
// platform's own cost of serving a file, with nothing clever.
//
//   yardstick.exe PORT ROOT [PIECE_BYTES | transmit]
//
// One thread per connection; blocking recv until the head ends; GET only;
// CreateFile, the head in its own send, then PIECE_BYTES ReadFile + send
// (8,192 by default); TCP_NODELAY; keep-alive until the client closes
// (HTTP/1.0: closed after the answer).
// "transmit" sends the file with TransmitFile instead, to weigh that call
// against plain sends under Wine.
// No path checks: a benchmark tool for the loopback, never a server.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <mswsock.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring g_root;
int g_nPiece = 8192;
bool g_bTransmit = false;

bool SendAll(SOCKET h, const char* p, int n) {
  while (n > 0) {
    int k = send(h, p, n, 0);
    if (k <= 0) return false;
    p += k;
    n -= k;
  }
  return true;
}

DWORD WINAPI Serve(LPVOID pParam) {
  SOCKET h = reinterpret_cast<SOCKET>(pParam);
  BOOL bNoDelay = TRUE;
  setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay),
             sizeof(bNoDelay));
  std::vector<char> piece(g_nPiece);
  std::string text;
  char in[4096];
  for (;;) {
    size_t nEnd;
    while ((nEnd = text.find("\r\n\r\n")) == std::string::npos) {
      int n = recv(h, in, sizeof(in), 0);
      if (n <= 0) {
        closesocket(h);
        return 0;
      }
      text.append(in, n);
    }
    std::string head = text.substr(0, nEnd + 4);
    text.erase(0, nEnd + 4);
    if (head.compare(0, 4, "GET ") != 0) break;
    std::string target = head.substr(4, head.find(' ', 4) - 4);
    std::wstring path = g_root;
    for (size_t i = 1; i < target.size(); ++i)
      path.push_back(target[i] == '/' ? L'\\' : static_cast<wchar_t>(target[i]));
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
      static const char kMissing[] = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n";
      if (!SendAll(h, kMissing, sizeof(kMissing) - 1)) break;
      continue;
    }
    LARGE_INTEGER size;
    GetFileSizeEx(hFile, &size);
    char line[128];
    int n = std::snprintf(line, sizeof(line), "HTTP/1.1 200 OK\r\nContent-Length: %lld\r\n\r\n",
                          static_cast<long long>(size.QuadPart));
    bool bOk = SendAll(h, line, n);
    DWORD nRead = 0;
    if (bOk && g_bTransmit) bOk = TransmitFile(h, hFile, 0, 0, nullptr, nullptr, 0) != FALSE;
    while (bOk && !g_bTransmit && ReadFile(hFile, piece.data(), g_nPiece, &nRead, nullptr) &&
           nRead > 0)
      bOk = SendAll(h, piece.data(), static_cast<int>(nRead));
    CloseHandle(hFile);
    // ab speaks HTTP/1.0 and waits for the close.
    size_t nLineEnd = head.find("\r\n");
    if (!bOk || head.compare(nLineEnd - 8, 8, "HTTP/1.0") == 0) break;
  }
  closesocket(h);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: yardstick.exe PORT ROOT [PIECE_BYTES]\n");
    return 2;
  }
  g_root = argv[2];
  if (g_root.empty() || g_root.back() != L'\\') g_root.push_back(L'\\');
  if (argc > 3 && wcscmp(argv[3], L"transmit") == 0)
    g_bTransmit = true;
  else if (argc > 3)
    g_nPiece = _wtoi(argv[3]);
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET hListen = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(_wtoi(argv[1])));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(hListen, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(hListen, SOMAXCONN) != 0) {
    std::fprintf(stderr, "yardstick: cannot listen: %d\n", WSAGetLastError());
    return 1;
  }
  for (;;) {
    SOCKET h = accept(hListen, nullptr, nullptr);
    if (h == INVALID_SOCKET) continue;
    HANDLE hThread = CreateThread(nullptr, 0, Serve, reinterpret_cast<LPVOID>(h), 0, nullptr);
    if (hThread)
      CloseHandle(hThread);
    else
      closesocket(h);
  }
}
