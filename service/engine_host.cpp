#include "engine_host.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace lectavo::service {
namespace {

constexpr char kReady = 'R';
constexpr char kAudio = 'A';
constexpr char kDone = 'D';
constexpr char kFailed = 'E';
constexpr std::size_t kMaxPacket = 64 * 1024;
constexpr int kStartTimeoutMs = 15000;
constexpr int kSilenceSeconds = 30;
constexpr std::size_t kBatchBytes = 16 * 1024;

std::string sysError(const char* call) { return std::string(call) + " failed: " + std::strerror(errno); }

bool sendPacket(int fd, const void* data, std::size_t n) {
  while (true) {
    const ssize_t r = ::send(fd, data, n, MSG_NOSIGNAL);
    if (r >= 0) return static_cast<std::size_t>(r) == n;
    if (errno != EINTR) return false;
  }
}

ssize_t recvPacket(int fd, void* data, std::size_t n) {
  while (true) {
    const ssize_t r = ::recv(fd, data, n, 0);
    if (r >= 0 || errno != EINTR) return r;
  }
}

// The child's side of one job: one request packet in, audio packets and an end packet out.
[[noreturn]] void runJob(int fd) {
  std::vector<char> req(kMaxPacket);
  const ssize_t n = recvPacket(fd, req.data(), req.size());
  if (n < 4) _exit(1);
  VoiceSettings s;
  s.voice = static_cast<wire::Voice>(std::min<int>(static_cast<unsigned char>(req[0]), 3));
  s.speed = static_cast<unsigned char>(req[1]);
  s.pitch = static_cast<unsigned char>(req[2]);
  s.volume = static_cast<unsigned char>(req[3]);
  const std::string_view text(req.data() + 4, static_cast<std::size_t>(n - 4));

  // The first audio leaves at once; after that, audio goes in larger packets, which the engine
  // fills far faster than they play, to spare a round of system calls for every few milliseconds.
  std::vector<char> packet(1, kAudio);
  bool first = true;
  auto flush = [&] {
    const bool ok = packet.size() <= 1 || sendPacket(fd, packet.data(), packet.size());
    packet.resize(1);
    first = false;
    return ok;
  };
  const SynthResult r = synthesize(text, s, [&](const std::int16_t* pcm, std::size_t samples) {
    const char* bytes = reinterpret_cast<const char*>(pcm);
    packet.insert(packet.end(), bytes, bytes + samples * 2);
    return (first || packet.size() >= kBatchBytes) ? flush() : true;
  });
  if (r.outcome == SynthOutcome::done) {
    if (flush()) sendPacket(fd, &kDone, 1);
  } else if (r.outcome == SynthOutcome::failed) {
    flush();
    packet.assign(1, kFailed);
    packet.insert(packet.end(), r.error.begin(), r.error.end());
    sendPacket(fd, packet.data(), packet.size());
  }
  _exit(0);
}

// Passing a descriptor over a local socket: a one-byte message carrying it.
bool sendFd(int sock, int fd) {
  char tag = 'J';
  iovec iov{&tag, 1};
  alignas(cmsghdr) char space[CMSG_SPACE(sizeof(int))]{};
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  msg.msg_control = space;
  msg.msg_controllen = sizeof space;
  cmsghdr* c = CMSG_FIRSTHDR(&msg);
  c->cmsg_level = SOL_SOCKET;
  c->cmsg_type = SCM_RIGHTS;
  c->cmsg_len = CMSG_LEN(sizeof(int));
  std::memcpy(CMSG_DATA(c), &fd, sizeof fd);
  ssize_t r;
  do r = ::sendmsg(sock, &msg, MSG_NOSIGNAL);
  while (r < 0 && errno == EINTR);
  return r == 1;
}

constexpr int kPeerGone = -2;

// The descriptor passed, kPeerGone when the other side has closed, -1 for a message without one.
int receiveFd(int sock) {
  char tag = 0;
  iovec iov{&tag, 1};
  alignas(cmsghdr) char space[CMSG_SPACE(sizeof(int))];
  msghdr msg{};
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  msg.msg_control = space;
  msg.msg_controllen = sizeof space;
  ssize_t r;
  do r = ::recvmsg(sock, &msg, MSG_CMSG_CLOEXEC);
  while (r < 0 && errno == EINTR);
  if (r <= 0) return kPeerGone;
  cmsghdr* c = CMSG_FIRSTHDR(&msg);
  if (c == nullptr || c->cmsg_type != SCM_RIGHTS) return -1;
  int fd;
  std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
  return fd;
}

// What every child speaks before its job, so its first job finds the engine's memory its own
// already (a fresh fork pays for that at its first audio) and every child is in the same state.
constexpr const char* kWarmUp = "你好，今天天气很好。";

bool warmUp(wire::Voice voice, std::string& error) {
  VoiceSettings warm;
  warm.voice = voice;
  const SynthResult r = synthesize(kWarmUp, warm, [](const std::int16_t*, std::size_t) { return true; });
  if (r.outcome != SynthOutcome::done) error = r.error;
  return r.outcome == SynthOutcome::done;
}

// A spare child: warms up, then waits for the host to hand it a job (or to go away).
[[noreturn]] void runSpare(int hostSide, wire::Voice voice) {
  std::string ignored;
  warmUp(voice, ignored);
  const int job = receiveFd(hostSide);
  if (job < 0) _exit(0);
  ::close(hostSide);
  runJob(job);
}

// Forks the next spare; its end of the hand-over socket, or an invalid one.
UniqueFd forkSpare(int control, wire::Voice voice) {
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) return UniqueFd();
  const pid_t pid = fork();
  if (pid == 0) {
    ::close(control);
    ::close(sv[0]);
    runSpare(sv[1], voice);
  }
  ::close(sv[1]);
  if (pid < 0) {
    ::close(sv[0]);
    return UniqueFd();
  }
  return UniqueFd(sv[0]);
}

}  // namespace

