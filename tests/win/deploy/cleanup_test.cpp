#include "deploy/cleanup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "deploy/cleanup_text.h"
#include "deploy/working_folder.h"
#include "platform/cp936.h"
#include "platform/owner.h"

namespace lectavo::deploy {
namespace {

std::wstring w(const Text& t) { return widen936(t); }

Text childExe() {
  std::string path = CLEANUP_CHILD;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

void writeFile(const Text& path, const std::string& content) {
  platform::UniqueFile f(CreateFileW(w(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(f) << path;
  DWORD n = 0;
  WriteFile(f.get(), content.data(), DWORD(content.size()), &n, nullptr);
}

bool exists(const Text& path) { return GetFileAttributesW(w(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<Text> filesIn(const Text& folder, const Text& pattern) {
  std::vector<Text> names;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(w(folder + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do names.push_back(narrow936(found.cFileName)); while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

// Removes a test tree (the batch may have failed to do its part).
void removeTree(const Text& folder) {
  for (const Text& name : filesIn(folder, "*")) {
    if (name == "." || name == "..") continue;
    const Text path = folder + name;
    if (GetFileAttributesW(w(path).c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      removeTree(path + "\\");
    } else {
      SetFileAttributesW(w(path).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(w(path).c_str());
    }
  }
  RemoveDirectoryW(w(folder).c_str());
}

struct Child {
  platform::UniqueHandle process;
  DWORD pid = 0;
};

// Starts the child with its own temporary folder and a current folder elsewhere.
Child startChild(const Text& exe, const char* mode, const Text& tempFolder, const Text& currentFolder) {
  std::wstring env;
  for (const wchar_t* var : {L"TMP", L"TEMP"}) env += std::wstring(var) + L"=" + w(tempFolder) + L'\0';
  wchar_t* own = GetEnvironmentStringsW();
  for (const wchar_t* p = own; *p; p += wcslen(p) + 1) {
    if (_wcsnicmp(p, L"TMP=", 4) != 0 && _wcsnicmp(p, L"TEMP=", 5) != 0) env += std::wstring(p) + L'\0';
  }
  FreeEnvironmentStringsW(own);
  env += L'\0';
  std::wstring commandLine = L"\"" + w(exe) + L"\" " + w(mode);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Child child;
  // No console, like the windowed program: the batch's console is then its own, hidden one.
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, env.data(),
                      w(currentFolder).c_str(), &startup, &info)) {
    ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
    return child;
  }
  CloseHandle(info.hThread);
  child.process.reset(info.hProcess);
  child.pid = info.dwProcessId;
  return child;
}

DWORD exitCodeOf(const Child& child) {
  EXPECT_EQ(WaitForSingleObject(child.process.get(), 30000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(child.process.get(), &code);
  return code;
}

// A scratch tree with spaces and Chinese in every part that matters:
//   <root>\程序 目录\cleanup_child.exe, <root>\程序 目录\<working folder>\..., <root>\临时 文件\.
class CleanupRun : public testing::Test {
 protected:
  void SetUp() override {
    root_ = getTempFolder() + "lectavo cleanup " + std::to_string(GetCurrentProcessId()) + "\\";
    app_ = root_ + "程序 目录\\";
    temp_ = root_ + "临时 文件\\";
    elsewhere_ = root_ + "elsewhere\\";
    for (const Text& d : {root_, app_, temp_, elsewhere_}) CreateDirectoryW(w(d).c_str(), nullptr);
    exe_ = app_ + "cleanup_child.exe";
    ASSERT_TRUE(CopyFileW(w(childExe()).c_str(), w(exe_).c_str(), FALSE)) << GetLastError();
    work_ = workingFolderPath(app_.substr(0, app_.size() - 1));
    // A program named like the temporary folder's path up to its space: on Windows an unquoted
    // command line starts it instead of the batch (Wine 8 tries the whole path first).
    ASSERT_TRUE(CopyFileW(w(childExe()).c_str(), w(root_ + "临时.exe").c_str(), FALSE));
  }
  void TearDown() override { removeTree(root_); }

  void makeWorkingFolder() {
    ASSERT_TRUE(CreateDirectoryW(w(work_).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(w(work_ + "\\子 目录").c_str(), nullptr));
    writeFile(work_ + "\\子 目录\\音频.wav", "RIFF");
    writeFile(work_ + "\\readme.txt", "x");
    SetFileAttributesW(w(work_).c_str(), FILE_ATTRIBUTE_HIDDEN);
  }

  Text root_, app_, temp_, elsewhere_, exe_, work_;
};

TEST_F(CleanupRun, ClosingRemovesTheWorkingFolderLeavesNoBatchAndExitsWithZero) {
  for (const char* mode : {"close", "destroying"}) {
    SCOPED_TRACE(mode);
    makeWorkingFolder();
    Child child = startChild(exe_, mode, temp_, elsewhere_);
    EXPECT_EQ(exitCodeOf(child), 0u);
    EXPECT_FALSE(exists(work_));
    EXPECT_TRUE(exists(exe_));  // only the working folder goes
    EXPECT_TRUE(filesIn(temp_, "*_Speed.bat").empty());
    EXPECT_TRUE(filesIn(elsewhere_, "*").size() == 2u);  // "." and ".." only
  }
}

// The child's main window once it is on the screen.
HWND waitForWindow(DWORD pid) {
  for (int i = 0; i < 200; ++i) {
    std::pair<DWORD, HWND> search{pid, nullptr};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<std::pair<DWORD, HWND>*>(p);
          DWORD owner = 0;
          GetWindowThreadProcessId(h, &owner);
          if (owner != s->first || !IsWindowVisible(h)) return TRUE;
          s->second = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.second) return search.second;
    Sleep(50);
  }
  return nullptr;
}

TEST_F(CleanupRun, ClosingTheRealWindowRunsTheCleanUp) {
  makeWorkingFolder();
  Child child = startChild(exe_, "window", temp_, elsewhere_);
  HWND window = waitForWindow(child.pid);
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(exitCodeOf(child), 0u);
  EXPECT_FALSE(exists(work_));
  EXPECT_TRUE(filesIn(temp_, "*_Speed.bat").empty());
}

TEST_F(CleanupRun, AProgramInADriveRootRemovesItsWorkingFolderThere) {
  const Text exe = "C:\\lectavo cleanup " + std::to_string(GetCurrentProcessId()) + ".exe";
  ASSERT_TRUE(CopyFileW(w(childExe()).c_str(), w(exe).c_str(), FALSE));
  const Text work = workingFolderPath("C:");
  ASSERT_TRUE(CreateDirectoryW(w(work).c_str(), nullptr));
  writeFile(work + "\\x.txt", "x");
  Child child = startChild(exe, "close", temp_, elsewhere_);
  EXPECT_EQ(exitCodeOf(child), 0u);
  EXPECT_FALSE(exists(work));
  if (exists(work)) removeTree(work + "\\");
  DeleteFileW(w(exe).c_str());
}

TEST_F(CleanupRun, WithoutAWorkingFolderTheProcessStillExitsWithZero) {
  Child child = startChild(exe_, "close", temp_, elsewhere_);
  EXPECT_EQ(exitCodeOf(child), 0u);
  EXPECT_TRUE(filesIn(temp_, "*").size() == 2u);
  EXPECT_TRUE(exists(app_));
}

TEST(CleanupPlatform, FolderTestsAndTermination) {
  const Text temp = getTempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(endsWithBackslash936(temp));
  EXPECT_TRUE(isExistingFolder(temp));
  EXPECT_FALSE(isExistingFolder(childExe()));  // a file
  EXPECT_FALSE(isExistingFolder(temp + "no such folder 7f3a"));

  const Text own = programFolder();
  EXPECT_FALSE(endsWithBackslash936(own));
  EXPECT_TRUE(checkDrivePath(workingFolderPath(own), true)) << own;

  EXPECT_EQ(makeTimeStampName().size(), 13u);

  Child child = startChild(childExe(), "wait", temp, temp);
  EXPECT_TRUE(terminateProcessById(child.pid));
  EXPECT_EQ(exitCodeOf(child), 0u);
  EXPECT_FALSE(terminateProcessById(0));  // no process to open
}

}  // namespace
}  // namespace lectavo::deploy
