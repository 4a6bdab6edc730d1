// CConnection.h: one client connection as it passes between the listener and
// the workers; owns its socket and the bytes of its next head received so far.
#pragma once

#include "lib/CSocket.h"

#include <string>

// How far a connection has come with its client: what its first turn must
// set up, and whether ending it must let an answer arrive whole.
enum ConnectionPhase {
  kPhaseFresh,       // accepted; nothing read, its socket options not yet set
  kPhaseUnanswered,  // heads read, none answered (each named another method)
  kPhaseAnswered,    // an answer went out: ending it lingers (CLingerThread)
};

// Between turns a connection waits in the listener's poll for its next head
// (idle) or in the queue for a worker (ready); during a turn a worker holds it.
struct CConnection {
  CConnection(SOCKET socket, ULONGLONG deadline)
      : m_socket(socket), m_nDeadline(deadline), m_phase(kPhaseFresh), m_bPrompt(true) {}

  CSocket m_socket;
  std::string m_strPending;  // received, not yet consumed: the start of the next head
  ULONGLONG m_nDeadline;     // tick by which the next head must have ended
  ConnectionPhase m_phase;
  // Its client sent its last head within a look's time of the answer before
  // (or of the connect): a worker looks for its next one before handing it
  // back. A browser mostly pauses longer, and a look that fails costs it.
  bool m_bPrompt;
};
