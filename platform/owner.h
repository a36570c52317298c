#pragma once
// Owner types for Windows handles and a scope-exit helper.
#include <windows.h>

#include <utility>

namespace lectavo::platform {

// Owns one handle-like value and releases it with Traits::release; move-only.
template <typename Traits>
class Owner {
 public:
  using Value = typename Traits::Value;
  Owner() = default;
  explicit Owner(Value v) : value_(v) {}
  Owner(Owner&& o) noexcept : value_(std::exchange(o.value_, Traits::none())) {}
  Owner& operator=(Owner&& o) noexcept {
    if (this != &o) reset(std::exchange(o.value_, Traits::none()));
    return *this;
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  ~Owner() { reset(); }

  Value get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::none(); }
  void reset(Value v = Traits::none()) {
    if (value_ != Traits::none()) Traits::release(value_);
    value_ = v;
  }
  Value release() { return std::exchange(value_, Traits::none()); }

 private:
  Value value_ = Traits::none();
};

struct KernelHandleTraits {  // CreateEvent, CreateThread, OpenProcess, ...
  using Value = HANDLE;
  static Value none() { return nullptr; }
  static void release(Value v) { CloseHandle(v); }
};
struct FileHandleTraits {  // CreateFile: failure is INVALID_HANDLE_VALUE
  using Value = HANDLE;
  static Value none() { return INVALID_HANDLE_VALUE; }
  static void release(Value v) { CloseHandle(v); }
};
struct WindowTraits {
  using Value = HWND;
  static Value none() { return nullptr; }
  static void release(Value v) { DestroyWindow(v); }
};
struct IconTraits {
  using Value = HICON;
  static Value none() { return nullptr; }
  static void release(Value v) { DestroyIcon(v); }
};
struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value none() { return nullptr; }
  static void release(Value v) { DeleteObject(v); }
};
struct ModuleTraits {
  using Value = HMODULE;
  static Value none() { return nullptr; }
  static void release(Value v) { FreeLibrary(v); }
};

using UniqueHandle = Owner<KernelHandleTraits>;
using UniqueFile = Owner<FileHandleTraits>;
using UniqueWindow = Owner<WindowTraits>;
using UniqueIcon = Owner<IconTraits>;
using UniqueGdiObject = Owner<GdiObjectTraits>;
using UniqueModule = Owner<ModuleTraits>;

// Runs a callable when the scope ends, unless dismissed.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (active_) f_();
  }
  void dismiss() { active_ = false; }

 private:
  F f_;
  bool active_ = true;
};

}  // namespace lectavo::platform
