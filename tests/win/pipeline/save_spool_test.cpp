#include "pipeline/save_spool.h"

#include <windows.h>
#include <gtest/gtest.h>


#include "pipeline/ideograph.h"

namespace lectavo {
namespace {

std::wstring scratchFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + name;
}

Bytes readFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  Bytes b(GetFileSize(f, nullptr));
  DWORD got = 0;
  ReadFile(f, b.data(), static_cast<DWORD>(b.size()), &got, nullptr);
  CloseHandle(f);
  b.resize(got);
  return b;
}

Bytes pattern(std::size_t n, std::uint8_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(i * 31 + seed);
  return b;
}

TEST(Ideograph, ThroughCodePage936) {
  struct Case { const char* ch; bool expected; };
  const Case cases[] = {{"中", true}, {"丂", true}, {"龥", true}, {"，", false}, {"　", false},
                        {"Ａ", false}, {"a", false}, {"\xB0", false}, {"\xFF\xFF", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ch);
    EXPECT_EQ(isIdeograph(c.ch), c.expected);
  }
}

TEST(SaveSpool, FileIsTheWrappedConcatenationOfThePieces) {
  SaveSpool spool;
  Bytes all;
  for (std::uint8_t k = 0; k < 3; ++k) {
    const Bytes piece = pattern(70000 + k, k);
    ASSERT_TRUE(spool.append(piece.data(), piece.size()));
    all.insert(all.end(), piece.begin(), piece.end());
  }
  const std::wstring path = scratchFile(L"lectavo-spool-test.wav");
  const char* call = "";
  ASSERT_EQ(spool.writeWav(path, call), 0u) << call;
  EXPECT_TRUE(readFile(path) == wrapWav(all));
  // Writing again replaces the whole content (a shorter file leaves no tail of the longer one).
  spool.reset();
  ASSERT_TRUE(spool.append(all.data(), 10));
  ASSERT_EQ(spool.writeWav(path, call), 0u) << call;
  EXPECT_TRUE(readFile(path) == wrapWav(Bytes(all.begin(), all.begin() + 10)));
  DeleteFileW(path.c_str());
}

TEST(SaveSpool, StopsAtItsLimitWithAnHonestHeader) {
  SaveSpool spool(100);
  const Bytes pcm = pattern(160, 9);
  ASSERT_TRUE(spool.append(pcm.data(), 60));
  EXPECT_FALSE(spool.full());
  ASSERT_TRUE(spool.append(pcm.data() + 60, 100));
  EXPECT_TRUE(spool.full());
  EXPECT_EQ(spool.size(), 100u);
  const std::wstring path = scratchFile(L"lectavo-spool-limit.wav");
  const char* call = "";
  ASSERT_EQ(spool.writeWav(path, call), 0u) << call;
  EXPECT_TRUE(readFile(path) == wrapWav(Bytes(pcm.begin(), pcm.begin() + 100)));
  DeleteFileW(path.c_str());
}

TEST(SaveSpool, FailedWriteNamesTheCallAndKeepsTheOldFile) {
  SaveSpool spool;
  const Bytes pcm = pattern(1000, 3);
  ASSERT_TRUE(spool.append(pcm.data(), pcm.size()));
  const char* call = "";
  EXPECT_NE(spool.writeWav(scratchFile(L"no-such-folder\\x.wav"), call), 0u);
  EXPECT_STREQ(call, "CreateFileW");

  // A target that cannot be replaced (a folder) stays as it was, and no partial file is left over.
  const std::wstring folder = scratchFile(L"lectavo-spool-folder");
  CreateDirectoryW(folder.c_str(), nullptr);
  EXPECT_NE(spool.writeWav(folder, call), 0u);
  EXPECT_STREQ(call, "MoveFileExW");
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(GetFileAttributesW((folder + L".part").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace lectavo
