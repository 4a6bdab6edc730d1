// OrraWebServer.exe end to end: started with a temporary web root, spoken
// to byte for byte on 127.0.0.1:80, its log pane read, closed with WM_CLOSE.
#include "ExpectedAnswers.h"
#include "RawClient.h"
#include "ServerProcess.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using testsupport::ServerProcess;
using testsupport::TempFolder;

namespace {

const unsigned short kPort = 80;

using expected::FieldOf;
using expected::FileLines;
using expected::Found;
using expected::HeadFound;
using expected::kHeadMissing;
using expected::Masked;
using expected::NotFound;
using expected::NotModified;
using expected::Redirect;
using expected::Unsatisfiable;

// The body of a file answer, whatever header lines follow its length line.
std::string FileBody(const std::string& answer) {
  size_t end = answer.find("\r\n\r\n");
  if (answer.compare(0, 27, "HTTP/1.1 200 Sending file\r\n") != 0 || end == std::string::npos)
    return "(no file answer)";
  return answer.substr(end + 4);
}

std::string Ask(RawClient& client, const std::string& request) {
  EXPECT_TRUE(client.SendAll(request));
  return Masked(client.ReadAnswer(5000));
}

class Server : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }

  void SetUp() override {
    m_root.reset(new TempFolder(L"qor-e2e"));
    ASSERT_FALSE(m_root->Path().empty());
    m_root->WriteFile(L"index.html", "<html>start</html>");
    m_root->WriteFile(L"sub\\page.html", "<p>sub</p>");
    m_root->WriteFile(L"notes.txt", "line one\r\nline two\r\n");
    m_root->WriteFile(L"empty.txt", "");
  }

  void StartServer() {
    ASSERT_TRUE(m_server.Start(m_root->Path()));
    ASSERT_TRUE(m_server.WaitForMainWindow(15000));
    ASSERT_TRUE(m_server.WaitForLog(L"Listening...", 15000)) << Narrow(m_server.ReadLog());
  }

  void TearDown() override {
    if (m_server.IsRunning()) {
      EXPECT_EQ(m_server.CloseAndWait(15000), 0u);
    }
  }

  // Overwrites bytes at the offset of an existing file.
  static bool WriteAt(const std::wstring& path, LONGLONG offset, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) &&
              WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok && written == bytes.size();
  }

  static std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

  // Five clients that each behave(client, step) every 50 ms hold the five
  // workers; then a sixth asks for a page. How long its answer took, or
  // kNever; the five keep behaving meanwhile, whatever the server does.
  static const ULONGLONG kNever = ~0ULL;
  ULONGLONG SixthAnswerMs(const std::function<void(RawClient&, int)>& behave,
                          int family = AF_INET) {
    RawClient five[5];
    for (RawClient& c : five) {
      EXPECT_TRUE(c.Connect(kPort, family));
      behave(c, 0);
    }
    Sleep(300);  // each has its worker
    RawClient sixth;
    EXPECT_TRUE(sixth.Connect(kPort, family));
    ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(sixth.SendAll(GetRequest("/sub/page.html")));
    for (int step = 1; step <= 80; ++step) {
      if (sixth.AnythingArrives(50)) {
        ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_EQ(FileBody(sixth.ReadAnswer(5000)), "<p>sub</p>");
        return elapsed;
      }
      for (RawClient& c : five) behave(c, step);
    }
    return kNever;
  }

  // Asks for big.bin (holding big) with a body the server never reads.
  void AnswerBeforeAnUnreadBodyArrivesWhole(const std::string& big, int family);

  std::unique_ptr<TempFolder> m_root;
  ServerProcess m_server;
};

TEST_F(Server, NormalStartLogsItsStepsThenFiveWorkersAndListening) {
  StartServer();
  std::wstring log;
  for (int i = 0; i < 100; ++i) {
    log = m_server.ReadLog();
    // 3 in the fixed lines, and those of the folder's name
    if (std::count(log.begin(), log.end(), L'.') >=
        8 + std::count(m_root->Path().begin(), m_root->Path().end(), L'.'))
      break;
    Sleep(50);
  }
  const std::wstring start = L"Serving the folder " + m_root->Path() +
                             L"\r\nInitializing sockets...\r\nSockets Initialized OK\r\n"
                             L"Starting Listen Thread.\r\nStarting Threads\r\n";
  ASSERT_EQ(log.substr(0, start.size()), start) << Narrow(log);
  // The rest: five dots and "Listening..." in scheduling order.
  std::wstring rest = log.substr(start.size());
  size_t at = rest.find(L"Listening...");
  ASSERT_NE(std::wstring::npos, at) << Narrow(log);
  std::wstring dots = rest.substr(0, at) + rest.substr(at + 12);
  EXPECT_EQ(dots, L".....") << Narrow(log);
}

