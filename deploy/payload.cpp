#include "deploy/payload.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/owner.h"
#include "resources/payload_ids.h"
#include "speech/sdk_binding.h"

namespace lectavo::deploy {
namespace {

using platform::UniqueFile;

bool writeWhole(const std::wstring& path, const PayloadImage& image) {
  UniqueFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return false;
  const auto* p = static_cast<const char*>(image.data);
  std::size_t left = image.size;
  while (left > 0) {
    const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(f.get(), p, chunk, &written, nullptr) || written != chunk) return false;
    p += chunk;
    left -= chunk;
  }
  return true;
}

enum class Existing { missing, same, different };

Existing compare(const std::wstring& path, const PayloadImage& image) {
  UniqueFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? Existing::missing : Existing::different;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(f.get(), &size) || static_cast<unsigned long long>(size.QuadPart) != image.size)
    return Existing::different;
  std::vector<char> buffer(1 << 16);
  const auto* expected = static_cast<const char*>(image.data);
  std::size_t at = 0;
  while (at < image.size) {
    DWORD n = 0;
    if (!ReadFile(f.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr) || n == 0)
      return Existing::different;
    if (at + n > image.size || std::memcmp(buffer.data(), expected + at, n) != 0) return Existing::different;
    at += n;
  }
  return Existing::same;
}

}  // namespace

PayloadImage embeddedImage(int id, const wchar_t* fileName) {
  PayloadImage image;
  image.fileName = fileName;
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  if (!loaded) return image;
  image.data = LockResource(loaded);
  image.size = image.data ? SizeofResource(nullptr, found) : 0;
  return image;
}

PayloadOutcome placePayload(const std::wstring& folder, const PayloadImage& image) {
  if (!image.data || image.size == 0) return PayloadOutcome::failed;
  const std::wstring path = folder + image.fileName;
  switch (compare(path, image)) {
    case Existing::same:
      return PayloadOutcome::unchanged;
    case Existing::missing:
      if (writeWhole(path, image)) return PayloadOutcome::written;
      DeleteFileW(path.c_str());
      return PayloadOutcome::failed;
    case Existing::different:
      break;
  }
  const std::wstring fresh = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
  if (writeWhole(fresh, image) && MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    return PayloadOutcome::replaced;
  DeleteFileW(fresh.c_str());
  return PayloadOutcome::keptInUse;
}

std::wstring temporaryFolder() {
  std::wstring path(MAX_PATH + 1, L'\0');
  const DWORD n = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
  path.resize(n < path.size() ? n : 0);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

DeployResult deployPayloads(const std::wstring& folder) {
  DeployResult r;
  r.msc = placePayload(folder, embeddedImage(LECTAVO_IDR_MSC, L"msc.dll"));
  r.speex = placePayload(folder, embeddedImage(LECTAVO_IDR_SPEEX, L"speex.dll"));
  r.mscPath = folder + L"msc.dll";
  r.bound = sdk::bindLibrary(r.mscPath, &r.failure);
  return r;
}

}  // namespace lectavo::deploy
