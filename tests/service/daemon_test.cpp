// The built daemon from the outside: started by one command, logging, clean stop on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <dirent.h>

#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include "tests/service/http_helpers.h"

extern char** environ;

namespace lectavo::test {
namespace {

// The daemon as a child process, its stderr collected.
class Daemon {
 public:
  explicit Daemon(std::vector<std::string> args) {
    args.insert(args.begin(), LECTAVO_SPEECHD);
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 2);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    ::close(fds[1]);
    reader_ = std::thread([this, fd = fds[0]] {
      char buf[1024];
      ssize_t n;
      while ((n = ::read(fd, buf, sizeof buf)) > 0) {
        std::lock_guard lock(m_);
        log_.append(buf, std::size_t(n));
      }
      ::close(fd);
    });
  }
  ~Daemon() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      wait();
    }
    if (reader_.joinable()) reader_.join();
  }

  std::string log() {
    std::lock_guard lock(m_);
    return log_;
  }
  // The port from the start-up line, 0 if it never came.
  int port() {
    int found = 0;
    eventually([&] {
      std::smatch m;
      const std::string l = log();
      if (std::regex_search(l, m, std::regex("listening on 127\\.0\\.0\\.1:(\\d+)"))) found = std::stoi(m[1]);
      return found != 0 || exited();
    });
    return found;
  }
  bool exited() {
    if (status_ >= 0) return true;
    int st;
    if (waitpid(pid_, &st, WNOHANG) == pid_) status_ = st;
    return status_ >= 0;
  }
  // Exit code, or -1 when it did not exit normally.
  int wait() {
    if (status_ < 0) {
      int st;
      waitpid(pid_, &st, 0);
      status_ = st;
    }
    if (reader_.joinable()) reader_.join();  // the whole log is in
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  void signal(int sig) { kill(pid_, sig); }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::thread reader_;
  std::mutex m_;
  std::string log_;
};

TEST(Daemon, ServesLogsEachRequestAndRefusesATakenPort) {
  Daemon d({"--port", "0", "--workers", "2"});
  const int port = d.port();
  ASSERT_GT(port, 0) << d.log();
  {
    httplib::Client cli("127.0.0.1", port);
    auto health = cli.Get("/index.htm");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
  }
  EXPECT_EQ(post(port, params("x_binge"), "你好").status, 200);
  EXPECT_EQ(post(port, params("x_binge"), "你好", "deadbeef").status, 403);

  Daemon second({"--port", std::to_string(port)});
  EXPECT_EQ(second.wait(), 1);
  EXPECT_NE(second.log().find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos) << second.log();

  d.signal(SIGTERM);
  EXPECT_EQ(d.wait(), 0);
  const std::string log = d.log();
  EXPECT_NE(log.find("GET /index.htm 200"), std::string::npos) << log;
  EXPECT_NE(log.find("POST /tts 200 bytes="), std::string::npos) << log;
  EXPECT_NE(log.find("POST /tts 403"), std::string::npos) << log;
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6) << log;  // start, three requests, stopping, stopped
}

TEST(Daemon, SigtermLetsTheRequestInFlightFinish) {
  Daemon d({"--port", "0", "--workers", "1"});
  const int port = d.port();
  ASSERT_GT(port, 0) << d.log();
  const Reply whole = post(port, params("x_xiaoyuan"), longText());
  ASSERT_EQ(whole.status, 200);

  RawConnection c(port, 4096);
  ASSERT_TRUE(startStalledStream(c, "x_xiaoyuan"));
  d.signal(SIGTERM);
  // New connections are refused from now on, while the old one is still being served.
  EXPECT_TRUE(eventually([&] { return !RawConnection(port).connected(); }));
  EXPECT_FALSE(d.exited());
  ASSERT_TRUE(c.readAll());
  bool complete = false;
  EXPECT_TRUE(dechunk(c.data, complete) == whole.body);
  EXPECT_TRUE(complete);
  EXPECT_EQ(d.wait(), 0);
}

// Other tests compare the audio a program played with what a service of their own made.
TEST(Daemon, AFreshDaemonGivesTheSameAudio) {
  std::string first;
  for (int run = 0; run < 2; ++run) {
    Daemon d({"--port", "0"});
    const int port = d.port();
    ASSERT_GT(port, 0) << d.log();
    const Reply r = post(port, params("x_xiaoyuan", 63), "我们一起去公园散步吧。");
    ASSERT_EQ(r.status, 200);
    if (run == 0) first = r.body;
    else EXPECT_TRUE(r.body == first);
  }
}

std::vector<pid_t> childrenOf(pid_t parent) {
  std::vector<pid_t> out;
  DIR* d = opendir("/proc");
  while (dirent* e = readdir(d)) {
    const pid_t pid = std::atoi(e->d_name);
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    char state;
    int ppid = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent && state != 'Z')
      out.push_back(pid);
  }
  closedir(d);
  return out;
}

// The engine runs in processes of its own; when they die the daemon answers on.
TEST(Daemon, EngineProcessesThatDieAreReplaced) {
  Daemon d({"--port", "0", "--workers", "2"});
  const int port = d.port();
  ASSERT_GT(port, 0) << d.log();
  const auto hosts = childrenOf(d.pid());
  ASSERT_EQ(hosts.size(), 4u) << "one engine host per voice";

  RawConnection c(port, 4096);
  ASSERT_TRUE(startStalledStream(c));
  for (const pid_t h : hosts)
    for (const pid_t child : childrenOf(h)) kill(child, SIGKILL);  // the job's process and the spares
  ASSERT_TRUE(c.readAll());
  bool complete = true;
  dechunk(c.data, complete);
  EXPECT_FALSE(complete) << "a synthesis cut short must not look finished";

  for (const auto& voice : {"x_yiping", "x_xiaoyuan", "x_binge", "x_nannan"})
    EXPECT_EQ(post(port, params(voice), "你好").status, 200) << voice << " after its spare died";
  for (const pid_t h : hosts) kill(h, SIGKILL);
  ASSERT_TRUE(eventually([&] { return childrenOf(d.pid()).empty(); }));
  for (const auto& voice : {"x_yiping", "x_xiaoyuan", "x_binge", "x_nannan"})
    EXPECT_EQ(post(port, params(voice), "你好").status, 200) << voice << " after its host died";
  d.signal(SIGTERM);
  EXPECT_EQ(d.wait(), 0);
}

TEST(Daemon, BadCommandLinesAreRefused) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--port", "70000"}, {"--workers", "0"}, {"--bogus", "1"}, {"--port"}}) {
    Daemon d(args);
    EXPECT_EQ(d.wait(), 2) << args[0];
    EXPECT_NE(d.log().find("usage:"), std::string::npos) << d.log();
  }
}

}  // namespace
}  // namespace lectavo::test
