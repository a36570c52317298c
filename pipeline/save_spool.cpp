#include "pipeline/save_spool.h"

#include <algorithm>
#include <vector>

namespace lectavo {
namespace {

bool writeAll(HANDLE file, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

}  // namespace

SaveSpool::SaveSpool(std::uint64_t limit) : limit_(limit) {}

bool SaveSpool::open() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"lsv", 0, name) == 0) return false;
  // Gone with its handle, whatever way the program ends.
  file_.reset(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(file_);
}

bool SaveSpool::append(const std::uint8_t* data, std::size_t size) {
  if (writeFailed_) return false;
  const std::uint64_t room = limit_ - size_;
  if (size > room) {
    truncated_ = true;
    size = static_cast<std::size_t>(room);
  }
  if (size == 0) return true;
  if (!file_ && !open()) {
    writeFailed_ = true;
    return false;
  }
  if (!writeAll(file_.get(), data, size)) {
    writeFailed_ = true;
    return false;
  }
  size_ += size;
  return true;
}

void SaveSpool::reset() {
  file_.reset();
  size_ = 0;
  truncated_ = writeFailed_ = false;
}

DWORD SaveSpool::writeWav(const std::wstring& path, const char*& failedCall) const {
  const std::wstring partial = path + L".part";
  platform::UniqueFile out(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out) {
    failedCall = "CreateFileW";
    return GetLastError();
  }
  bool moved = false;
  platform::ScopeExit dropPartial([&] {
    if (!moved) DeleteFileW(partial.c_str());
  });
  auto fail = [&](const char* call) {
    failedCall = call;
    const DWORD code = GetLastError();
    out.reset();
    return code ? code : ERROR_WRITE_FAULT;
  };
  const auto header = wavHeader(static_cast<std::uint32_t>(size_));
  if (!writeAll(out.get(), header.data(), header.size())) return fail("WriteFile");
  if (size_ > 0) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_BEGIN)) return fail("SetFilePointerEx");
    std::vector<std::uint8_t> chunk(1u << 20);
    std::uint64_t left = size_;
    while (left > 0) {
      DWORD got = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(left, chunk.size()));
      if (!ReadFile(file_.get(), chunk.data(), want, &got, nullptr) || got == 0) return fail("ReadFile");
      if (!writeAll(out.get(), chunk.data(), got)) return fail("WriteFile");
      left -= got;
    }
    // Later appends go on at the end.
    SetFilePointerEx(file_.get(), zero, nullptr, FILE_END);
  }
  if (!FlushFileBuffers(out.get())) return fail("FlushFileBuffers");
  out.reset();
  if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    failedCall = "MoveFileExW";
    return GetLastError();
  }
  moved = true;
  return 0;
}

}  // namespace lectavo
