#include "pipeline/workers.h"

#include <windows.h>

#include <exception>
#include <string>

#include "platform/error.h"
#include "platform/owner.h"

namespace lectavo {
namespace {

// Held for the rest of the run: the workers are never joined or stopped, and end with the process.
platform::UniqueHandle playbackThread;
platform::UniqueHandle synthesisThread;

template <void (*Body)()>
DWORD WINAPI workerEntry(void*) {
  try {
    Body();
  } catch (const std::exception& e) {
    platform::fatalError(std::string("reading worker: ") + e.what());
  } catch (...) {
    platform::fatalError("reading worker: unknown failure");
  }
  return 0;
}

template <void (*Body)()>
void startOnce(platform::UniqueHandle& thread) {
  if (thread) return;
  thread.reset(CreateThread(nullptr, 0, workerEntry<Body>, nullptr, 0, nullptr));
  if (!thread) platform::fatalError("CreateThread for a reading worker failed with code " +
                                    std::to_string(GetLastError()));
}

}  // namespace

void startWorkers() {
  startOnce<playbackWorkerMain>(playbackThread);
  startOnce<synthesisWorkerMain>(synthesisThread);
}

}  // namespace lectavo
