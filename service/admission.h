#pragma once
// Bounds the work in flight: up to `workers` syntheses run, up to `queue` more wait for a turn, and
// anything beyond is refused at once so the client can come back later.
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace lectavo::service {

class Admission {
 public:
  Admission(std::size_t workers, std::size_t queue) : workers_(workers ? workers : 1), queue_(queue) {}

  // A running slot while it lives.
  class Ticket {
   public:
    Ticket() = default;
    explicit Ticket(Admission* a) : a_(a) {}
    Ticket(Ticket&& o) noexcept : a_(o.a_) { o.a_ = nullptr; }
    Ticket& operator=(Ticket&& o) noexcept {
      if (this != &o) {
        release();
        a_ = o.a_;
        o.a_ = nullptr;
      }
      return *this;
    }
    ~Ticket() { release(); }
    explicit operator bool() const { return a_ != nullptr; }

   private:
    void release() {
      if (a_) a_->leave();
      a_ = nullptr;
    }
    Admission* a_ = nullptr;
  };

  // Waits for a slot when one may come; an empty ticket when the queue is full.
  std::size_t waiting() const {
    std::lock_guard lock(m_);
    return waiting_;
  }

  Ticket enter() {
    std::unique_lock lock(m_);
    if (running_ >= workers_) {
      if (waiting_ >= queue_) return Ticket();
      ++waiting_;
      cv_.wait(lock, [&] { return running_ < workers_; });
      --waiting_;
    }
    ++running_;
    return Ticket(this);
  }

 private:
  void leave() {
    {
      std::lock_guard lock(m_);
      --running_;
    }
    cv_.notify_one();
  }

  mutable std::mutex m_;
  std::condition_variable cv_;
  std::size_t workers_, queue_;
  std::size_t running_ = 0, waiting_ = 0;
};

}  // namespace lectavo::service
