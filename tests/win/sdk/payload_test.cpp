// The embedded libraries: written to a folder, kept in step with the executable's images, and every
// entry point bound from that copy, also with a stray msc.dll beside the program.
#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "deploy/payload.h"
#include "resources/payload_ids.h"
#include "sdk/msc/msc_errors.h"
#include "speech/sdk_binding.h"

namespace lectavo::deploy {
namespace {

std::string readFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string bytesOf(const PayloadImage& image) { return std::string(static_cast<const char*>(image.data), image.size); }

std::wstring exeFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

class Payloads : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temporaryFolder() + L"lectavo-payload-test-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  }
  void TearDown() override {
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((folder_ + L"*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
      do DeleteFileW((folder_ + d.cFileName).c_str());
      while (FindNextFileW(h, &d));
      FindClose(h);
    }
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder_;
};

TEST_F(Payloads, TheExecutableCarriesBothLibrariesWhole) {
  for (const auto& [id, name] : {std::pair{LECTAVO_IDR_MSC, L"msc.dll"}, std::pair{LECTAVO_IDR_SPEEX, L"speex.dll"}}) {
    const PayloadImage image = embeddedImage(id, name);
    ASSERT_NE(image.data, nullptr);
    EXPECT_EQ(bytesOf(image).substr(0, 2), "MZ");
  }
  EXPECT_EQ(bytesOf(embeddedImage(LECTAVO_IDR_MSC, L"msc.dll")), readFile(MSC_DLL_PATH));
  EXPECT_EQ(bytesOf(embeddedImage(LECTAVO_IDR_SPEEX, L"speex.dll")), readFile(SPEEX_DLL_PATH));
  EXPECT_EQ(embeddedImage(999, L"x.dll").data, nullptr);
  EXPECT_EQ(placePayload(folder_, embeddedImage(999, L"x.dll")), PayloadOutcome::failed);
}

TEST_F(Payloads, WrittenWhenMissingKeptWhenSameReplacedWhenDifferent) {
  const PayloadImage image = embeddedImage(LECTAVO_IDR_SPEEX, L"speex.dll");
  const std::string bytes = bytesOf(image);
  std::string sameSize = bytes;
  sameSize[sameSize.size() / 2] ^= 0x55;
  struct Case {
    const char* what;
    const char* before;  // null: no file
    std::string content;
    PayloadOutcome outcome;
  };
  const Case cases[] = {
      {"missing", nullptr, "", PayloadOutcome::written},
      {"same", "", bytes, PayloadOutcome::unchanged},
      {"older library", "", "MZ old library", PayloadOutcome::replaced},
      {"same size, other bytes", "", sameSize, PayloadOutcome::replaced},
      {"image plus a tail", "", bytes + "tail", PayloadOutcome::replaced},
      {"empty file", "", "", PayloadOutcome::replaced},
  };
  const std::wstring path = folder_ + L"speex.dll";
  for (const auto& c : cases) {
    DeleteFileW(path.c_str());
    if (c.before) writeFile(path, c.content);
    EXPECT_EQ(placePayload(folder_, image), c.outcome) << c.what;
    EXPECT_EQ(readFile(path), bytes) << c.what;
  }
  // A file already right is not written again.
  FILETIME before{}, after{};
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(h, nullptr, nullptr, &before);
  CloseHandle(h);
  Sleep(20);
  EXPECT_EQ(placePayload(folder_, image), PayloadOutcome::unchanged);
  h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  GetFileTime(h, nullptr, nullptr, &after);
  CloseHandle(h);
  EXPECT_EQ(CompareFileTime(&before, &after), 0);
}

TEST_F(Payloads, DifferentFileInUseIsUsedAsItIs) {
  const std::wstring path = folder_ + L"msc.dll";
  writeFile(path, "MZ older library in use");
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(placePayload(folder_, embeddedImage(LECTAVO_IDR_MSC, L"msc.dll")), PayloadOutcome::keptInUse);
  CloseHandle(held);
  EXPECT_EQ(readFile(path), "MZ older library in use");
  WIN32_FIND_DATAW d;
  HANDLE f = FindFirstFileW((folder_ + L"*.new").c_str(), &d);
  EXPECT_EQ(f, INVALID_HANDLE_VALUE) << "no half-made replacement left behind";
  if (f != INVALID_HANDLE_VALUE) FindClose(f);
}

// A library named msc.dll beside the program is what a plain-name load would find first.
TEST_F(Payloads, EveryEntryPointComesFromTheCopyInTheFolder) {
  const std::wstring stray = exeFolder() + L"msc.dll";
  writeFile(stray, bytesOf(embeddedImage(LECTAVO_IDR_SPEEX, L"speex.dll")));  // a DLL without the entry points
  ASSERT_EQ(placePayload(folder_, embeddedImage(LECTAVO_IDR_SPEEX, L"speex.dll")), PayloadOutcome::written);

  const DeployResult r = deployPayloads(folder_);
  EXPECT_EQ(r.msc, PayloadOutcome::written);
  EXPECT_EQ(r.speex, PayloadOutcome::unchanged) << "only the missing library is written";
  ASSERT_TRUE(r.bound) << r.failure;
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(static_cast<HMODULE>(sdk::boundModule()), loaded, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(loaded, (folder_ + L"msc.dll").c_str()), 0);

  // Each call reaches the real library (the stray one has none of these and would end the process).
  EXPECT_EQ(sdk::init(""), MSC_ERROR_CONFIG_MALFORMED);
  int err = 0;
  EXPECT_EQ(sdk::sessionBegin("vcn=x_yiping", &err), nullptr);
  EXPECT_EQ(err, MSC_ERROR_NOT_INITIALISED);
  EXPECT_EQ(sdk::textPut("nope", "a", 1, ""), MSC_ERROR_INVALID_SESSION);
  unsigned len = 1;
  int status = 0;
  EXPECT_EQ(sdk::audioGet("nope", &len, &status, &err), nullptr);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(sdk::sessionEnd("nope", ""), MSC_ERROR_INVALID_SESSION);
  EXPECT_EQ(sdk::fini(), MSC_ERROR_NOT_INITIALISED);
  // The library is loaded once and stays: a second bind keeps the module.
  EXPECT_TRUE(sdk::bindLibrary(folder_ + L"other\\msc.dll"));
  EXPECT_EQ(GetModuleFileNameW(static_cast<HMODULE>(sdk::boundModule()), loaded, MAX_PATH) > 0, true);
  EXPECT_EQ(lstrcmpiW(loaded, (folder_ + L"msc.dll").c_str()), 0);
  // Folder clean-up cannot remove a loaded library; it stays with the test's temporary files.
  DeleteFileW(stray.c_str());
}

}  // namespace
}  // namespace lectavo::deploy
