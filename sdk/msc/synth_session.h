#pragma once
// One synthesis session: the texts put into it are synthesised one after another on a worker thread
// of the session's own; the audio is handed out in the order it arrives. Portable: the transport is
// behind Synthesizer.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace lectavo::msc {

using Bytes = std::vector<std::uint8_t>;

// Synthesises one text. Streams its PCM (whole 16-bit samples) to onAudio as it comes and returns 0,
// or an MSC_ERROR_* code. Should return soon after `stop` turns true; abort() is called from another
// thread to cut a request short where the transport can.
class Synthesizer {
 public:
  virtual ~Synthesizer() = default;
  virtual int synthesize(const std::string& text, const std::function<void(Bytes&&)>& onAudio,
                         const std::atomic<bool>& stop) = 0;
  virtual void abort() {}
};

struct AudioHandout {
  const std::uint8_t* data = nullptr;  // valid until the next take() on the session
  unsigned length = 0;
  int status = 1;  // 2: all audio of the text put so far handed out
  int error = 0;
};

class SynthSession : public std::enable_shared_from_this<SynthSession> {
 public:
  SynthSession(std::string id, std::unique_ptr<Synthesizer> synthesizer);
  ~SynthSession();
  const std::string& id() const { return id_; }

  // Queues the parts, in order; starts the worker on first use.
  void put(std::vector<std::string> parts);
  // The next audio, waiting up to waitMs for it while some is still to come. A failure is reported
  // once (status 2 with the error); the parts after the failed one are dropped with it.
  AudioHandout take(unsigned waitMs);
  // Stops the worker without waiting for it: what is in flight is dropped, nothing more is handed out.
  void end();
  // Waits until the worker has ended (after end()); false when limitMs passed first.
  bool waitEnded(unsigned limitMs);

 private:
  void run();
  bool idleLocked() const { return !busy_ && jobs_.empty(); }

  const std::string id_;
  std::unique_ptr<Synthesizer> synthesizer_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::string> jobs_;
  std::deque<Bytes> audio_;
  Bytes handedOut_;
  bool busy_ = false;
  bool workerStarted_ = false;
  bool workerEnded_ = false;
  int error_ = 0;
};

}  // namespace lectavo::msc
