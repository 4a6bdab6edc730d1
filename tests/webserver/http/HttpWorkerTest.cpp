// The listener and its workers serving real loopback connections from a
// temporary web root, on a port of their own: the answers byte for byte,
// persistent connections, deadlines and limits, path safety, close
// requests, large files and failing reads, the hand-over to the workers,
// and both address families.
#include "../lib/LogCapture.h"
#include "ExpectedAnswers.h"
#include "http/CFileCache.h"
#include "http/CHttpThread.h"
#include "http/CListenThread.h"
#include "RawClient.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <winioctl.h>
#include <ws2tcpip.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring g_root;        // with a trailing backslash
std::wstring g_outside;     // a file next to the web root, never to be served
wchar_t g_szWebRoot[1024];  // what the workers serve: g_root, or a variant of it
volatile LONG g_nRequestCount = 0;
const HttpSettings kSettings = {g_szWebRoot, &g_nRequestCount, 0};

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

std::string Pattern(size_t n) {
  std::string s(n, 0);
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

using expected::FieldOf;
using expected::FileLines;
using expected::Found;
using expected::HeadFound;
using expected::kHeadMissing;
using expected::Masked;
using expected::NotFound;
using expected::NotModified;
using expected::Partial;
using expected::Redirect;
using expected::Unsatisfiable;

// 1994-11-06 08:49:37.5 UTC as a file time.
const ULONGLONG kSampleTime = 124285853775000000ULL;

void SetWriteTime(const std::wstring& path, ULONGLONG time) {
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME ft = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
  CloseHandle(h);
}

ULONGLONG HoursAgo(int hours) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
         hours * 36000000000ULL;
}

class HttpWorker : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"qor-http-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(base.c_str(), nullptr);
    g_root = base + L"\\root\\";
    g_outside = base + L"\\outside-secret.txt";
    CreateDirectoryW(g_root.c_str(), nullptr);
    CreateDirectoryW((g_root + L"a").c_str(), nullptr);
    CreateDirectoryW((g_root + L"docs").c_str(), nullptr);
    WriteFileBytes(g_root + L"index.html", "<html>home</html>");
    WriteFileBytes(g_root + L"a\\b.txt", "bee");
    WriteFileBytes(g_root + L"x", "ex");
    WriteFileBytes(g_root + L"my%20page.html", "percent");
    WriteFileBytes(g_root + L"bomba 1.ico", "icon");
    WriteFileBytes(g_root + L"\u00E9.txt", "e acute");
    WriteFileBytes(g_root + L"empty.txt", "");
    WriteFileBytes(g_root + L"two-pieces.bin", Pattern(16384));
    WriteFileBytes(g_root + L"odd.bin", Pattern(100000));
    WriteFileBytes(g_outside, "secret");
    wcscpy(g_szWebRoot, g_root.c_str());
  }

  void SetUp() override {
    m_hListen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(m_hListen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(listen(m_hListen, 5), 0);
    int length = sizeof(addr);
    getsockname(m_hListen, reinterpret_cast<sockaddr*>(&addr), &length);
    m_nPort = ntohs(addr.sin_port);
    ASSERT_TRUE(m_listener.Start());
    for (int i = 0; i < 500 && m_listener.Port() == 0; ++i) Sleep(10);
    ASSERT_NE(m_listener.Port(), 0);
  }

  void TearDown() override {
    m_client.Close();
    m_listener.Shutdown();
    closesocket(m_hListen);
  }

  void SetSendStallLimit(DWORD ms) {
    for (int i = 0; i < CListenThread::kWorkerCount; ++i)
      m_listener.Worker(i).SetSendStallLimit(ms);
  }

  // Whether the server has closed its end of the connection within the time.
  static bool ServerEndCloses(SOCKET served, DWORD ms) {
    for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(10)) {
      int type = 0, size = sizeof(type);
      if (getsockopt(served, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) != 0)
        return true;
    }
    return false;
  }

  // A server-side socket for a fresh client connection.
  SOCKET Accepted(RawClient* client) {
    if (!client->Connect(m_nPort)) return INVALID_SOCKET;
    return accept(m_hListen, nullptr, nullptr);
  }

  // A fresh client whose connection the test accepts and hands to the
  // listener, keeping the server's end for inspection.
  void Connect() {
    SOCKET h = Accepted(&m_client);
    ASSERT_NE(h, INVALID_SOCKET);
    m_listener.Dispatch(h);
    m_hServed = h;
  }

  std::string Ask(const std::string& request) {
    EXPECT_TRUE(m_client.SendAll(request));
    return Masked(m_client.ReadAnswer(5000));
  }

  SOCKET m_hListen = INVALID_SOCKET;
  SOCKET m_hServed = INVALID_SOCKET;  // the worker's end, for inspection only
  unsigned short m_nPort = 0;         // the test's own listening socket
  CListenThread m_listener{kSettings};
  RawClient m_client;
};

