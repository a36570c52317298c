#include "pipeline/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "pipeline/wav_chunks.h"
#include "platform/owner.h"

namespace lectavo {
namespace {

constexpr DWORD kNoProgressEndMs = 8888;
constexpr DWORD kReopenIntervalMs = 250;
constexpr std::size_t kBufferCount = 4;
constexpr std::size_t kBufferBytes = 16384;  // about half a second at 16 kHz, 16-bit mono

struct WaveOutTraits {
  using Value = HWAVEOUT;
  static Value none() { return nullptr; }
  static void release(Value v) {
    waveOutReset(v);
    waveOutClose(v);
  }
};
using UniqueWaveOut = platform::Owner<WaveOutTraits>;

// One sound: its own copy of the samples and format, and the signal that tells it to stop.
struct Player {
  std::vector<std::uint8_t> format;  // WAVEFORMATEX-compatible, cbSize filled in
  std::vector<std::uint8_t> samples;
  platform::UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  platform::UniqueHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

std::mutex playersLock;
std::list<std::shared_ptr<Player>> players;

bool stopRequested(const Player& p, DWORD waitMs) {
  return WaitForSingleObject(p.stop.get(), waitMs) == WAIT_OBJECT_0;
}

// Opens the default device, retrying while it is missing or busy; null when stopped or given up.
UniqueWaveOut openDevice(Player& p) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    HWAVEOUT h = nullptr;
    const MMRESULT r = waveOutOpen(&h, WAVE_MAPPER, reinterpret_cast<const WAVEFORMATEX*>(p.format.data()),
                                   reinterpret_cast<DWORD_PTR>(p.done.get()), 0, CALLBACK_EVENT);
    if (r == MMSYSERR_NOERROR) return UniqueWaveOut(h);
    if (r == WAVERR_BADFORMAT) return {};  // no device will ever take it
    if (GetTickCount64() - start >= kNoProgressEndMs || stopRequested(p, kReopenIntervalMs)) return {};
  }
}

void stream(Player& p) {
  UniqueWaveOut device = openDevice(p);
  if (!device) return;
  std::vector<WAVEHDR> headers(kBufferCount);
  std::size_t next = 0;  // first sample byte not yet handed to the device
  // Headers are unprepared on every way out, after the device has been reset.
  platform::ScopeExit unprepare([&] {
    waveOutReset(device.get());
    for (auto& h : headers) {
      if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device.get(), &h, sizeof h);
    }
  });
  auto submit = [&](WAVEHDR& h) {
    if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device.get(), &h, sizeof h);
    h = WAVEHDR{};
    if (next >= p.samples.size()) return false;
    const std::size_t n = std::min(kBufferBytes, p.samples.size() - next);
    h.lpData = reinterpret_cast<LPSTR>(p.samples.data() + next);
    h.dwBufferLength = static_cast<DWORD>(n);
    if (waveOutPrepareHeader(device.get(), &h, sizeof h) != MMSYSERR_NOERROR) return false;
    if (waveOutWrite(device.get(), &h, sizeof h) != MMSYSERR_NOERROR) return false;
    next += n;
    return true;
  };
  for (auto& h : headers) submit(h);

  ULONGLONG lastProgress = GetTickCount64();
  const HANDLE waits[] = {p.stop.get(), p.done.get()};
  for (;;) {
    bool pending = false, progressed = false;
    for (auto& h : headers) {
      if (!(h.dwFlags & WHDR_PREPARED)) continue;
      if (h.dwFlags & WHDR_DONE) {
        progressed = true;
        pending |= submit(h);
      } else {
        pending = true;
      }
    }
    if (!pending) return;  // everything played
    const ULONGLONG now = GetTickCount64();
    if (progressed) lastProgress = now;
    if (now - lastProgress >= kNoProgressEndMs) return;
    const DWORD left = static_cast<DWORD>(kNoProgressEndMs - (now - lastProgress));
    if (WaitForMultipleObjects(2, waits, FALSE, left) == WAIT_OBJECT_0) return;  // stopSound
  }
}

void playerMain(std::shared_ptr<Player> p) {
  try {
    stream(*p);
  } catch (...) {
    // A player that fails just ends; nothing waits for its result.
  }
  std::lock_guard<std::mutex> hold(playersLock);
  players.remove(p);
}

}  // namespace

bool playWav(const Bytes& image) {
  const auto chunks = findWavChunks(image);
  if (!chunks) return false;
  auto p = std::make_shared<Player>();
  if (!p->stop || !p->done) return false;
  // The format block as WAVEFORMATEX: a 16-byte PCM block gets a zero cbSize.
  p->format.assign(std::max<std::size_t>(chunks->formatSize, sizeof(WAVEFORMATEX)), 0);
  std::memcpy(p->format.data(), image.data() + chunks->formatOffset, chunks->formatSize);
  if (chunks->formatSize < sizeof(WAVEFORMATEX)) reinterpret_cast<WAVEFORMATEX*>(p->format.data())->cbSize = 0;
  p->samples.assign(image.begin() + chunks->dataOffset, image.begin() + chunks->dataOffset + chunks->dataSize);
  {
    std::lock_guard<std::mutex> hold(playersLock);
    players.push_back(p);
  }
  try {
    std::thread(playerMain, p).detach();
  } catch (...) {
    std::lock_guard<std::mutex> hold(playersLock);
    players.remove(p);
    return false;
  }
  return true;
}

void stopSound() {
  std::lock_guard<std::mutex> hold(playersLock);
  for (const auto& p : players) SetEvent(p->stop.get());
}

std::size_t runningPlayers() {
  std::lock_guard<std::mutex> hold(playersLock);
  return players.size();
}

}  // namespace lectavo