TEST_F(Server, AnswersTheResponseTableByteForByteOnOneConnection) {
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  EXPECT_EQ(Ask(client, GetRequest("/")), Found("<html>start</html>", "text/html"));
  EXPECT_EQ(Ask(client, GetRequest("/notes.txt")), Found("line one\r\nline two\r\n", "text/plain"));
  EXPECT_EQ(Ask(client, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
  EXPECT_EQ(Ask(client, GetRequest("/empty.txt")), Found("", "text/plain"));
  EXPECT_EQ(Ask(client, GetRequest("/missing.html")), NotFound("missing.html"));
  EXPECT_EQ(Ask(client, GetRequest("/sub/")), NotFound("sub\\"));
  EXPECT_EQ(Ask(client, GetRequest("/index.html?v=1")), Found("<html>start</html>", "text/html"));
  EXPECT_EQ(Ask(client, GetRequest("/my%20page.html")), NotFound("my page.html"));
  EXPECT_EQ(Ask(client, GetRequest("//sub/page.html")), Found("<p>sub</p>", "text/html"));
  EXPECT_EQ(Ask(client, HeadRequest("/")), HeadFound("text/html"));
  EXPECT_EQ(Ask(client, HeadRequest("/sub/page.html")), HeadFound("text/html"));
  EXPECT_EQ(Ask(client, HeadRequest("/missing.html")), kHeadMissing);
  // Other methods and lower case: no answer, the connection stays open.
  ASSERT_TRUE(client.SendAll("POST /notes.txt HTTP/1.1\r\nContent-Length: 0\r\n\r\n"));
  ASSERT_TRUE(client.SendAll("get /notes.txt HTTP/1.1\r\n\r\n"));
  EXPECT_FALSE(client.AnythingArrives(500));
  for (int i = 0; i < 25; ++i)
    ASSERT_EQ(Ask(client, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html")) << i;
  // Two heads in one piece: each answered, in order.
  EXPECT_EQ(Ask(client, GetRequest("/sub/page.html") + GetRequest("/")),
            Found("<p>sub</p>", "text/html"));
  EXPECT_EQ(Masked(client.ReadAnswer(5000)), Found("<html>start</html>", "text/html"));
}

TEST_F(Server, KeepsEveryRequestInsideTheWebRoot) {
  TempFolder outside(L"qor-outside");
  outside.WriteFile(L"secret.txt", "secret");
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  std::wstring parent = outside.Path();
  std::string outsideFolder(parent.begin(), parent.end());
  outsideFolder = outsideFolder.substr(0, outsideFolder.size() - 1);
  outsideFolder = outsideFolder.substr(outsideFolder.rfind('\\') + 1);
  const std::string targets[] = {
      "/../" + outsideFolder + "/secret.txt",
      "/sub/../../" + outsideFolder + "/secret.txt",
      "/.. /" + outsideFolder + "/secret.txt",
      "/index.html::$DATA",
      "/C:/windows/win.ini",
      "/con",
      "/sub/AUX.html",
  };
  for (const std::string& t : targets) {
    EXPECT_EQ(Ask(client, GetRequest(t)).find("HTTP/1.1 404 File not found!\r\n"), 0u) << t;
    EXPECT_EQ(Ask(client, HeadRequest(t)), kHeadMissing) << t;
  }
  EXPECT_EQ(Ask(client, GetRequest("/<b>&\"'")), NotFound("&lt;b&gt;&amp;&quot;&#39;"));
}

TEST_F(Server, ClosesTheConnectionWhenTheClientAsksTo) {
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  EXPECT_EQ(Ask(client, "GET /sub/page.html HTTP/1.0\r\n\r\n"), Found("<p>sub</p>", "text/html"));
  EXPECT_TRUE(client.WaitClosed(1500));
  ASSERT_TRUE(client.Connect(kPort));
  EXPECT_EQ(Ask(client, "GET /sub/page.html HTTP/1.1\r\nConnection: close\r\n\r\n"),
            Found("<p>sub</p>", "text/html"));
  EXPECT_TRUE(client.WaitClosed(1500));
}

TEST_F(Server, ServesAFileOfMoreThanTwoGigabytesWithItsTrueLength) {
  ASSERT_TRUE(testsupport::MakeSparseFile(m_root->Path() + L"big.bin", 3LL << 30, "BIG!"));
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  ASSERT_TRUE(client.SendAll(GetRequest("/big.bin")));
  EXPECT_EQ(Masked(client.ReadHead(5000)),
            "HTTP/1.1 200 Sending file\r\ncontent-length: 3221225472\r\n" + FileLines("") + "\r\n");
  EXPECT_EQ(client.Read(4, 5000), "BIG!");
  client.Close();
  EXPECT_EQ(
      [&] {
        RawClient second;
        second.Connect(kPort);
        return Ask(second, HeadRequest("/big.bin"));
      }(),
      HeadFound());
}

TEST_F(Server, ServesFoldersTypesRangesPastFourGigabytesAndConditions) {
  const LONGLONG size = (5LL << 30) + 10;
  const std::string last = std::to_string(size - 1), total = std::to_string(size);
  ASSERT_TRUE(testsupport::MakeSparseFile(m_root->Path() + L"big.bin", size, "HEAD"));
  ASSERT_TRUE(WriteAt(m_root->Path() + L"big.bin", size - 6, "TAIL!!"));
  const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"/>";
  m_root->WriteFile(L"pic.svg", svg);
  m_root->WriteFile(L"sub\\index.html", "<p>index</p>");
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  EXPECT_EQ(Ask(client, GetRequest("/sub")), Redirect("/sub/"));
  EXPECT_EQ(Ask(client, GetRequest("/sub/")), Found("<p>index</p>", "text/html"));
  EXPECT_EQ(Ask(client, GetRequest("/pic.svg")), Found(svg, "image/svg+xml"));
  struct {
    std::string range, first, body;
  } parts[] = {
      {"0-3", "0", "HEAD"},
      {std::to_string(size - 6) + "-", std::to_string(size - 6), "TAIL!!"},
      {"-3", std::to_string(size - 3), "L!!"},
  };
  for (const auto& p : parts) {
    EXPECT_EQ(Ask(client, GetRequest("/big.bin", "Range: bytes=" + p.range + "\r\n")),
              "HTTP/1.1 206 Partial Content\r\ncontent-length: " + std::to_string(p.body.size()) +
                  "\r\n" + FileLines("") + "content-range: bytes " + p.first + "-" +
                  (p.range == "0-3" ? "3" : last) + "/" + total + "\r\n\r\n" + p.body)
        << p.range;
  }
  EXPECT_EQ(Ask(client, GetRequest("/big.bin", "Range: bytes=" + total + "-\r\n")),
            Unsatisfiable(size));
  // The file's own date asks whether it changed: it did not.
  ASSERT_TRUE(client.SendAll(HeadRequest("/pic.svg")));
  std::string head = client.ReadAnswer(5000);
  std::string date = FieldOf(head, "last-modified"), tag = FieldOf(head, "etag");
  ASSERT_NE(date, "");
  ASSERT_TRUE(client.SendAll(GetRequest("/pic.svg", "If-Modified-Since: " + date + "\r\n")));
  EXPECT_EQ(client.ReadAnswer(5000), NotModified(date, tag));
}

TEST_F(Server, SixthClientIsAnsweredWhileFiveKeptAliveClientsStayBusy) {
  StartServer();
  RawClient held[5];
  for (RawClient& c : held) {
    ASSERT_TRUE(c.Connect(kPort));
    ASSERT_EQ(Ask(c, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
  }
  RawClient sixth;
  ASSERT_TRUE(sixth.Connect(kPort));
  ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(sixth.SendAll(GetRequest("/sub/page.html")));
  // The five ask again every 400 ms, well inside the head deadline.
  std::string answer;
  for (int attempt = 0; attempt < 10 && answer.empty(); ++attempt) {
    answer = sixth.ReadAnswer(400);
    for (RawClient& c : held) {
      if (!c.IsClosedByPeer() && c.SendAll(GetRequest("/sub/page.html"))) c.ReadAnswer(1000);
    }
  }
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_EQ(Masked(answer), Found("<p>sub</p>", "text/html"));
  EXPECT_LT(elapsed, 2500u);  // generous; before, never while the five stayed
  std::printf("sixth client answered after %llu ms\n", elapsed);
  // None of the five was closed to make way.
  for (RawClient& c : held) EXPECT_FALSE(c.IsClosedByPeer());
}

// Each kind once had the five workers to itself: unanswered heads never
// made way, and a head in progress kept its worker for the 3 s deadline.
const std::string kPartialHead = "GET /sub/page.html HTTP/1.1\r\nHost: x\r\n";

// Five clients that would each hold a worker without an answer.
struct Holding {
  const char* kind;
  std::function<void(RawClient&, int)> behave;
};

TEST_F(Server, SixthClientIsAnsweredPromptlyBesideFiveThatHoldWorkersWithoutAnswers) {
  StartServer();
  const std::string partial = kPartialHead;
  Holding kinds[] = {
      {"an unanswered head every 2 s",
       [](RawClient& c, int step) {
         if (step % 40 == 0) c.SendAll("OPTIONS / HTTP/1.1\r\nHost: x\r\n\r\n");
       }},
      {"a partial head held",
       [&](RawClient& c, int step) {
         if (step == 0) c.SendAll(partial);
       }},
      {"a head trickled in",
       [](RawClient& c, int step) {
         c.SendAll(step == 0 ? "GET /sub/page.html HTTP/1.1\r\nX: " : "x");
       }},
      {"an answer, then the start of the next head held",
       [&](RawClient& c, int step) {
         if (step == 0 && c.SendAll(GetRequest("/sub/page.html") + partial)) c.ReadAnswer(5000);
       }},
  };
  for (const auto& k : kinds) {
    ULONGLONG ms = SixthAnswerMs(k.behave);
    std::printf("sixth client beside five holding with %s: %s ms\n", k.kind,
                ms == kNever ? "no answer in 4000" : std::to_string(ms).c_str());
    EXPECT_LT(ms, 2000u) << k.kind;  // the aim is 1 s; the head deadline is 3 s
  }
}

TEST_F(Server, AnswerBeforeAnUnreadBodyArrivesWholeAndThenTheConnectionCloses) {
  std::string big(8 << 20, 0);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4093);
  ASSERT_TRUE(m_root->WriteFile(L"big.bin", big));
  StartServer();
  AnswerBeforeAnUnreadBodyArrivesWhole(big, AF_INET);
}

void Server::AnswerBeforeAnUnreadBodyArrivesWhole(const std::string& big, int family) {
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort, family));
  std::string body(300 << 10, 'b');
  ASSERT_TRUE(client.SendAll("GET /big.bin HTTP/1.1\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\n\r\n" + body));
  Sleep(1000);  // the client reads late; the server has long stopped reading
  std::string answer = FileBody(client.ReadAnswer(15000));
  EXPECT_EQ(answer.size(), big.size());
  EXPECT_TRUE(answer == big);
  EXPECT_TRUE(client.WaitClosed(5000));
}

TEST_F(Server, SecondCopyOnTheSamePortLogsTheBindFailureAndClosesCleanly) {
  StartServer();
  TempFolder otherRoot(L"qor-e2e-second");
  ServerProcess second;
  ASSERT_TRUE(second.Start(otherRoot.Path()));
  ASSERT_TRUE(second.WaitForMainWindow(15000));
  ASSERT_TRUE(second.WaitForLog(L"Listen Failed\r\n", 15000)) << Narrow(second.ReadLog());
  std::wstring log = second.ReadLog();
  EXPECT_NE(std::wstring::npos, log.find(L"Starting Threads\r\n")) << Narrow(log);
  EXPECT_NE(std::wstring::npos, log.find(L"CS:Listen: bind failed: ")) << Narrow(log);
  EXPECT_NE(std::wstring::npos, log.find(L"\r\nPort 80 is in use by another program"))
      << Narrow(log);
  EXPECT_EQ(log.find(L"Listening..."), std::wstring::npos) << Narrow(log);
  EXPECT_TRUE(second.IsRunning());
  EXPECT_EQ(second.CloseAndWait(15000), 0u);
  // The first copy still serves, on both families.
  for (int family : {AF_INET, AF_INET6}) {
    RawClient client;
    ASSERT_TRUE(client.Connect(kPort, family)) << family;
    EXPECT_EQ(Ask(client, GetRequest("/")), Found("<html>start</html>", "text/html")) << family;
  }
}

TEST_F(Server, ClosingTheWindowEndsKeptAliveConnectionsAtOnce) {
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  ASSERT_EQ(Ask(client, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
  ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(m_server.Close());
  EXPECT_TRUE(client.WaitClosed(2500));
  DWORD exitCode = 1;
  EXPECT_TRUE(m_server.WaitForExit(10000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_LT(GetTickCount64() - start, 2500u);  // the head deadline is 3 s
  // Nobody listens any more.
  RawClient late;
  EXPECT_FALSE(late.Connect(kPort));
}

TEST_F(Server, ClosingTheWindowIsPromptWithAClientThatStopsReading) {
  ASSERT_TRUE(testsupport::MakeSparseFile(m_root->Path() + L"large.bin", 100LL << 20));
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  ASSERT_TRUE(client.SendAll(GetRequest("/large.bin")));
  ASSERT_EQ(client.ReadHead(5000).find("HTTP/1.1 200 "), 0u);
  Sleep(500);  // the socket buffers fill; the client reads no more
  ULONGLONG start = GetTickCount64();
  ASSERT_TRUE(m_server.Close());
  DWORD exitCode = 1;
  bool exited = m_server.WaitForExit(10000, &exitCode);  // killed otherwise
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_TRUE(exited);
  EXPECT_EQ(exitCode, 0u);
  std::printf("exit %llu ms after WM_CLOSE with a non-reading client\n", elapsed);
}

TEST_F(Server, IdleClientIsCutAfterAboutThreeSeconds) {
  StartServer();
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort));
  ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(client.WaitClosed(8000));
  ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 2500u);
  EXPECT_LE(elapsed, 6000u);
}

TEST_F(Server, AnswersOnTheIPv6LoopbackFairlyAndGracefullyAsOnIPv4) {
  std::string big(8 << 20, 0);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 5 + i / 4091);
  ASSERT_TRUE(m_root->WriteFile(L"big.bin", big));
  StartServer();
  // The log shows no line about the families where both work.
  EXPECT_EQ(m_server.ReadLog().find(L"IPv"), std::wstring::npos) << Narrow(m_server.ReadLog());
  RawClient client;
  ASSERT_TRUE(client.Connect(kPort, AF_INET6));
  EXPECT_EQ(Ask(client, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
  ULONGLONG ms = SixthAnswerMs(
      [](RawClient& c, int step) {
        if (step == 0) c.SendAll(kPartialHead);
      },
      AF_INET6);
  EXPECT_LT(ms, 2000u);
  AnswerBeforeAnUnreadBodyArrivesWhole(big, AF_INET6);
}

// Each client sends its next request the moment its answer ends. Before,
// a worker made way for a waiting connection by closing a kept-alive one,
// often under a request already sent.
TEST_F(Server, FiftyKeptAliveClientsAreEachAnsweredAndNoneIsClosedUnderARequest) {
  StartServer();
  std::atomic<long> answered{0}, closedUnder{0}, wrong{0};
  ULONGLONG end = GetTickCount64() + 5000;
  std::vector<std::thread> clients;
  for (int i = 0; i < 50; ++i) {
    clients.emplace_back([&] {
      RawClient c;
      if (!c.Connect(kPort)) {
        ++wrong;
        return;
      }
      while (GetTickCount64() < end) {
        std::string answer = c.SendAll(GetRequest("/sub/page.html")) ? c.ReadAnswer(10000) : "";
        if (FileBody(answer) == "<p>sub</p>") {
          ++answered;
        } else if (c.IsClosedByPeer() || answer.empty()) {
          ++closedUnder;
          if (!c.Connect(kPort)) return;
        } else {
          ++wrong;
        }
      }
    });
  }
  for (std::thread& t : clients) t.join();
  std::printf("50 kept-alive clients for 5 s: %ld answered, %ld closed under a request\n",
              answered.load(), closedUnder.load());
  EXPECT_EQ(closedUnder, 0);
  EXPECT_EQ(wrong, 0);
  EXPECT_GE(answered, 50);
}

TEST_F(Server, HoldsTwoHundredIdleConnectionsWhileANewClientIsAnsweredPromptly) {
  StartServer();
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 200; ++i) {
    idle.emplace_back(new RawClient);
    ASSERT_TRUE(idle.back()->Connect(kPort)) << i;
  }
  RawClient fresh;
  ASSERT_TRUE(fresh.Connect(kPort));
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(Ask(fresh, GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
  ULONGLONG elapsed = GetTickCount64() - start;
  std::printf("answered beside 200 idle connections after %llu ms\n", elapsed);
  EXPECT_LT(elapsed, 1000u);  // generous: no worker is held by an idle connection
  // Every idle one is still open and is answered when it asks.
  for (auto& c : idle) ASSERT_TRUE(c->SendAll(GetRequest("/notes.txt")));
  int answered = 0;
  for (auto& c : idle) answered += FileBody(c->ReadAnswer(5000)) == "line one\r\nline two\r\n";
  EXPECT_EQ(answered, 200);
}

TEST_F(Server, ClosesKeptAliveConnectionsAfterTheKeepAliveTimeOutAndNotBefore) {
  StartServer();
  RawClient clients[20];
  ULONGLONG answeredAt[20];
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(clients[i].Connect(kPort));
    ASSERT_EQ(Ask(clients[i], GetRequest("/sub/page.html")), Found("<p>sub</p>", "text/html"));
    answeredAt[i] = GetTickCount64();
  }
  for (int i = 0; i < 20; ++i) {
    ULONGLONG now = GetTickCount64();
    ULONGLONG waitUntil = answeredAt[i] + 8000;
    ASSERT_TRUE(clients[i].WaitClosed(static_cast<DWORD>(waitUntil > now ? waitUntil - now : 0)))
        << i;
    ULONGLONG after = GetTickCount64() - answeredAt[i];
    EXPECT_GE(after, 2500u) << i;  // before, all but five were closed to make way
    EXPECT_LE(after, 6000u) << i;
  }
}

// With the old backlog of 5, connects past the backlog lost their SYN and
// waited a second for it to be sent again.
TEST_F(Server, BurstOfFiftyConnectsCompletesWithNoneSlowerThanHalfASecond) {
  StartServer();
  const int kCount = 50;
  SOCKET sockets[kCount];
  ULONGLONG connectMs[kCount];
  ULONGLONG start = GetTickCount64();
  for (int i = 0; i < kCount; ++i) {
    sockets[i] = socket(AF_INET, SOCK_STREAM, 0);
    u_long nonBlocking = 1;
    ioctlsocket(sockets[i], FIONBIO, &nonBlocking);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kPort);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(sockets[i], reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    connectMs[i] = 0;
  }
  for (int done = 0; done < kCount && GetTickCount64() - start < 5000;) {
    fd_set writable;
    FD_ZERO(&writable);
    for (int i = 0; i < kCount; ++i)
      if (!connectMs[i]) FD_SET(sockets[i], &writable);
    timeval wait = {0, 10000};
    if (select(0, nullptr, &writable, nullptr, &wait) <= 0) continue;
    for (int i = 0; i < kCount; ++i) {
      if (!connectMs[i] && FD_ISSET(sockets[i], &writable)) {
        connectMs[i] = GetTickCount64() - start + 1;  // 0 means pending
        ++done;
      }
    }
  }
  ULONGLONG slowest = 0;
  for (int i = 0; i < kCount; ++i) {
    EXPECT_NE(connectMs[i], 0u) << i << " never connected";
    slowest = std::max(slowest, connectMs[i]);
  }
  std::printf("slowest of %d connects: %llu ms\n", kCount, slowest);
  EXPECT_LT(slowest, 500u);
  // Each is then served as a client without keep-alive would be.
  for (SOCKET h : sockets) {
    u_long blocking = 0;
    ioctlsocket(h, FIONBIO, &blocking);
    RawClient client;
    client.Adopt(h);
    EXPECT_EQ(Ask(client, "GET /sub/page.html HTTP/1.0\r\n\r\n"), Found("<p>sub</p>", "text/html"));
    EXPECT_TRUE(client.WaitClosed(5000));
  }
}

}  // namespace