TEST_F(HttpWorker, AnswersEveryRowOfTheResponseTableByteForByte) {
  Connect();
  EXPECT_EQ(Ask(GetRequest("/a/b.txt")), Found("bee", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/nothere.txt")), NotFound("nothere.txt"));
  EXPECT_EQ(Ask(HeadRequest("/a/b.txt")), HeadFound("text/plain"));
  EXPECT_EQ(Ask(HeadRequest("/nothere.txt")), kHeadMissing);
  ASSERT_TRUE(m_client.SendAll("POST /a/b.txt HTTP/1.1\r\n\r\n"));
  EXPECT_FALSE(m_client.AnythingArrives(500));
  EXPECT_EQ(Ask(GetRequest("/empty.txt")), Found("", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/two-pieces.bin")), Found(Pattern(16384)));
  EXPECT_EQ(Ask(GetRequest("/odd.bin")), Found(Pattern(100000)));
}

TEST_F(HttpWorker, MapsTargetsToFilesOnceDecoded) {
  Connect();
  EXPECT_EQ(Ask(GetRequest("/")), Found("<html>home</html>", "text/html"));
  EXPECT_EQ(Ask(HeadRequest("/")), HeadFound("text/html"));
  EXPECT_EQ(Ask(GetRequest("//x")), Found("ex"));
  EXPECT_EQ(Ask(GetRequest("/a\\b.txt")), Found("bee", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/docs/")), NotFound("docs\\"));
  EXPECT_EQ(Ask(GetRequest("/nothere")), NotFound("nothere"));
  EXPECT_EQ(Ask(GetRequest("/my%2520page.html")), Found("percent", "text/html"));
  EXPECT_EQ(Ask("GET  HTTP/1.1\r\n\r\n"), NotFound(""));
  // Without a version the head's own line ends belong to the target.
  EXPECT_EQ(Ask("GET /index.html\r\n\r\n"), NotFound("index.html\r\n\r\n"));
}

TEST_F(HttpWorker, HeadSaysTwoHundredExactlyWhenGetSendsTheFile) {
  Connect();
  const char* targets[] = {"/",        "/a/b.txt",
                           "/x",       "//x",
                           "/docs",    "/docs/",
                           "/missing", "/../outside-secret.txt",
                           "/CON",     "/index.html::$DATA",
                           ""};
  for (const char* t : targets) {
    std::string got = Ask(GetRequest(t));
    std::string head = Ask(HeadRequest(t));
    EXPECT_EQ(head.substr(0, 13), got.substr(0, 13)) << t;
    if (got.compare(0, 13, "HTTP/1.1 404 ") == 0) {
      EXPECT_EQ(head, kHeadMissing) << t;
    }
  }
}

TEST_F(HttpWorker, ServesManyRequestsOnOneConnectionAndCountsEachHead) {
  Connect();
  LONG before = g_nRequestCount;
  for (int i = 0; i < 40; ++i)
    ASSERT_EQ(Ask(GetRequest("/a/b.txt")), Found("bee", "text/plain")) << i;
  ASSERT_TRUE(m_client.SendAll("get /a/b.txt HTTP/1.1\r\n\r\n"));
  EXPECT_FALSE(m_client.AnythingArrives(300));
  EXPECT_EQ(Ask(GetRequest("/a/b.txt")), Found("bee", "text/plain"));
  EXPECT_EQ(g_nRequestCount, before + 42);
  // Head and file go out in separate sends: without this option each
  // small answer would wait for the client's delayed acknowledgement.
  BOOL noDelay = FALSE;
  int size = sizeof(noDelay);
  ASSERT_EQ(
      getsockopt(m_hServed, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay), &size), 0);
  EXPECT_TRUE(noDelay);
}

TEST_F(HttpWorker, DecodesAddressesAsBrowsersWriteThem) {
  Connect();
  EXPECT_EQ(Ask(GetRequest("/bomba%201.ico")), Found("icon", "image/x-icon"));
  EXPECT_EQ(Ask(GetRequest("/index.html?v=1")), Found("<html>home</html>", "text/html"));
  EXPECT_EQ(Ask(GetRequest("/?q")), Found("<html>home</html>", "text/html"));
  EXPECT_EQ(Ask(GetRequest("/a%2Fb.txt")), Found("bee", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/%C3%A9.txt")), Found("e acute", "text/plain"));  // UTF-8
  EXPECT_EQ(Ask(GetRequest("/\xE9.txt")), Found("e acute", "text/plain"));    // a raw single byte
  EXPECT_EQ(Ask(GetRequest("/my%20page.html")), NotFound("my page.html"));
  EXPECT_EQ(Ask(GetRequest("/100%.txt")), NotFound("100%.txt"));  // malformed
  EXPECT_EQ(Ask(GetRequest("/%3Cb%3E")), NotFound("&lt;b&gt;"));
  EXPECT_EQ(Ask(HeadRequest("/bomba%201.ico")), HeadFound("image/x-icon"));
  EXPECT_EQ(Ask(HeadRequest("/bomba%2")), kHeadMissing);
}

TEST_F(HttpWorker, PipelinedHeadsAreAnsweredEachInOrder) {
  Connect();
  LONG before = g_nRequestCount;
  std::string requests, answers;
  for (int i = 0; i < 50; ++i) {
    requests += i % 2 ? GetRequest("/a/b.txt") : HeadRequest("/missing");
    answers += i % 2 ? Found("bee", "text/plain") : std::string(kHeadMissing);
  }
  // A head filling the buffer exactly, with the next one in the same piece.
  std::string start = "GET /x HTTP/1.1\r\nX-Pad: ";
  requests += start + std::string(4095 - start.size() - 4, 'p') + "\r\n\r\n" + GetRequest("/x");
  answers += Found("ex") + Found("ex");
  ASSERT_TRUE(m_client.SendAll(requests));
  std::string got;
  for (int i = 0; i < 52; ++i) got += m_client.ReadAnswer(5000);
  EXPECT_EQ(Masked(got), answers);
  EXPECT_FALSE(m_client.AnythingArrives(300));
  EXPECT_EQ(g_nRequestCount, before + 52);
}

TEST_F(HttpWorker, ZeroByteAnywhereInTheHeadEndsTheConnectionUnanswered) {
  const std::string heads[] = {
      std::string("GET /index.html\0/x HTTP/1.1\r\n\r\n", 31),
      std::string("GET /a/b.txt HTTP/1.1\r\nX: \0\r\nConnection: close\r\n\r\n", 49),
  };
  for (const std::string& head : heads) {
    Connect();
    LONG before = g_nRequestCount;
    ASSERT_TRUE(m_client.SendAll(head));
    EXPECT_EQ(m_client.Read(1, 2000), "");
    EXPECT_TRUE(m_client.IsClosedByPeer());
    EXPECT_EQ(g_nRequestCount, before);
    m_client.Close();
  }
}

TEST_F(HttpWorker, HeadArrivingInPiecesIsAnsweredWhenComplete) {
  Connect();
  std::string request = GetRequest("/a/b.txt");
  for (char c : request) {
    ASSERT_TRUE(m_client.SendAll(std::string(1, c)));
    Sleep(5);
  }
  EXPECT_EQ(Masked(m_client.ReadAnswer(5000)), Found("bee", "text/plain"));
}

TEST_F(HttpWorker, IdleClientIsCutAfterTheDeadlineAndNotCounted) {
  Connect();
  LONG before = g_nRequestCount;
  ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(m_client.WaitClosed(8000));
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 2500u);
  EXPECT_LE(elapsed, 6000u);
  EXPECT_EQ(g_nRequestCount, before);
}

TEST_F(HttpWorker, ClientClosingEndsTheConnectionAtOnce) {
  Connect();
  ASSERT_TRUE(m_client.SendAll("GET /a/b"));
  Sleep(200);  // the part of a head waits in the poll
  m_client.Close();
  // Well before the head deadline.
  EXPECT_TRUE(ServerEndCloses(m_hServed, 1500));
}

TEST_F(HttpWorker, HeadLongerThanTheBufferEndsTheConnectionUnanswered) {
  Connect();
  LONG before = g_nRequestCount;
  std::string request = "GET /a/b.txt HTTP/1.1\r\nX-Pad: " + std::string(5000, 'p') + "\r\n\r\n";
  m_client.SendAll(request);  // may fail part-way once the worker closes
  EXPECT_TRUE(m_client.WaitClosed(5000));
  EXPECT_EQ(g_nRequestCount, before);
}

TEST_F(HttpWorker, BlockStartingWithAZeroByteEndsTheConnectionUnanswered) {
  Connect();
  LONG before = g_nRequestCount;
  ASSERT_TRUE(m_client.SendAll(std::string("\0GET /a/b.txt HTTP/1.1\r\n\r\n", 26)));
  EXPECT_TRUE(m_client.WaitClosed(2000));
  EXPECT_EQ(g_nRequestCount, before);
}

TEST_F(HttpWorker, HeadFillingTheBufferExactlyIsStillAnswered) {
  Connect();
  std::string start = "GET /a/b.txt HTTP/1.1\r\nX-Pad: ";
  std::string request = start + std::string(4095 - start.size() - 4, 'p') + "\r\n\r\n";
  ASSERT_EQ(request.size(), 4095u);
  EXPECT_EQ(Ask(request), Found("bee", "text/plain"));
}

TEST_F(HttpWorker, LongTargetIsTakenWholeAndNamedInTheNotFoundPage) {
  Connect();
  std::string name(3000, 'n');
  EXPECT_EQ(Ask(GetRequest("/" + name)), NotFound(name));
}

TEST_F(HttpWorker, NeverOpensAFileOutsideTheWebRoot) {
  Connect();
  std::wstring outsideName = g_outside.substr(g_outside.rfind(L'\\') + 1);
  ASSERT_EQ(outsideName, L"outside-secret.txt");
  struct {
    const char* target;
    const char* named;
  } cases[] = {
      {"/../outside-secret.txt", "..\\outside-secret.txt"},
      {"/..\\outside-secret.txt", "..\\outside-secret.txt"},
      {"/a/../../outside-secret.txt", "a\\..\\..\\outside-secret.txt"},
      {"/.. /outside-secret.txt", nullptr},
      {"/../root/index.html", "..\\root\\index.html"},
      {"/.../outside-secret.txt", "...\\outside-secret.txt"},
      {"/index.html::$DATA", "index.html::$DATA"},
      {"/CON", "CON"},
      {"/nul.txt", "nul.txt"},
      {"/com1", "com1"},
  };
  for (const auto& c : cases) {
    std::string answer = Ask(GetRequest(c.target));
    if (c.named)
      EXPECT_EQ(answer, NotFound(c.named)) << c.target;
    else
      EXPECT_EQ(answer.find("HTTP/1.1 404 File not found!\r\n"), 0u) << c.target;
    EXPECT_EQ(Ask(HeadRequest(c.target)), kHeadMissing) << c.target;
  }
  // An absolute path after the root: C:\... carries a ':'.
  std::string absolute(g_outside.begin(), g_outside.end());
  EXPECT_EQ(Ask(GetRequest("/" + absolute)).find("HTTP/1.1 404 "), 0u);
}

TEST_F(HttpWorker, RootWithoutTrailingBackslashServesNothingOutsideIt) {
  std::wstring root = g_root.substr(0, g_root.size() - 1);  // ...\root
  wcscpy(g_szWebRoot, root.c_str());
  WriteFileBytes(root + L"-sibling.txt", "sibling");
  Connect();
  std::string answer = Ask(GetRequest("-sibling.txt"));
  wcscpy(g_szWebRoot, g_root.c_str());
  EXPECT_EQ(answer, NotFound("-sibling.txt"));
  DeleteFileW((root + L"-sibling.txt").c_str());
}

TEST_F(HttpWorker, NotFoundPageCarriesNoMarkupOfTheClient) {
  Connect();
  EXPECT_EQ(Ask(GetRequest("/<script>alert('x')</script>&\"")),
            NotFound("&lt;script&gt;alert(&#39;x&#39;)&lt;\\script&gt;&amp;&quot;"));
}

TEST_F(HttpWorker, ClosesAfterAnsweringWhenTheClientAsksTo) {
  const char* closing[] = {
      "GET /a/b.txt HTTP/1.1\r\nConnection: close\r\n\r\n",
      "GET /a/b.txt HTTP/1.0\r\n\r\n",
      "HEAD /a/b.txt HTTP/1.0\r\nHost: x\r\n\r\n",
  };
  for (const char* request : closing) {
    Connect();
    std::string answer = Ask(request);
    EXPECT_EQ(answer.find("HTTP/1.1 200 "), 0u) << request;
    ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(m_client.WaitClosed(5000)) << request;
    EXPECT_LT(GetTickCount64() - start, 1000u) << request;
    m_client.Close();
  }
  Connect();
  EXPECT_EQ(Ask("GET /a/b.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"),
            Found("bee", "text/plain"));
  EXPECT_EQ(Ask("GET /a/b.txt HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"),
            Found("bee", "text/plain"));
}

TEST_F(HttpWorker, NeverTakesABodyForTheNextRequest) {
  const std::string smuggled = GetRequest("/a/b.txt");
  const std::string length = std::to_string(smuggled.size());
  Connect();
  ASSERT_TRUE(
      m_client.SendAll("POST /x HTTP/1.1\r\nContent-Length: " + length + "\r\n\r\n" + smuggled));
  EXPECT_FALSE(m_client.AnythingArrives(1000)) << "the body was answered";
  EXPECT_TRUE(m_client.WaitClosed(5000));
  m_client.Close();

  Connect();
  EXPECT_EQ(Ask("GET /x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"), Found("ex"));
  EXPECT_TRUE(m_client.WaitClosed(5000));
}

TEST_F(HttpWorker, BareLineFeedsEndHeadsAndFieldsAsCrLfDoes) {
  Connect();
  EXPECT_EQ(Ask("GET /x HTTP/1.1\nHost: a\n\n"), Found("ex"));
  EXPECT_EQ(Ask("GET /x HTTP/1.1\r\nHost: a\n\r\n"), Found("ex"));
  // A length after a bare LF is seen: what follows is a body, never a request.
  const std::string smuggled = GetRequest("/a/b.txt");
  EXPECT_EQ(Ask("GET /x HTTP/1.1\r\nHost: a\nContent-Length: " + std::to_string(smuggled.size()) +
                "\r\n\r\n" + smuggled),
            Found("ex"));
  EXPECT_EQ(m_client.Read(1, 2000), "");
  EXPECT_TRUE(m_client.IsClosedByPeer());
}

TEST_F(HttpWorker, FileOfTwoGigabytesOrMoreCarriesItsTrueLength) {
  std::wstring path = g_root + L"huge.bin";
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD returned = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  DWORD written = 0;
  WriteFile(h, "HUGE", 4, &written, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 0x80000000LL + 10;  // 2 GiB and ten bytes
  SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);

  Connect();
  ASSERT_TRUE(m_client.SendAll(GetRequest("/huge.bin")));
  EXPECT_EQ(Masked(m_client.ReadHead(5000)),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 2147483658\r\n" + FileLines("") + "\r\n");
  EXPECT_EQ(m_client.Read(8, 5000), std::string("HUGE\0\0\0\0", 8));
  m_client.Close();
  m_listener.Shutdown();  // the worker must notice the closed client
  DeleteFileW(path.c_str());
}

TEST_F(HttpWorker, FileCutShortWhileSendingClosesTheConnection) {
  const size_t size = 8 * 1024 * 1024;
  std::wstring path = g_root + L"shrinking.bin";
  WriteFileBytes(path, Pattern(size));
  Connect();
  ASSERT_TRUE(m_client.SendAll(GetRequest("/shrinking.bin")));
  EXPECT_EQ(Masked(m_client.ReadHead(5000)),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 8388608\r\n" + FileLines("") + "\r\n");
  ASSERT_EQ(m_client.Read(100, 5000).size(), 100u);
  // The client stops reading; the worker blocks once the socket buffers
  // are full, and another program cuts the file meanwhile.
  Sleep(300);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER cut;
  cut.QuadPart = 10000;
  SetFilePointerEx(h, cut, nullptr, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);
  // Well before the head deadline would close an idle connection.
  std::string body = m_client.Read(size, 1500);
  EXPECT_LT(body.size() + 100, size);
  EXPECT_TRUE(m_client.IsClosedByPeer());
}

TEST_F(HttpWorker, ServesAFolderFromItsIndexAndRedirectsItsNameWithoutTheSlash) {
  CreateDirectoryW((g_root + L"site").c_str(), nullptr);
  CreateDirectoryW((g_root + L"site\\b c").c_str(), nullptr);
  WriteFileBytes(g_root + L"site\\index.html", "<p>folder</p>");
  Connect();
  EXPECT_EQ(Ask(GetRequest("/site/")), Found("<p>folder</p>", "text/html"));
  EXPECT_EQ(Ask(HeadRequest("/site/")), HeadFound("text/html"));
  EXPECT_EQ(Ask(GetRequest("/site?v=1")), Redirect("/site/?v=1"));
  EXPECT_EQ(Ask(HeadRequest("/site")), Redirect("/site/", false));
  EXPECT_EQ(Ask(GetRequest("/site/b%20c")), Redirect("/site/b%20c/"));
  // Never a location another host could be read from.
  EXPECT_EQ(Ask(GetRequest("//site")), Redirect("/site/"));
  EXPECT_EQ(Ask(GetRequest("/%5Csite")), Redirect("/site/"));
  // A folder without index.html, and the path rules, as for a file.
  EXPECT_EQ(Ask(GetRequest("/site/b%20c/")), NotFound("site\\b c\\"));
  EXPECT_EQ(Ask(GetRequest("/../root/site/")), NotFound("..\\root\\site\\"));
  EXPECT_EQ(Ask(GetRequest("/../root")), NotFound("..\\root"));
  EXPECT_EQ(Ask(GetRequest("/site/../../root/site")), NotFound("site\\..\\..\\root\\site"));
}

TEST_F(HttpWorker, AnswersOneRangeWithExactlyThoseBytes) {
  const std::string file = Pattern(100000);
  Connect();
  struct {
    const char* range;
    size_t first, last;
  } parts[] = {
      {"0-0", 0, 0},         {"100-70099", 100, 70099},      {"99990-", 99990, 99999},
      {"-10", 99990, 99999}, {"99990-200000", 99990, 99999},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(Ask(GetRequest("/odd.bin", std::string("Range: bytes=") + p.range + "\r\n")),
              Partial(file, p.first, p.last))
        << p.range;
  }
  EXPECT_EQ(Ask(GetRequest("/odd.bin", "Range: bytes=100000-\r\n")), Unsatisfiable(100000));
  EXPECT_EQ(Ask(GetRequest("/a/b.txt", "Range: bytes=1-\r\n")), Partial("bee", 1, 2, "text/plain"));
  // Several ranges or a malformed one: the whole file, as if none were asked.
  EXPECT_EQ(Ask(GetRequest("/odd.bin", "Range: bytes=0-1,5-6\r\n")), Found(file));
  EXPECT_EQ(Ask(GetRequest("/odd.bin", "Range: bytes=5-1\r\n")), Found(file));
  EXPECT_EQ(Ask(HeadRequest("/odd.bin", "Range: bytes=0-1\r\n")), HeadFound());
}

TEST_F(HttpWorker, SaysNotModifiedForADateNotBeforeTheFilesTime) {
  std::wstring path = g_root + L"dated.txt";
  WriteFileBytes(path, "dated");
  SetWriteTime(path, kSampleTime);
  const std::string date = "Sun, 06 Nov 1994 08:49:37 GMT";
  Connect();
  ASSERT_TRUE(m_client.SendAll(GetRequest("/dated.txt")));
  const std::string tag = "\"1b98d5354dd71c0-5\"";  // the time and the size in hex
  EXPECT_EQ(m_client.ReadAnswer(5000),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 5\r\ncontent-type: text/plain\r\n"
            "last-modified: " +
                date + "\r\netag: " + tag + "\r\naccept-ranges: bytes\r\n\r\ndated");
  ASSERT_TRUE(m_client.SendAll(GetRequest("/dated.txt", "If-Modified-Since: " + date + "\r\n")));
  EXPECT_EQ(m_client.ReadAnswer(5000), NotModified(date, tag));
  EXPECT_EQ(Ask(HeadRequest("/dated.txt", "If-Modified-Since: Sun, 06 Nov 1994 09:00:00 GMT\r\n")),
            NotModified());
  EXPECT_EQ(Ask(GetRequest("/dated.txt", "If-Modified-Since: Sun, 06 Nov 1994 08:49:36 GMT\r\n")),
            Found("dated", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/dated.txt", "If-Modified-Since: Fri, 01 Jan 9999 00:00:00 GMT\r\n")),
            Found("dated", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/dated.txt", "If-Modified-Since: soon\r\n")),
            Found("dated", "text/plain"));
  DeleteFileW(path.c_str());
}

TEST_F(HttpWorker, RevalidatesWithTheEntityTagWhichChangesWithTheFile) {
  std::wstring path = g_root + L"tagged.txt";
  WriteFileBytes(path, "tagged");
  SetWriteTime(path, kSampleTime);
  Connect();
  ASSERT_TRUE(m_client.SendAll(GetRequest("/tagged.txt")));
  std::string tag = FieldOf(m_client.ReadAnswer(5000), "etag");
  const std::string range = "Range: bytes=1-2\r\nIf-Range: ";
  EXPECT_EQ(Ask(GetRequest("/tagged.txt", "If-None-Match: " + tag + "\r\n")), NotModified());
  EXPECT_EQ(Ask(GetRequest("/tagged.txt", "If-None-Match: \"x\"\r\n")),
            Found("tagged", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/tagged.txt", range + tag + "\r\n")),
            Partial("tagged", 1, 2, "text/plain"));
  // Written again: a new tag, and the old one validates nothing.
  WriteFileBytes(path, "retagged");
  SetWriteTime(path, kSampleTime + 36000000000ULL);
  ASSERT_TRUE(m_client.SendAll(GetRequest("/tagged.txt", "If-None-Match: " + tag + "\r\n")));
  std::string answer = m_client.ReadAnswer(5000);
  EXPECT_EQ(Masked(answer), Found("retagged", "text/plain"));
  EXPECT_NE(FieldOf(answer, "etag"), tag);
  EXPECT_EQ(Ask(GetRequest("/tagged.txt", range + tag + "\r\n")), Found("retagged", "text/plain"));
  DeleteFileW(path.c_str());
}

TEST_F(HttpWorker, SkipsEmptyLinesBeforeARequestLine) {
  Connect();
  ASSERT_TRUE(m_client.SendAll("\r\n" + GetRequest("/x")));
  EXPECT_EQ(Masked(m_client.ReadAnswer(1000)), Found("ex"));
  // Pipelined on the kept-alive connection, an empty line between the two.
  ASSERT_TRUE(m_client.SendAll(GetRequest("/x") + "\r\n" + GetRequest("/a/b.txt")));
  EXPECT_EQ(Masked(m_client.ReadAnswer(1000)), Found("ex"));
  EXPECT_EQ(Masked(m_client.ReadAnswer(1000)), Found("bee", "text/plain"));
}

TEST_F(HttpWorker, KeepsOneCopyOfASmallFileHoweverItsNameIsSpelled) {
  std::wstring path = g_root + L"spelled.js";
  WriteFileBytes(path, "let x;");
  SetWriteTime(path, HoursAgo(1));
  Connect();
  for (const char* target : {"/spelled.js", "/SPELLED.js", "/./spelled.js", "//Spelled.JS"})
    EXPECT_EQ(Ask(GetRequest(target)), Found("let x;", "text/javascript")) << target;
  EXPECT_EQ(m_listener.Cache().Bytes(), 6u);
  DeleteFileW(path.c_str());
}

// The owner deletes a large file while a client that reads slowly is still
// receiving it: the delete succeeds, and the answer goes on whole.
TEST_F(HttpWorker, FileBeingSentCanBeDeletedAndItsAnswerStillArrivesWhole) {
  const size_t size = 16 * 1024 * 1024;
  const std::string bytes = Pattern(size);
  std::wstring path = g_root + L"deleted.bin";
  WriteFileBytes(path, bytes);
  Connect();
  ASSERT_TRUE(m_client.SendAll(GetRequest("/deleted.bin")));
  EXPECT_EQ(Masked(m_client.ReadHead(5000)),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 16777216\r\n" + FileLines("") + "\r\n");
  std::string body = m_client.Read(100, 5000);
  Sleep(300);  // the socket's buffers fill; the worker waits, the file open
  EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
  while (body.size() < size && !m_client.IsClosedByPeer()) {
    std::string more = m_client.Read(size - body.size(), 5000);
    if (more.empty()) break;
    body += more;
  }
  ASSERT_EQ(body.size(), size);
  EXPECT_TRUE(body == bytes);
  // Closed before its last byte went out: nothing holds the name any more.
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HttpWorker, ServesAFileChangedOrReplacedOnDiskAsItNowIs) {
  std::wstring path = g_root + L"changing.txt", next = g_root + L"next.txt";
  WriteFileBytes(path, "old!");
  SetWriteTime(path, HoursAgo(1));
  Connect();
  EXPECT_EQ(Ask(GetRequest("/changing.txt")), Found("old!", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/changing.txt")), Found("old!", "text/plain"));
  EXPECT_EQ(m_listener.Cache().Bytes(), 4u);  // kept: the next answers could come from memory
  WriteFileBytes(path, "new!");               // the same size
  EXPECT_EQ(Ask(GetRequest("/changing.txt")), Found("new!", "text/plain"));
  SetWriteTime(path, HoursAgo(2));
  EXPECT_EQ(Ask(GetRequest("/changing.txt")), Found("new!", "text/plain"));
  // Replaced by another file of the same size, itself written long ago.
  WriteFileBytes(next, "NEW?");
  SetWriteTime(next, HoursAgo(3));
  ASSERT_TRUE(MoveFileExW(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Ask(GetRequest("/changing.txt")), Found("NEW?", "text/plain"));
  EXPECT_EQ(Ask(GetRequest("/changing.txt", "Range: bytes=1-2\r\n")),
            Partial("NEW?", 1, 2, "text/plain"));
  DeleteFileW(path.c_str());
}

// A client asks for a large file and never reads: the worker fills the
// socket's buffers and then waits on a client that will never take more.
class NonReadingClient : public HttpWorker {
protected:
  void SetUp() override {
    HttpWorker::SetUp();
    m_strPath = g_root + L"large.bin";
    ASSERT_TRUE(testsupport::MakeSparseFile(m_strPath, 100LL << 20));
    SetSendStallLimit(m_dwStallLimit);
    Connect();
    ASSERT_TRUE(m_client.SendAll(GetRequest("/large.bin")));
    ASSERT_EQ(m_client.ReadHead(5000).find("HTTP/1.1 200 "), 0u);
    Sleep(500);  // the buffers fill
  }
  void TearDown() override {
    HttpWorker::TearDown();
    DeleteFileW(m_strPath.c_str());
  }
  std::wstring m_strPath;
  DWORD m_dwStallLimit = CHttpThread::kSendStallMs;
};

// The limit is 30 s in service; these tests shorten it.
class StallingClient : public NonReadingClient {
protected:
  StallingClient() { m_dwStallLimit = 1000; }
};

TEST_F(NonReadingClient, CannotHoldAStoppingWorker) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ULONGLONG start = GetTickCount64();
  std::thread stopper([&] {
    m_listener.Shutdown();
    SetEvent(done);
  });
  bool stopped = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0;
  ULONGLONG elapsed = GetTickCount64() - start;
  if (!stopped) m_client.Close();  // releases the worker, so the test can end
  stopper.join();
  CloseHandle(done);
  EXPECT_TRUE(stopped);
  std::printf("worker stopped %llu ms after the stop with a non-reading client\n", elapsed);
}

TEST_F(StallingClient, IsCutOffWhenItTakesNothingForTheStallLimit) {
  ULONGLONG start = GetTickCount64();
  // The connection went to worker 0, the lowest-numbered idle one.
  while (m_listener.Worker(0).IsBusy() && GetTickCount64() - start < 10000) Sleep(50);
  EXPECT_FALSE(m_listener.Worker(0).IsBusy());
}

TEST_F(HttpWorker, ListenerAnswersOnTheIPv6AndTheIPv4LoopbackAlike) {
  for (int family : {AF_INET6, AF_INET}) {
    RawClient client;
    ASSERT_TRUE(client.Connect(m_listener.Port(), family)) << family;
    ASSERT_TRUE(client.SendAll(GetRequest("/x")));
    EXPECT_EQ(Masked(client.ReadAnswer(5000)), Found("ex")) << family;
  }
}

TEST_F(HttpWorker, ListenerWithoutIPv6ServesIPv4AndLogsWhy) {
  logcapture::Start();
  HttpSettings settings = kSettings;
  settings.m_nDualModeFamily = 0x7FFF;  // no system has it: the socket cannot be made
  CListenThread listener(settings);
  ASSERT_TRUE(listener.Start());
  for (int i = 0; i < 500 && listener.Port() == 0; ++i) Sleep(10);
  ASSERT_NE(listener.Port(), 0);
  std::wstring log = logcapture::Text();
  // One line, among the workers' dots.
  EXPECT_NE(log.find(L"IPv6 is not available (socket failed: "), std::wstring::npos);
  EXPECT_NE(log.find(L"): listening on IPv4 only.\r\n"), std::wstring::npos);
  RawClient client;
  EXPECT_FALSE(client.Connect(listener.Port(), AF_INET6));
  ASSERT_TRUE(client.Connect(listener.Port(), AF_INET));
  ASSERT_TRUE(client.SendAll(GetRequest("/x")));
  EXPECT_EQ(Masked(client.ReadAnswer(5000)), Found("ex"));
  listener.Shutdown();
}

// Clients that ask for a large file and never read hold their workers in
// the send, so which worker is busy can be seen.
TEST_F(HttpWorker, DispatchGoesToTheLowestNumberedIdleStartedWorkerElseWaitsForTheFirstFree) {
  std::wstring large = g_root + L"held.bin";
  ASSERT_TRUE(testsupport::MakeSparseFile(large, 100LL << 20));
  RawClient clients[3];
  SOCKET handles[3];
  for (int i = 0; i < 3; ++i) {
    handles[i] = Accepted(&clients[i]);
    ASSERT_NE(handles[i], INVALID_SOCKET);
    ASSERT_TRUE(clients[i].SendAll(GetRequest("/held.bin")));
  }
  CListenThread listener(kSettings);  // never started: only its pool is used
  ASSERT_TRUE(listener.Worker(1).Start());
  ASSERT_TRUE(listener.Worker(3).Start());
  // Worker 0 never started: it is passed over.
  EXPECT_TRUE(listener.Dispatch(handles[0]));
  EXPECT_TRUE(listener.Worker(1).IsBusy());
  EXPECT_FALSE(listener.Worker(0).IsBusy());
  EXPECT_TRUE(listener.Dispatch(handles[1]));
  EXPECT_TRUE(listener.Worker(3).IsBusy());
  // None free: the third waits, and the first worker freed takes it.
  EXPECT_FALSE(listener.Dispatch(handles[2]));
  EXPECT_EQ(clients[2].ReadHead(300), "");
  clients[0].Close();
  EXPECT_EQ(clients[2].ReadHead(5000).find("HTTP/1.1 200 "), 0u);
  EXPECT_TRUE(listener.Worker(1).IsBusy());
  for (RawClient& c : clients) c.Close();
  for (int i = 0; i < CListenThread::kWorkerCount; ++i) listener.Worker(i).Shutdown();
  DeleteFileW(large.c_str());
}

TEST(HttpDispatch, BusyWorkerRefusesAnOffer) {
  CHttpThread worker(kSettings);  // not started: an accepted offer stays pending
  std::unique_ptr<CConnection> first(new CConnection(socket(AF_INET, SOCK_STREAM, 0), 0));
  std::unique_ptr<CConnection> second(new CConnection(socket(AF_INET, SOCK_STREAM, 0), 0));
  EXPECT_TRUE(worker.Assign(&first));
  EXPECT_TRUE(worker.IsBusy());
  EXPECT_FALSE(first);
  EXPECT_FALSE(worker.Assign(&second));
  EXPECT_TRUE(second);  // still the caller's
  worker.Shutdown();
}

// A wake-up byte that could not be sent must not leave the listener deaf to
// every later hand-back until its poll times out.
TEST(HttpDispatch, HandBackWhoseWakeUpCannotBeSentLeavesTheNextOneToSend) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  CConnectionQueue queue;
  ASSERT_TRUE(queue.OpenWake());
  ASSERT_EQ(shutdown(queue.WakeHandle(), SD_SEND), 0);  // every send now fails
  queue.HandBack(std::unique_ptr<CConnection>(new CConnection(INVALID_SOCKET, 0)));
  EXPECT_FALSE(queue.IsWakePending());
  std::vector<std::unique_ptr<CConnection>> idle;
  queue.TakeHandedBack(&idle);
  EXPECT_EQ(idle.size(), 1u);
  WSACleanup();
}

}  // namespace
