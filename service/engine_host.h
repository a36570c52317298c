#pragma once
// Synthesis in processes of their own. A host process per voice loads the engine and its voice
// once and forks a fresh child for every job: jobs run side by side on all cores, each starts from
// the same engine state (so the same request gives the same audio) without reloading the voice,
// and a job whose client went away is ended by closing its socket. The front process (the HTTP
// server) talks to the hosts and the children over sequenced-packet sockets.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/engine.h"
#include "service/unique_fd.h"

namespace lectavo::service {

// Entry of a host process (`lectavo-speechd --engine-host <voice index>`, control socket on fd 3).
int runEngineHost(int controlFd, wire::Voice voice);

// One synthesis in its child process, seen from the front.
class Job {
 public:
  explicit Job(UniqueFd fd) : fd_(std::move(fd)) {}

  bool start(std::string_view utf8, const VoiceSettings& settings, std::string& error);

  enum class Next { audio, done, failed };
  // Waits for the next piece: audio (appended to pcm), the end, or a failure (error says what).
  Next next(std::vector<std::int16_t>& pcm, std::string& error);

 private:
  UniqueFd fd_;
  std::vector<char> buf_;
};

class EngineHost {
 public:
  // Starts the host processes from the given executable; startError() tells whether they came up.
  explicit EngineHost(std::string executable);
  ~EngineHost();
  EngineHost(const EngineHost&) = delete;
  EngineHost& operator=(const EngineHost&) = delete;

  const std::string& startError() const { return startError_; }

  // A new job for the voice; restarts its host once when it has gone away.
  std::optional<Job> newJob(wire::Voice voice, std::string& error);

 private:
  struct Host {
    std::mutex mutex;
    UniqueFd control;
    int pid = -1;
  };
  bool spawn(Host& host, wire::Voice voice, std::string& error);
  static bool sendJob(Host& host, int childFd);
  void reap(Host& host);

  std::string executable_;
  std::array<Host, wire::kVoiceNames.size()> hosts_;
  std::string startError_;
};

}  // namespace lectavo::service
