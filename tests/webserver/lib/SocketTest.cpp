// Tests of CSocket over loopback (ownership, hand-over, failures logged
// while setting up a listening socket, sending files and lines) and of
// Winsock start-up.
#include "lib/CFile.h"
#include "lib/CSocket.h"
#include "lib/Sockets.h"
#include "LogCapture.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

class SocketsEnvironment : public ::testing::Environment {
public:
  void SetUp() override { ASSERT_TRUE(InitSockets()); }
  void TearDown() override { CleanupSockets(); }
};
::testing::Environment* const g_pSockets =
    ::testing::AddGlobalTestEnvironment(new SocketsEnvironment);

unsigned short PortOf(SOCKET h) {
  sockaddr_in address = {};
  int length = sizeof(address);
  getsockname(h, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

SOCKET ConnectTo(unsigned short port) {
  SOCKET h = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(h, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    closesocket(h);
    return INVALID_SOCKET;
  }
  return h;
}

// Everything the peer sends until it closes its side.
std::string ReceiveAll(SOCKET h) {
  std::string bytes;
  char buffer[4096];
  int n;
  while ((n = recv(h, buffer, sizeof(buffer), 0)) > 0) bytes.append(buffer, n);
  return bytes;
}

// A listening CSocket on an ephemeral port, a raw client connected to it
// and the accepted side as a CSocket.
class ConnectedSocketTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_listener.Create(AF_INET, SOCK_STREAM, 0));
    ASSERT_TRUE(m_listener.Listen(0));
    m_nPort = PortOf(m_listener.GetHandle());
    m_hClient = ConnectTo(m_nPort);
    ASSERT_NE(m_hClient, INVALID_SOCKET);
    ASSERT_TRUE(m_listener.Accept(&m_server, nullptr, nullptr));
  }
  void TearDown() override {
    if (m_hClient != INVALID_SOCKET) closesocket(m_hClient);
  }
  CSocket m_listener;
  CSocket m_server;
  SOCKET m_hClient = INVALID_SOCKET;
  unsigned short m_nPort = 0;
};

}  // namespace

TEST(SocketOwnership, CloseOnAnEmptySocketOrTwiceDoesNothing) {
  CSocket socket;
  socket.Close();
  socket.Close();
  EXPECT_EQ(socket.GetHandle(), INVALID_SOCKET);
  ASSERT_TRUE(socket.Create(AF_INET, SOCK_STREAM, 0));
  socket.Close();
  EXPECT_EQ(socket.GetHandle(), INVALID_SOCKET);
  socket.Close();
}

TEST(SocketOwnership, DetachOnAnEmptySocketGivesNothing) {
  CSocket socket;
  EXPECT_EQ(socket.Detach(), INVALID_SOCKET);
  EXPECT_EQ(socket.GetHandle(), INVALID_SOCKET);
}

TEST(SocketOwnership, AttachKeepsASocketAlreadyOwned) {
  CSocket socket;
  ASSERT_TRUE(socket.Create(AF_INET, SOCK_STREAM, 0));
  SOCKET owned = socket.GetHandle();
  SOCKET other = ::socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_FALSE(socket.Attach(other));
  EXPECT_EQ(socket.GetHandle(), owned);
  EXPECT_FALSE(socket.Create(AF_INET, SOCK_STREAM, 0));
  EXPECT_EQ(socket.GetHandle(), owned);
  closesocket(other);
}

TEST(SocketOwnership, DetachedHandlesMoveToANewOwnerAndStayOpen) {
  CSocket first;
  ASSERT_TRUE(first.Create(AF_INET, SOCK_STREAM, 0));
  SOCKET h = first.Detach();
  first.Close();
  CSocket second;
  EXPECT_TRUE(second.Attach(h));
  EXPECT_TRUE(second.Listen(0));
}

