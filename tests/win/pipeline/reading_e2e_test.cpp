// A whole reading and a whole Save through the real window layer, the workers, msc.dll and the speech
// service, with waveOut landing in the test's ALSA file sink. The test sets the tags as the commands do.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "app/shared_state.h"
#include "app/window/main_window.h"
#include "audio/wav_image.h"
#include "pipeline/ideograph.h"
#include "pipeline/piece_cutter.h"
#include "pipeline/piece_search.h"
#include "pipeline/sound.h"
#include "pipeline/workers.h"
#include "platform/cp936.h"
#include "speech/sdk_binding.h"
#include "speech/session.h"
#include "tests/win/pipeline/reading_driver.h"
#include "tests/win/pipeline/sink.h"
#include "tests/win/pipeline/test_service.h"

namespace lectavo {
namespace {

using test::play;
using test::pumpUntil;
using test::save;

// Two pieces: the poem flushes at its last full stop (96 bytes), the line break starts the second.
const Text kPoem = "春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。床前明月光，疑是地上霜。举头望明月，低头思故乡。"
                   "\r\n白日依山尽，黄河入海流。";

HWND box() { return win::currentWindow()->control(Control::编辑框1); }

// The text box's selection in bytes of its CP936 text.
std::pair<std::size_t, std::size_t> selectionBytes(const Text& text) {
  DWORD start = 0, end = 0;
  SendMessageW(box(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::size_t b = bytePosOfUtf16(text, start);
  return {b, bytePosOfUtf16(text, end) - b};
}

// What the service makes of one piece, fetched directly in a session of the same voice and speed.
Bytes servicePcm(const Text& piece) {
  openSession();
  const Text sid = currentSessionId();
  sdk::textPut(sid.c_str(), piece.c_str(), static_cast<unsigned>(piece.size()), "");
  Bytes pcm;
  int status = 0;
  const ULONGLONG end = GetTickCount64() + 20000;
  while (status != 2 && GetTickCount64() < end) {
    unsigned len = 0;
    int err = 0;
    const void* audio = sdk::audioGet(sid.c_str(), &len, &status, &err);
    if (audio != nullptr && len != 0) {
      const auto* p = static_cast<const std::uint8_t*>(audio);
      pcm.insert(pcm.end(), p, p + len);
    } else if (status != 2) {
      Sleep(5);
    }
  }
  return pcm;
}

class Reading : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    loadMainWindow(EventHandlers{});
    writeBool(Control::mainWindow, Prop::visible, true);
    writeText(Control::编辑框2, Prop::text, "100");  // short sounds keep the test short
    ASSERT_TRUE(test::initialiseTestService()) << "the SDK could not reach the test service";
    startWorkers();
    startWorkers();  // a second start creates no second pair of workers
  }

  void SetUp() override {
    ASSERT_NE(win::currentWindow(), nullptr);
    test::clearSink();
  }

};

TEST_F(Reading, PiecesPlayInOrderEachHighlightedAndThePlayButtonComesBack) {
  writeText(Control::编辑框1, Prop::text, kPoem);
  const auto pieces = cutPieces(kPoem, isIdeograph);
  ASSERT_EQ(pieces.size(), 2u);

  std::vector<std::pair<std::size_t, std::size_t>> seen;
  play();
  const bool ended = pumpUntil(test::readingEnded, 30000, [&] {
        const auto sel = selectionBytes(kPoem);
        if (sel.second != 0 && (seen.empty() || seen.back() != sel)) seen.push_back(sel);
      });
  ASSERT_TRUE(ended) << "the reading did not end with the Play caption";
  EXPECT_EQ(readingTag(), "Y");
  EXPECT_EQ(sharedState().queues.count(), 0u);

  std::vector<std::pair<std::size_t, std::size_t>> expected;
  for (const auto& p : pieces) expected.emplace_back(*findAtCharBoundary(kPoem, p), p.size());
  EXPECT_EQ(seen, expected);

  ASSERT_TRUE(test::waitUntilSilent(runningPlayers, 10000));
  const auto segments = test::readSink();
  ASSERT_EQ(segments.size(), pieces.size()) << "one device opening per piece";
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    SCOPED_TRACE(k);
    const Bytes reference = servicePcm(pieces[k]);
    ASSERT_FALSE(reference.empty());
    EXPECT_EQ(segments[k].rate, 16000u);
    EXPECT_EQ(segments[k].samples.size(), reference.size());
    EXPECT_TRUE(segments[k].samples == reference);
  }
}

TEST_F(Reading, StopThenPlayReplaysTheInterruptedPieceThenGoesOn) {
  writeText(Control::编辑框1, Prop::text, kPoem);
  const auto pieces = cutPieces(kPoem, isIdeograph);
  ASSERT_EQ(pieces.size(), 2u);
  play();
  ASSERT_TRUE(pumpUntil([] { return sharedState().playingFlag.load() == 1; }, 20000));
  // Stop, as the Play/Stop button does while the first piece sounds.
  setPauseTag(" ");
  stopSound();
  setPauseFlag(1);
  ASSERT_TRUE(pumpUntil([] { return sharedState().playingFlag.load() == 0; }, 20000));
  pumpUntil([] { return false; }, 300);
  EXPECT_EQ(sharedState().queues.count(), 1u) << "the second piece waits while stopped";
  // Play again.
  writeText(Control::按钮1, Prop::caption, "停 止");
  setPauseFlag(0);
  ASSERT_TRUE(pumpUntil(test::readingEnded, 30000));
  ASSERT_TRUE(test::waitUntilSilent(runningPlayers, 10000));

  const Bytes first = servicePcm(pieces[0]), second = servicePcm(pieces[1]);
  const auto segments = test::readSink();
  ASSERT_EQ(segments.size(), 3u) << "the first piece, its replay, the second piece";
  EXPECT_LE(segments[0].samples.size(), first.size());
  EXPECT_TRUE(std::equal(segments[0].samples.begin(), segments[0].samples.end(), first.begin()));
  EXPECT_TRUE(segments[1].samples == first);
  EXPECT_TRUE(segments[2].samples == second);
}

TEST_F(Reading, SaveWritesOneWavOfAllPiecesInOrder) {
  struct Case { const char* name; Text text; };
  // The short text flushes no piece before its end: it must still end in the dialog.
  const Case cases[] = {{"two pieces", kPoem}, {"short text", "你好，世界。"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeText(Control::编辑框1, Prop::text, c.text);
    Bytes expected;
    for (const auto& p : cutPieces(c.text, isIdeograph)) {
      const Bytes pcm = servicePcm(p);
      ASSERT_FALSE(pcm.empty());
      expected.insert(expected.end(), pcm.begin(), pcm.end());
    }
    // Typed without extension: the dialog adds ".wav".
    const std::wstring base = test::tempPath(L"lectavo-save-e2e");
    DeleteFileW((base + L".wav").c_str());
    {
      test::SaveDialogAnswer answer(base);
      save();
      ASSERT_TRUE(pumpUntil(test::saveEnded, 60000)) << "the Save did not end";
      EXPECT_TRUE(answer.answered());
      EXPECT_NE(answer.fileTypes().find(L"*.wav"), std::wstring::npos) << "offered: " << narrow936(answer.fileTypes());
    }
    const Bytes file = test::readWholeFile(base + L".wav");
    EXPECT_EQ(file.size(), 44 + expected.size());
    EXPECT_TRUE(file == wrapWav(expected));
    EXPECT_TRUE(readText(Control::按钮3, Prop::tag).empty());
    EXPECT_EQ(sharedState().queues.count(), 0u) << "a Save queues nothing for playback";
    DeleteFileW((base + L".wav").c_str());
  }
}

TEST_F(Reading, AFailedWriteIsToldAndKeepsTheOldFile) {
  writeText(Control::编辑框1, Prop::text, "你好。");
  // Another program holds the chosen file open without letting it be replaced.
  const std::wstring path = test::tempPath(L"lectavo-held.wav");
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(held, "old", 3, &written, nullptr);
  {
    test::SaveDialogAnswer answer(path);
    save();
    ASSERT_TRUE(pumpUntil(test::saveEnded, 30000)) << "the Save did not end";
    ASSERT_TRUE(pumpUntil([&] { return !answer.message().empty(); }, 5000)) << "no message about the failed write";
    EXPECT_NE(answer.message().find(L"lectavo-held.wav"), std::wstring::npos) << narrow936(answer.message());
  }
  CloseHandle(held);
  const Bytes kept = test::readWholeFile(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "old");
  EXPECT_EQ(GetFileAttributesW((path + L".part").c_str()), INVALID_FILE_ATTRIBUTES) << "partial file left behind";
  DeleteFileW(path.c_str());
}

TEST_F(Reading, EmptyTextEndsASaveAtOnceAndLeavesTheWorkersQuiet) {
  writeText(Control::编辑框1, Prop::text, "");
  save();
  ASSERT_TRUE(pumpUntil([] { return saveTag().empty() && readingTag() != "N"; }, 5000));
  EXPECT_EQ(test::findDialog(L"另存为"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(win::currentWindow()->control(Control::按钮1)));

  // With the text box empty, neither worker may keep a processor busy; the playback worker, out of its
  // hold, abandons the reading and polls.
  setPauseFlag(0);
  ASSERT_TRUE(pumpUntil([] { return readingTag().empty(); }, 3000));
  FILETIME c, e, k0, u0, k1, u1;
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k0, &u0);
  const ULONGLONG start = GetTickCount64();
  pumpUntil([] { return false; }, 2000);
  GetProcessTimes(GetCurrentProcess(), &c, &e, &k1, &u1);
  auto ms = [](FILETIME a) { return ((ULONGLONG(a.dwHighDateTime) << 32) | a.dwLowDateTime) / 10000; };
  const ULONGLONG cpu = ms(k1) + ms(u1) - ms(k0) - ms(u0);
  EXPECT_LT(cpu, (GetTickCount64() - start) / 5) << "busy while idle: " << cpu << " ms of CPU";
}

}  // namespace
}  // namespace lectavo
