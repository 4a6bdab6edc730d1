// RecordingHttpServer: one thread multiplexes the listener and the
// connections with select; heads are answered as soon as they are complete.
#include "RecordingHttpServer.h"
#include <algorithm>

RecordingHttpServer::RecordingHttpServer() : m_listen(INVALID_SOCKET), m_port(0), m_stop(false) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

RecordingHttpServer::~RecordingHttpServer() {
  Stop();
  WSACleanup();
}

bool RecordingHttpServer::Start() {
  m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (m_listen == INVALID_SOCKET) return false;
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof(addr);
  if (bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
      listen(m_listen, 16) != 0 ||
      getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    return false;
  m_port = ntohs(addr.sin_port);
  m_thread = std::thread([this] { Run(); });
  return true;
}

void RecordingHttpServer::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  for (std::thread& t : m_players) t.join();
  m_players.clear();
  if (m_listen != INVALID_SOCKET) {
    closesocket(m_listen);
    m_listen = INVALID_SOCKET;
  }
}

void RecordingHttpServer::Serve(const std::string& path, const std::string& body) {
  std::lock_guard<std::mutex> g(m_lock);
  m_files[path] = Entry{body, false, Hostile::kCutShort, 0};
}

void RecordingHttpServer::ServeHostile(const std::string& path, Hostile mode,
                                       const std::string& body, size_t announced) {
  std::lock_guard<std::mutex> g(m_lock);
  m_files[path] = Entry{body, true, mode, announced};
}

namespace {
bool SendAll(SOCKET s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}
}  // namespace

bool RecordingHttpServer::Pause(DWORD ms) {
  for (DWORD slept = 0; slept < ms && !m_stop; slept += 20) Sleep(20);
  return !m_stop;
}

void RecordingHttpServer::Play(SOCKET s, Hostile mode, std::string start, size_t announced) {
  if (mode == Hostile::kLate && !Pause(static_cast<DWORD>(announced))) start.clear();
  bool open = SendAll(s, start);
  const std::string chunk(65536, 'x');
  while (open && !m_stop) {
    if (mode == Hostile::kEndless)
      open = SendAll(s, chunk);
    else if (mode == Hostile::kTrickle)
      open = Pause(1000) && SendAll(s, "x");
    else if (mode == Hostile::kSilent)
      Pause(1000);
    else
      break;
  }
  closesocket(s);
}

void RecordingHttpServer::Remove(const std::string& path) {
  std::lock_guard<std::mutex> g(m_lock);
  m_files.erase(path);
}

std::vector<std::string> RecordingHttpServer::Take() {
  std::lock_guard<std::mutex> g(m_lock);
  std::vector<std::string> out;
  out.swap(m_requests);
  return out;
}

size_t RecordingHttpServer::Count(const std::vector<std::string>& requests,
                                  const std::string& path) const {
  return static_cast<size_t>(std::count(requests.begin(), requests.end(), "GET " + path));
}

bool RecordingHttpServer::Answer(SOCKET s, std::string* pending, bool* handedOff) {
  for (;;) {
    size_t end = pending->find("\r\n\r\n");
    if (end == std::string::npos) return true;
    std::string head = pending->substr(0, end);
    pending->erase(0, end + 4);
    std::string line = head.substr(0, head.find("\r\n"));
    std::string method = line.substr(0, line.find(' '));
    size_t t = line.find(' ') + 1;
    std::string target = line.substr(t, line.find(' ', t) - t);
    std::string body, status = "404 Not Found";
    Entry hostile = {};
    {
      std::lock_guard<std::mutex> g(m_lock);
      m_requests.push_back(method + " " + target);
      auto it = m_files.find(target);
      if (it != m_files.end()) {
        body = it->second.body;
        status = "200 OK";
        if (it->second.hostile && method == "GET") hostile = it->second;
      } else {
        body = "<html>missing</html>";
      }
    }
    if (hostile.hostile) {
      const size_t length = hostile.mode == Hostile::kLate ? body.size() : hostile.announced;
      std::string start = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
      start += hostile.mode == Hostile::kEndless
                   ? "Connection: close\r\n\r\n"
                   : "Content-Length: " + std::to_string(length) + "\r\nConnection: close\r\n\r\n";
      start += body;
      if (hostile.mode == Hostile::kCutShort) {
        SendAll(s, start);
        return false;
      }
      *handedOff = true;
      const Hostile mode = hostile.mode;
      const size_t announced = hostile.announced;
      m_players.emplace_back(
          [this, s, mode, start, announced] { Play(s, mode, start, announced); });
      return false;
    }
    std::string answer =
        "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nCache-Control: max-age=3600\r\nContent-Type: application/octet-stream\r\n\r\n";
    if (method != "HEAD") answer += body;
    if (!SendAll(s, answer)) return false;
  }
}

void RecordingHttpServer::Run() {
  std::vector<std::pair<SOCKET, std::string>> conns;
  while (!m_stop) {
    if (m_refuse) {
      for (auto& c : conns) closesocket(c.first);
      conns.clear();
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_listen, &readable);
    for (auto& c : conns) FD_SET(c.first, &readable);
    timeval tv = {0, 50000};
    if (select(0, &readable, nullptr, nullptr, &tv) <= 0) continue;
    if (FD_ISSET(m_listen, &readable)) {
      SOCKET s = accept(m_listen, nullptr, nullptr);
      if (s != INVALID_SOCKET) ++m_connections;
      if (s != INVALID_SOCKET && m_refuse) {
        // The request is read first, so that the reset always meets the
        // client waiting for its answer, never in the middle of its send.
        fd_set head;
        FD_ZERO(&head);
        FD_SET(s, &head);
        timeval headWait = {0, 500000};
        char scrap[4096];
        if (select(0, &head, nullptr, nullptr, &headWait) > 0) recv(s, scrap, sizeof(scrap), 0);
        const linger reset = {1, 0};
        setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
        closesocket(s);
      } else if (s != INVALID_SOCKET) {
        conns.emplace_back(s, std::string());
      }
    }
    for (auto it = conns.begin(); it != conns.end();) {
      bool keep = true, handedOff = false;
      if (FD_ISSET(it->first, &readable)) {
        char buf[4096];
        int n = recv(it->first, buf, sizeof(buf), 0);
        keep = n > 0;
        if (keep) {
          it->second.append(buf, static_cast<size_t>(n));
          keep = Answer(it->first, &it->second, &handedOff);
        }
      }
      if (keep) {
        ++it;
      } else {
        if (!handedOff) closesocket(it->first);
        it = conns.erase(it);
      }
    }
  }
  for (auto& c : conns) closesocket(c.first);
}
