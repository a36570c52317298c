#include "sdk/msc/synth_session.h"

#include <thread>
#include <condition_variable>

#include "sdk/msc/msc_errors.h"

namespace lectavo::msc {

SynthSession::SynthSession(std::string id, std::unique_ptr<Synthesizer> synthesizer)
    : id_(std::move(id)), synthesizer_(std::move(synthesizer)) {}

SynthSession::~SynthSession() = default;

void SynthSession::put(std::vector<std::string> parts) {
  std::unique_lock<std::mutex> hold(lock_);
  if (stop_) return;
  for (auto& p : parts) jobs_.push_back(std::move(p));
  if (!workerStarted_ && !jobs_.empty()) {
    // The worker keeps the session alive, so ending a session never waits for a blocked request.
    std::thread([self = shared_from_this()] { self->run(); }).detach();
    workerStarted_ = true;
  }
  changed_.notify_all();
}

void SynthSession::run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return stop_ || !jobs_.empty(); });
    if (stop_) break;
    std::string text = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    hold.unlock();
    int rc = 0;
    try {
      rc = synthesizer_->synthesize(
          text,
          [this](Bytes&& pcm) {
            if (pcm.empty() || stop_) return;
            std::lock_guard<std::mutex> h(lock_);
            audio_.push_back(std::move(pcm));
            changed_.notify_all();
          },
          stop_);
    } catch (const std::bad_alloc&) {
      rc = MSC_ERROR_OUT_OF_MEMORY;
    } catch (...) {
      rc = MSC_ERROR_NETWORK;
    }
    hold.lock();
    busy_ = false;
    if (rc != 0 && !stop_) {
      error_ = rc;
      jobs_.clear();
    }
    changed_.notify_all();
  }
  workerEnded_ = true;
  changed_.notify_all();
}

AudioHandout SynthSession::take(unsigned waitMs) {
  std::unique_lock<std::mutex> hold(lock_);
  handedOut_.clear();
  AudioHandout out;
  if (stop_) {
    out.status = 2;
    out.error = MSC_ERROR_INVALID_SESSION;
    return out;
  }
  changed_.wait_for(hold, std::chrono::milliseconds(waitMs), [this] { return !audio_.empty() || error_ != 0 || idleLocked() || stop_; });
  if (!audio_.empty()) {
    handedOut_ = std::move(audio_.front());
    audio_.pop_front();
    out.data = handedOut_.data();
    out.length = static_cast<unsigned>(handedOut_.size());
    out.status = audio_.empty() && error_ == 0 && idleLocked() ? 2 : 1;
    return out;
  }
  if (error_ != 0) {
    out.status = 2;
    out.error = error_;
    error_ = 0;
    return out;
  }
  out.status = idleLocked() ? 2 : 1;
  return out;
}

void SynthSession::end() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
    jobs_.clear();
    audio_.clear();
    changed_.notify_all();
  }
  synthesizer_->abort();
}

bool SynthSession::waitEnded(unsigned limitMs) {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, std::chrono::milliseconds(limitMs), [this] { return !workerStarted_ || workerEnded_; });
}

}  // namespace lectavo::msc
