// RecordingHttpServer: a small HTTP/1.1 server for the tests on a free
// loopback port: answers GET from a table of paths and records the request
// line of every request it reads, in order. It can also play a hostile
// server for a path (a body cut short, endless, stalled, trickling or late)
// and refuse connections. Owns its sockets and its threads.
#pragma once
#include <winsock2.h>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RecordingHttpServer {
public:
  RecordingHttpServer();
  ~RecordingHttpServer();
  RecordingHttpServer(const RecordingHttpServer&) = delete;
  RecordingHttpServer& operator=(const RecordingHttpServer&) = delete;

  // Listens on 127.0.0.1 at a port of the system's choice.
  bool Start();
  void Stop();
  unsigned short Port() const { return m_port; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

  // Serves the body with status 200 at the path ("/cfg/tree.txt"); every
  // other path gets 404. Answers say they may be cached for an hour.
  void Serve(const std::string& path, const std::string& body);
  void Remove(const std::string& path);
  // What a hostile path does after its request head.
  enum class Hostile {
    kCutShort,  // announces `announced` bytes, sends the body, then closes
    kEndless,   // sends bytes without end, until the client goes
    kSilent,    // announces `announced` bytes, sends the body, then nothing
    kTrickle,   // announces `announced` bytes, then sends one a second
    kLate,      // answers the body with status 200 after `announced` ms
  };
  void ServeHostile(const std::string& path, Hostile mode, const std::string& body,
                    size_t announced = 0);
  // Closes the open connections, and every new one at once, unread, with a reset.
  void RefuseConnections(bool refuse) { m_refuse = refuse; }
  // The connections accepted so far, refused ones included.
  int Connections() const { return m_connections; }
  // The request lines received since the last Take ("GET /cfg/tree.txt").
  std::vector<std::string> Take();
  // How many of those named the path.
  size_t Count(const std::vector<std::string>& requests, const std::string& path) const;

private:
  void Run();
  // Handles the complete heads in a connection's buffer; false to close it,
  // or to hand it to a thread of its own (handedOff).
  bool Answer(SOCKET s, std::string* pending, bool* handedOff);
  // Plays a hostile answer on a socket it then closes.
  void Play(SOCKET s, Hostile mode, std::string start, size_t announced);
  // Sleeps up to ms; false when the server stops meanwhile.
  bool Pause(DWORD ms);

  struct Entry {
    std::string body;
    bool hostile;
    Hostile mode;
    size_t announced;
  };

  SOCKET m_listen;
  unsigned short m_port;
  volatile bool m_stop;
  std::atomic<bool> m_refuse{false};
  std::atomic<int> m_connections{0};
  std::thread m_thread;
  std::vector<std::thread> m_players;  // started by m_thread, joined by Stop after it
  std::mutex m_lock;                   // guards the two members below
  std::map<std::string, Entry> m_files;
  std::vector<std::string> m_requests;
};
