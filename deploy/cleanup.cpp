#include "deploy/cleanup.h"

#include <windows.h>
#include <shlwapi.h>

#include <stdexcept>
#include <vector>

#include "deploy/cleanup_text.h"
#include "deploy/working_folder.h"
#include "platform/cp936.h"
#include "platform/owner.h"

namespace lectavo {
namespace deploy {

namespace {

void runCloseSequence() {
  try {
    removeWorkingFolder(workingFolderPath(programFolder()));
  } catch (const std::exception&) {
    // A path that would not convert: the folder stays, the process still ends.
  }
  terminateProcessById(GetCurrentProcessId());
}

bool writeWholeFile(const Text& path, const Text& content) {
  platform::UniqueFile file(CreateFileW(widen936(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                   nullptr) &&
         written == content.size();
}

// Starts the batch hidden and waits for it without a time limit; false when it cannot be started.
bool runHiddenAndWait(const Text& batchPath, const Text& currentFolder) {
  std::wstring commandLine = widen936(batchCommandLine(batchPath));
  const std::wstring folder = widen936(currentFolder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info)) {
    return false;
  }
  platform::UniqueHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  return true;
}

}  // namespace

Text programFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const std::size_t slash = path.find_last_of(L"\\/");
      return narrow936(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
    }
    buffer.resize(buffer.size() * 2);  // cut short: try a larger buffer
  }
}

Text getTempFolder() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  DWORD n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n > buffer.size()) {  // too small: n is the size needed
    buffer.resize(n);
    n = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (n == 0 || n > buffer.size()) return {};
  return narrow936(std::wstring(buffer.data(), n));
}

bool isExistingFolder(const Text& path) {
  return PathIsDirectoryW(widen936(path).c_str()) == FILE_ATTRIBUTE_DIRECTORY;
}

Text makeTimeStampName() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const int milliseconds = now.wMilliseconds;
  GetLocalTime(&now);  // the date-time: a second reading, as the clock's two fields are independent
  const LocalDateTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return makeTimeStampName(secondsSinceStampBase(t), milliseconds);
}

bool terminateProcessById(std::uint32_t pid) {
  platform::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (!process) return false;
  return TerminateProcess(process.get(), 0) == 1;
}

void removeWorkingFolder(const Text& folder) {
  if (!checkDrivePath(folder, true)) return;
  const Text path = endsWithBackslash936(folder) ? folder : folder + "\\";
  if (!isExistingFolder(path)) return;
  const Text tempFolder = getTempFolder();
  if (tempFolder.empty()) return;  // nowhere to put the batch
  const Text name = batchFileName(makeTimeStampName());
  const Text batchPath = tempFolder + name;
  if (!writeWholeFile(batchPath, fillBatch(path, name))) return;
  runHiddenAndWait(batchPath, tempFolder);
}

}  // namespace deploy

CloseAnswer onCloseRequested() {
  deploy::runCloseSequence();
  return CloseAnswer::none;  // termination failed: let the window close; destroying runs it again
}

void onWindowDestroying() { deploy::runCloseSequence(); }

}  // namespace lectavo