int runEngineHost(int control, wire::Voice voice) {
  // The host and its children end when the front does (their sockets close), never on their own
  // signals: a terminal's Ctrl-C or a service stop must let in-flight jobs finish.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // A host restarted while the front serves would otherwise hold on to the front's sockets.
  close_range(static_cast<unsigned>(control) + 1, ~0U, 0);
  signal(SIGINT, SIG_IGN);
  signal(SIGTERM, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  struct sigaction sa{};
  sa.sa_handler = SIG_DFL;
  sa.sa_flags = SA_NOCLDWAIT;  // children are reaped by the kernel
  sigaction(SIGCHLD, &sa, nullptr);

  std::string err = initEngine();
  if (err.empty()) warmUp(voice, err);  // loads the voice once for all children
  if (!err.empty()) {
    std::string p(1, kFailed);
    p += err;
    sendPacket(control, p.data(), p.size());
    return 1;
  }
  // One spare child always waits, warmed up, so a job starts at once; the host forks the next
  // spare as soon as one is taken.
  UniqueFd spare = forkSpare(control, voice);
  sendPacket(control, &kReady, 1);
  while (true) {
    const int fd = receiveFd(control);
    if (fd == kPeerGone) return 0;  // the front has gone: end the host (a spare sees its socket close)
    if (fd < 0) continue;
    if (!spare || !sendFd(spare.get(), fd)) {
      // No spare to take it (fork failed or the spare died): one last try with a fresh one.
      spare.reset();
      spare = forkSpare(control, voice);
      if (spare) sendFd(spare.get(), fd);
    }
    ::close(fd);
    spare.reset();  // not to be inherited by the next spare
    spare = forkSpare(control, voice);
  }
}

bool Job::start(std::string_view utf8, const VoiceSettings& s, std::string& error) {
  std::vector<char> p;
  p.push_back(static_cast<char>(s.voice));
  p.push_back(static_cast<char>(s.speed));
  p.push_back(static_cast<char>(s.pitch));
  p.push_back(static_cast<char>(s.volume));
  p.insert(p.end(), utf8.begin(), utf8.end());
  if (p.size() > kMaxPacket) {
    error = "text too long for the engine";
    return false;
  }
  if (!sendPacket(fd_.get(), p.data(), p.size())) {
    error = sysError("send to engine");
    return false;
  }
  return true;
}

Job::Next Job::next(std::vector<std::int16_t>& pcm, std::string& error) {
  buf_.resize(kMaxPacket);
  const ssize_t n = recvPacket(fd_.get(), buf_.data(), buf_.size());
  if (n <= 0) {
    error = n == 0 ? "engine process ended early" : sysError("recv from engine");
    return Next::failed;
  }
  switch (buf_[0]) {
    case kAudio: {
      const std::size_t samples = static_cast<std::size_t>(n - 1) / 2;
      const std::size_t at = pcm.size();
      pcm.resize(at + samples);
      std::memcpy(pcm.data() + at, buf_.data() + 1, samples * 2);
      return Next::audio;
    }
    case kDone:
      return Next::done;
    default:
      error.assign(buf_.data() + 1, static_cast<std::size_t>(n - 1));
      if (error.empty()) error = "engine failed";
      return Next::failed;
  }
}

EngineHost::EngineHost(std::string executable) : executable_(std::move(executable)) {
  for (std::size_t i = 0; i < hosts_.size() && startError_.empty(); ++i) {
    std::lock_guard lock(hosts_[i].mutex);
    spawn(hosts_[i], static_cast<wire::Voice>(i), startError_);
  }
}

EngineHost::~EngineHost() {
  for (Host& h : hosts_) {
    h.control.reset();  // the host sees the end of its socket and leaves
    reap(h);
  }
}

void EngineHost::reap(Host& h) {
  if (h.pid > 0) {
    int status;
    waitpid(h.pid, &status, 0);
  }
  h.pid = -1;
}

bool EngineHost::spawn(Host& h, wire::Voice voice, std::string& error) {
  h.control.reset();
  reap(h);
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) {
    error = sysError("socketpair");
    return false;
  }
  UniqueFd mine(sv[0]), theirs(sv[1]);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, theirs.get(), 3);
  std::string arg0 = executable_, arg1 = "--engine-host", arg2 = std::to_string(static_cast<int>(voice));
  char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, executable_.c_str(), &fa, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    error = "posix_spawn " + executable_ + " failed: " + std::strerror(rc);
    return false;
  }
  h.pid = pid;
  theirs.reset();
  pollfd pfd{mine.get(), POLLIN, 0};
  if (poll(&pfd, 1, kStartTimeoutMs) <= 0) {
    error = "engine host did not start within " + std::to_string(kStartTimeoutMs) + " ms";
    return false;
  }
  char buf[512];
  const ssize_t n = recvPacket(mine.get(), buf, sizeof buf);
  if (n <= 0 || buf[0] != kReady) {
    error = n > 1 ? "engine: " + std::string(buf + 1, static_cast<std::size_t>(n - 1)) : "engine host ended at start";
    return false;
  }
  h.control = std::move(mine);
  error.clear();
  return true;
}

bool EngineHost::sendJob(Host& h, int childFd) { return h.control && sendFd(h.control.get(), childFd); }

std::optional<Job> EngineHost::newJob(wire::Voice voice, std::string& error) {
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, sv) != 0) {
    error = sysError("socketpair");
    return std::nullopt;
  }
  UniqueFd mine(sv[0]), theirs(sv[1]);
  // An engine that goes silent this long is taken for hung.
  timeval tv{kSilenceSeconds, 0};
  setsockopt(mine.get(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  Host& h = hosts_[static_cast<std::size_t>(voice)];
  std::lock_guard lock(h.mutex);
  if (!sendJob(h, theirs.get())) {
    if (!spawn(h, voice, error) || !sendJob(h, theirs.get())) {
      if (error.empty()) error = sysError("sendmsg to engine host");
      return std::nullopt;
    }
  }
  return Job(std::move(mine));
}

}  // namespace lectavo::service