TEST(SocketListen, OnAHeldPortLogsTheBindFailureAndFails) {
  CSocket holder;
  ASSERT_TRUE(holder.Create(AF_INET, SOCK_STREAM, 0));
  ASSERT_TRUE(holder.Listen(0));
  unsigned short port = PortOf(holder.GetHandle());

  logcapture::Start();
  CSocket second;
  ASSERT_TRUE(second.Create(AF_INET, SOCK_STREAM, 0));
  EXPECT_FALSE(second.Listen(port));
  std::wstring log = logcapture::Text();
  EXPECT_EQ(log.find(L"CS:Listen: bind failed: "), 0u) << log;
  int error = _wtoi(log.c_str() + wcslen(L"CS:Listen: bind failed: "));
  // In use, or (the holder listening exclusively) access denied.
  EXPECT_TRUE(error == WSAEADDRINUSE || error == WSAEACCES) << log;
  // Then a line a person understands.
  std::wstring plain = L"\r\nPort " + std::to_wstring(port) + L" is in use by another program";
  EXPECT_NE(std::wstring::npos, log.find(plain)) << log;
  EXPECT_EQ(log.substr(log.size() - 2), L"\r\n");
}

TEST(SocketListen, HoldsItsPortSoNoOtherSocketCanBindBesideIt) {
  CSocket holder;
  ASSERT_TRUE(holder.Create(AF_INET, SOCK_STREAM, 0));
  ASSERT_TRUE(holder.Listen(0));
  unsigned short port = PortOf(holder.GetHandle());
  BOOL exclusive = FALSE;
  int size = sizeof(exclusive);
  ASSERT_EQ(getsockopt(holder.GetHandle(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                       reinterpret_cast<char*>(&exclusive), &size),
            0);
  EXPECT_TRUE(exclusive);
  // A program asking to share the address still cannot take the port.
  SOCKET thief = ::socket(AF_INET, SOCK_STREAM, 0);
  BOOL reuse = TRUE;
  setsockopt(thief, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  EXPECT_NE(bind(thief, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  closesocket(thief);
}

TEST(SocketListen, ReleasesABlockedAcceptWhenClosedFromAnotherThread) {
  CSocket listener;
  ASSERT_TRUE(listener.Create(AF_INET, SOCK_STREAM, 0));
  ASSERT_TRUE(listener.Listen(0));
  bool accepted = true;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread acceptor([&] {
    CSocket client;
    accepted = listener.Accept(&client, nullptr, nullptr);
    SetEvent(done);
  });
  Sleep(200);
  listener.Close();
  DWORD woken = WaitForSingleObject(done, 5000);
  EXPECT_EQ(woken, WAIT_OBJECT_0);
  if (woken == WAIT_OBJECT_0)
    acceptor.join();
  else
    acceptor.detach();
  EXPECT_FALSE(accepted);
  CloseHandle(done);
}

TEST_F(ConnectedSocketTest, AcceptIntoAnOwningSocketClosesTheConnection) {
  SOCKET secondClient = ConnectTo(m_nPort);
  ASSERT_NE(secondClient, INVALID_SOCKET);
  SOCKET kept = m_server.GetHandle();
  EXPECT_FALSE(m_listener.Accept(&m_server, nullptr, nullptr));
  EXPECT_EQ(m_server.GetHandle(), kept);
  char c;
  EXPECT_GE(0, recv(secondClient, &c, 1, 0));  // closed, not left hanging
  closesocket(secondClient);
}

TEST_F(ConnectedSocketTest, ReceiveReportsBytesThenThePeersClose) {
  ASSERT_EQ(send(m_hClient, "hello", 5, 0), 5);
  shutdown(m_hClient, SD_SEND);
  char buffer[16];
  std::string got;
  int n;
  while ((n = m_server.Receive(buffer, sizeof(buffer))) > 0) got.append(buffer, n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(got, "hello");
}

TEST_F(ConnectedSocketTest, IoControlTellsHowManyBytesArePending) {
  ASSERT_EQ(send(m_hClient, "abc", 3, 0), 3);
  u_long pending = 0;
  for (int i = 0; i < 100 && pending < 3; ++i) {
    ASSERT_TRUE(m_server.IoControl(FIONREAD, &pending));
    Sleep(10);
  }
  EXPECT_EQ(pending, 3u);
}

TEST_F(ConnectedSocketTest, ReceiveLineStopsAtALineFeedOrAFullBuffer) {
  const char* sent = "GET /\r\nabcdefghij";
  ASSERT_EQ(send(m_hClient, sent, 17, 0), 17);
  char line[8];
  EXPECT_TRUE(m_server.ReceiveLine(line, sizeof(line)));
  EXPECT_STREQ(line, "GET /\r\n");
  EXPECT_TRUE(m_server.ReceiveLine(line, sizeof(line)));
  EXPECT_STREQ(line, "abcdefg");
  char guard[2] = {'x', 'y'};
  EXPECT_FALSE(m_server.ReceiveLine(guard, 1));  // no room: nothing read or written past
  EXPECT_EQ(guard[0], '\0');
  EXPECT_EQ(guard[1], 'y');
  ASSERT_EQ(send(m_hClient, "\n", 1, 0), 1);
  EXPECT_TRUE(m_server.ReceiveLine(line, sizeof(line)));
  EXPECT_STREQ(line, "hij\n");
  shutdown(m_hClient, SD_SEND);
  EXPECT_FALSE(m_server.ReceiveLine(line, sizeof(line)));
  EXPECT_STREQ(line, "");
}

TEST_F(ConnectedSocketTest, SendStringSendsTheTextWithoutItsTerminator) {
  EXPECT_TRUE(m_server.SendString("HTTP/1.1 200 OK\r\n"));
  EXPECT_TRUE(m_server.SendString(""));
  m_server.Close();
  EXPECT_EQ(ReceiveAll(m_hClient), "HTTP/1.1 200 OK\r\n");
}

TEST_F(ConnectedSocketTest, SendFileSendsEverySizeIntact) {
  std::wstring path = ScratchPath(L"send.bin");
  std::string expected;
  for (size_t size : {0u, 1u, 8191u, 8192u, 8193u, 16384u, 100000u}) {
    std::string bytes = PatternBytes(size);
    ASSERT_TRUE(WriteBytes(path, bytes));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          OPEN_EXISTING, 0));
    EXPECT_TRUE(m_server.SendFile(file)) << size;
    expected += bytes;
  }
  std::string received;
  std::thread reader([&] { received = ReceiveAll(m_hClient); });
  m_server.Close();
  reader.join();
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_TRUE(expected == received);
  DeleteFileW(path.c_str());
}

TEST_F(ConnectedSocketTest, SendFileStartsAtTheFilesPosition) {
  std::wstring path = ScratchPath(L"middle.bin");
  std::string bytes = PatternBytes(20000);
  ASSERT_TRUE(WriteBytes(path, bytes));
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
    char skip[100];
    ASSERT_EQ(file.Read(skip, 100), 100u);
    std::string received;
    std::thread reader([&] { received = ReceiveAll(m_hClient); });
    EXPECT_TRUE(m_server.SendFile(file));
    m_server.Close();
    reader.join();
    EXPECT_TRUE(bytes.substr(100) == received);
  }
  DeleteFileW(path.c_str());
}

TEST_F(ConnectedSocketTest, SendFileReportsAReadFailureInsteadOfSuccess) {
  std::wstring path = ScratchPath(L"unreadable.bin");
  ASSERT_TRUE(WriteBytes(path, PatternBytes(100)));
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0));
    EXPECT_FALSE(m_server.SendFile(file));
  }
  DeleteFileW(path.c_str());
}

TEST(SocketStartup, MayBeNestedAndEachStartHasItsCleanup) {
  EXPECT_TRUE(InitSockets());
  EXPECT_TRUE(CleanupSockets());
  CSocket stillWorks;
  EXPECT_TRUE(stillWorks.Create(AF_INET, SOCK_STREAM, 0));
}
