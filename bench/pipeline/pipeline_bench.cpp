// Reading pipeline benchmark under Wine: figures for the performance notes, not a test. Usage:
//   pipeline_bench latency ROUNDS          time from the reading tag to the first audio at the device
//   pipeline_bench save TEXTFILE OUTFILE   wall time and peak memory of a Save of a CP936 text file
//   pipeline_bench cpu idle|play SECONDS   CPU time of the process idle, or while a reading plays
// Needs LECTAVO_SERVICE_PORT (the service) and LECTAVO_SINK (the ALSA file sink), see bench/pipeline/run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/shared_state.h"
#include "pipeline/sound.h"
#include "pipeline/waits.h"
#include "pipeline/workers.h"
#include "platform/cp936.h"
#include "tests/win/pipeline/reading_driver.h"
#include "tests/win/pipeline/sink.h"
#include "tests/win/pipeline/test_service.h"
#include "bench/win_clock.h"

using namespace lectavo;

namespace {

using lectavo::bench::nowMs;

double cpuMs() {
  FILETIME c, e, k, u;
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
  auto ms = [](FILETIME f) { return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0; };
  return ms(k) + ms(u);
}

ULONGLONG sinkSize() {
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExA(test::sinkPath().c_str(), GetFileExInfoStandard, &d)) return 0;
  return (ULONGLONG(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

// Ends a reading the way editing the text does, and waits until the workers are idle again.
void abandonReading() {
  resetReadingTags();
  clearQueues();
  stopSound();
  test::pumpUntil([] { return sharedState().playingFlag.load() == 0 && readingTag() != "N"; }, 30000);
  setPauseFlag(1);
  test::waitUntilSilent(runningPlayers, 5000);
}

int latency(int rounds) {
  const Text text = readText(Control::编辑框1, Prop::text);  // the program's own sample text
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    writeText(Control::编辑框1, Prop::text, text);
    test::clearSink();
    const double t0 = nowMs();
    test::play();
    // The sink holds a 44-byte header from the device opening; samples follow it.
    const bool heard = test::pumpUntil([] { return sinkSize() > 44; }, 20000);
    const double t = nowMs() - t0;
    abandonReading();
    if (!heard) {
      std::fprintf(stderr, "round %d: no audio reached the device\n", i);
      return 1;
    }
    ms.push_back(t);
    std::printf("  round %d: %.1f ms\n", i, t);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("tag to first audio at the device: median %.1f ms, min %.1f, max %.1f (%d rounds, %zu-byte text)\n",
              ms[ms.size() / 2], ms.front(), ms.back(), rounds, text.size());
  return 0;
}

int save(const char* textFile, const char* outFile) {
  const auto bytes = test::readWholeFile(widen936(textFile));
  if (bytes.empty()) {
    std::fprintf(stderr, "cannot read %s\n", textFile);
    return 1;
  }
  writeText(Control::编辑框1, Prop::text, Text(bytes.begin(), bytes.end()));
  PROCESS_MEMORY_COUNTERS before{};
  GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
  const std::wstring out = widen936(outFile);
  DeleteFileW(out.c_str());
  const double t0 = nowMs();
  {
    test::SaveDialogAnswer answer(out, 3600 * 1000);
    test::save();
    ULONGLONG lastReport = GetTickCount64();
    if (!test::pumpUntil(test::saveEnded, 3600 * 1000, [&] {
          if (std::getenv("LECTAVO_BENCH_TRACE") && GetTickCount64() - lastReport > 3000) {
            lastReport = GetTickCount64();
            std::fprintf(stderr, "  reading tag '%s' save tag '%s' answered %d\n", readingTag().c_str(), saveTag().c_str(),
                         int(answer.answered()));
          }
        })) {
      std::fprintf(stderr, "the Save did not end\n");
      return 1;
    }
  }
  const double wall = nowMs() - t0;
  PROCESS_MEMORY_COUNTERS after{};
  GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
  WIN32_FILE_ATTRIBUTE_DATA d{};
  GetFileAttributesExW(out.c_str(), GetFileExInfoStandard, &d);
  const double audioSeconds = double(((ULONGLONG(d.nFileSizeHigh) << 32) | d.nFileSizeLow) - 44) / 32000.0;
  std::printf("save: %zu text bytes, %.1f s of audio, wall %.0f ms\n", bytes.size(), audioSeconds, wall);
  std::printf("  memory: working set before %.1f MiB, peak %.1f MiB; private before %.1f MiB, peak %.1f MiB\n",
              before.WorkingSetSize / 1048576.0, after.PeakWorkingSetSize / 1048576.0,
              before.PagefileUsage / 1048576.0, after.PeakPagefileUsage / 1048576.0);
  return 0;
}

int cpu(bool playing, int seconds) {
  if (playing) {
    // A text long enough to keep playing for the whole measurement.
    Text text;
    const Text sample = readText(Control::编辑框1, Prop::text);
    while (text.size() < 20000) text += sample + "\r\n";
    writeText(Control::编辑框1, Prop::text, text);
    test::play();
    test::pumpUntil([] { return runningPlayers() > 0; }, 20000);
  }
  const double c0 = cpuMs(), t0 = nowMs();
  waitPumping(static_cast<unsigned>(seconds) * 1000);  // the window thread waits as the program's does
  const double used = cpuMs() - c0, wall = nowMs() - t0;
  std::printf("cpu %s: %.0f ms of CPU over %.0f ms (%.2f %%)%s\n", playing ? "playing" : "idle", used, wall,
              100.0 * used / wall, playing && readingTag() != "N" && sharedState().queues.count() == 0 &&
                                           runningPlayers() == 0 ? " (the reading ended early)" : "");
  if (playing) abandonReading();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pipeline_bench latency N | save TEXT OUT | cpu idle|play SECONDS\n");
    return 2;
  }
  loadMainWindow(EventHandlers{});
  writeBool(Control::mainWindow, Prop::visible, true);
  if (!test::initialiseTestService()) {
    std::fprintf(stderr, "the SDK could not reach the service\n");
    return 1;
  }
  startWorkers();
  test::pumpUntil([] { return false; }, 300);
  const std::string mode = argv[1];
  int rc = 2;
  if (mode == "latency") rc = latency(std::max(1, std::atoi(argv[2])));
  if (mode == "save" && argc > 3) rc = save(argv[2], argv[3]);
  if (mode == "cpu" && argc > 3) rc = cpu(std::string(argv[2]) == "play", std::max(1, std::atoi(argv[3])));
  std::fflush(stdout);
  // The workers never end; the process does.
  ExitProcess(static_cast<UINT>(rc));
}
