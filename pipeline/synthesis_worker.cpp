#include "pipeline/synthesis_worker.h"

#include <windows.h>

#include <algorithm>

#include "audio/wav_image.h"
#include "pipeline/ideograph.h"
#include "pipeline/piece_cutter.h"
#include "pipeline/save_spool.h"
#include "pipeline/waits.h"
#include "pipeline/workers.h"
#include "speech/sdk_binding.h"
#include "speech/session.h"

namespace lectavo {
namespace {

constexpr unsigned kPollMs = 1000;
constexpr std::size_t kQueueLimit = 10;
// The service's time-out as configured at initialisation ("timeout=10000").
constexpr ULONGLONG kServiceTimeoutMs = 10000;
constexpr unsigned kMaxFetchPauseMs = 8;

bool saving() { return saveTag() == " "; }
bool readingWanted() {
  const Text tag = readingTag();
  return tag == "N" || tag == "Y";
}

void clearAudioBuffer() {
  auto& s = sharedState();
  std::lock_guard<std::mutex> hold(s.audioBufferLock);
  s.audioBuffer.clear();
}

bool collectedNothing() {
  auto& s = sharedState();
  std::lock_guard<std::mutex> hold(s.audioBufferLock);
  return s.audioBuffer.empty() && saveSpool().empty();
}

// During a Save the PCM goes to disk after each piece, so memory stays flat whatever the text's length.
void spoolAudioBuffer() {
  auto& s = sharedState();
  std::lock_guard<std::mutex> hold(s.audioBufferLock);
  saveSpool().append(s.audioBuffer.data(), s.audioBuffer.size());
  s.audioBuffer.clear();
}

// Puts the piece to the service and collects its PCM (flushPiece steps 1 and 2).
void synthesise(const Text& piece) {
  sdk::textPut(currentSessionId().c_str(), piece.c_str(), static_cast<unsigned>(piece.size()), "");
  fetchAudio();
}

// flushPiece step 3: queue the piece for playback.
void queuePiece(const Text& piece) {
  auto& s = sharedState();
  Bytes image;
  {
    std::lock_guard<std::mutex> hold(s.audioBufferLock);
    image = wrapWav(s.audioBuffer);
  }
  s.queues.append(std::move(image), piece);
}

}  // namespace

SaveSpool& saveSpool() {
  static SaveSpool spool;
  return spool;
}

void fetchAudio() {
  int status = 0;
  ULONGLONG lastAudio = GetTickCount64();
  // The library already waits a little for audio on each call; the extra pause only keeps a library that
  // answers at once from spinning, so it stays short: every millisecond here is added to each piece.
  unsigned pause = 1;
  const Text sid = currentSessionId();
  while (status != 2) {
    unsigned length = 0;
    int error = 0;
    const void* audio = sdk::audioGet(sid.c_str(), &length, &status, &error);
    if (audio != nullptr && length != 0) {
      const auto* bytes = static_cast<const std::uint8_t*>(audio);
      {
        auto& s = sharedState();
        std::lock_guard<std::mutex> hold(s.audioBufferLock);
        s.audioBuffer.insert(s.audioBuffer.end(), bytes, bytes + length);
      }
      processEvents();
      lastAudio = GetTickCount64();
      pause = 1;
      continue;
    }
    if (status == 2) break;
    if (GetTickCount64() - lastAudio >= kServiceTimeoutMs) break;  // the service went quiet
    waitPumping(pause);
    processEvents();
    pause = std::min(pause * 2, kMaxFetchPauseMs);
  }
}

void flushPiece(const Text& piece) {
  synthesise(piece);
  if (!saving()) {
    queuePiece(piece);
  } else {
    spoolAudioBuffer();
  }
}

void readingRun() {
  openSession();
  const Text text = readText(Control::编辑框1, Prop::text);
  if (text.empty()) {
    // Nothing to read. A Save of nothing writes nothing and gives Play back.
    if (saving()) {
      clearAudioBuffer();
      saveSpool().reset();
      setSaveTag("");
      writeBool(Control::按钮1, Prop::disabled, false);
    }
    return;
  }
  if (saving()) saveSpool().reset();  // a Save from the start collects the whole text

  PieceCutter cutter(text, isIdeograph);
  bool takenOverBySave = false;
  while (!cutter.atEnd()) {
    const bool savingNow = saving();
    if (!savingNow) clearAudioBuffer();
    if (auto piece = cutter.step()) flushPiece(*piece);
    if (saving()) {
      if (saveSpool().full() || saveSpool().writeFailed()) break;  // no WAV can hold more
      continue;
    }
    while (pauseTag() == " " && !saving()) {
      waitPumpingOrStateChange(kPollMs);
      processEvents();
    }
    if (saving()) {
      takenOverBySave = true;  // the next run saves the whole text
      break;
    }
    if (!readingWanted()) break;
    if (sharedState().queues.count() > kQueueLimit) {
      waitPumpingOrStateChange(kPollMs);
      processEvents();
    }
  }

  const bool savingAtEnd = saving();
  if (savingAtEnd && takenOverBySave && collectedNothing()) return;
  if (!readingWanted()) return;  // text edited or voice changed: a Save then starts over
  if (!savingAtEnd) clearAudioBuffer();
  const Text rest = cutter.takePending();
  if (!rest.empty() && !(savingAtEnd && saveSpool().full())) {
    synthesise(rest);
    if (savingAtEnd) {
      spoolAudioBuffer();
    } else {
      queuePiece(rest);
      return;
    }
  }
  if (savingAtEnd) saveAudioFile();
}

void synthesisWorkerMain() {
  for (;;) {
    if (readingTag() == "N" || saving()) {
      readingRun();
      setReadingTag("Y");
      continue;
    }
    waitPumpingOrStateChange(kPollMs);
    processEvents();
  }
}

}  // namespace lectavo
