// The whole cycle from the user's side, on the real lectavo.exe with the real speech service (on the
// program's own ports) and the ALSA file sink: reading, Stop and resume, edits, voice, speed, Save,
// Browse and closing. One program run; the steps build on each other and run in order.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "ui.h"

namespace lectavo::ui {

extern std::wstring screenshotPath;

namespace {

HWND box1() { return child(1001); }
HWND box2() { return child(1002); }
HWND voices() { return child(1003); }
HWND playStop() { return child(1007); }
HWND browse() { return child(1008); }
HWND save() { return child(1009); }
Text caption() { return windowText936(playStop()); }
bool enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}
std::size_t sinkSize() { return readUnixFile(env("LECTAVO_SINK")).size(); }
std::string serviceLog() { return readUnixFile(env("LECTAVO_SERVICE_LOG")); }
std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Waits for the selection of 编辑框1 to move to a new piece; the new one, or {0,0} on time-out.
std::pair<DWORD, DWORD> nextPiece(std::pair<DWORD, DWORD> after, int ms) {
  std::pair<DWORD, DWORD> now{0, 0};
  waitFor(ms, [&] {
    now = selectionOf(box1());
    return now != after && now.second > now.first;
  });
  return now != after ? now : std::pair<DWORD, DWORD>{0, 0};
}

std::pair<DWORD, DWORD> stoppedAt;

// A click on Stop while a piece plays.
void stopWhileAPiecePlays() {
  auto piece = nextPiece(selectionOf(box1()), 20000);
  ASSERT_GT(piece.second, piece.first) << "no piece playing";
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "播 放"; }));
  EXPECT_TRUE(waitFor(30000, [] { return enabled(playStop()) && enabled(save()); }));
}

TEST(Cycle, StartsWithTheFirstVoiceAndTheWorkingFolderHidden) {
  DWORD attributes = GetFileAttributesW(workingFolder().c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(windowText936(voices()), "一萍");
  DWORD_PTR item = 99;
  SendMessageTimeoutW(voices(), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &item);
  EXPECT_EQ(item, 0u);
  EXPECT_EQ(caption(), "播 放");
}

TEST(Cycle, SpeedOutOfRangeBecomesFiftyInRangeStays) {
  SendMessageTimeoutW(box2(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"150"), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  EXPECT_TRUE(waitFor(5000, [] { return windowText936(box2()) == "50"; }));
  // The fastest speed keeps the readings below short.
  SendMessageTimeoutW(box2(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"100"), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  Sleep(500);
  EXPECT_EQ(windowText936(box2()), "100");
}

TEST(Cycle, PlayHighlightsThePiecesInOrderWithSound) {
  std::size_t sinkBefore = sinkSize();
  std::size_t requestsBefore = count(serviceLog(), "POST /tts");
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "停 止"; }));
  auto first = nextPiece({0, 0}, 20000);
  ASSERT_GT(first.second, first.first) << "no piece highlighted";
  EXPECT_EQ(first.first, 0u) << "reading starts at the text's start";
  auto second = nextPiece(first, 20000);
  ASSERT_GT(second.second, second.first);
  EXPECT_EQ(second.first, first.second) << "the next piece follows the first";
  EXPECT_GT(sinkSize(), sinkBefore) << "nothing reached the sound device";
  EXPECT_TRUE(saveScreenshot(program().window, screenshotPath));  // a reading in progress
  EXPECT_GT(count(serviceLog(), "POST /tts"), requestsBefore);
  EXPECT_EQ(focusedWindow(), box1()) << "the text box keeps the focus while reading";
}

TEST(Cycle, StopSilencesAndHoldsPlayStopUntilThePieceTimeEnds) {
  auto piece = nextPiece(selectionOf(box1()), 20000);  // stop right after a piece started
  ASSERT_GT(piece.second, piece.first);
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "播 放"; }));
  stoppedAt = selectionOf(box1());
  EXPECT_TRUE(waitFor(1000, [] { return !enabled(playStop()); })) << "按钮1 not held";
  std::size_t sink = sinkSize();
  EXPECT_TRUE(waitFor(30000, [] { return enabled(playStop()) && enabled(save()); }));
  Sleep(1500);
  EXPECT_EQ(sinkSize(), sink) << "sound after Stop";
  EXPECT_EQ(selectionOf(box1()), stoppedAt) << "the reading went on";
  EXPECT_EQ(caption(), "播 放");
}

TEST(Cycle, PlayAgainReplaysTheInterruptedPieceThenGoesOn) {
  std::size_t sink = sinkSize();
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "停 止"; }));
  EXPECT_TRUE(waitFor(5000, [&] { return sinkSize() > sink; })) << "the interrupted piece is not replayed";
  EXPECT_EQ(selectionOf(box1()), stoppedAt);
  auto next = nextPiece(stoppedAt, 20000);
  EXPECT_EQ(next.first, stoppedAt.second) << "then the rest";
}

TEST(Cycle, AnEditOfTheTextStopsTheReading) {
  ASSERT_EQ(caption(), "停 止");
  ASSERT_EQ(focusedWindow(), box1());
  pressKey(VK_END);
  typeText(L"好");
  EXPECT_TRUE(waitFor(15000, [] { return caption() == "播 放"; }));
  EXPECT_TRUE(waitFor(30000, [] { return enabled(playStop()); }));
  std::size_t sink = sinkSize();
  auto sel = selectionOf(box1());
  Sleep(2500);
  EXPECT_EQ(sinkSize(), sink);
  EXPECT_EQ(selectionOf(box1()), sel);
}

TEST(Cycle, AVoiceChangeClearsAndTheNextReadingUsesTheNewVoice) {
  clickCentre(voices());  // opens the list
  pressKey(VK_DOWN);
  pressKey(VK_RETURN);
  EXPECT_TRUE(waitFor(5000, [] { return windowText936(voices()) == "小媛"; }));
  EXPECT_EQ(caption(), "播 放") << "the caption is left as it was";
  std::size_t before = count(serviceLog(), "voice=x_xiaoyuan");
  SendMessageTimeoutW(box1(), EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "停 止"; }));
  auto first = nextPiece({0, 0}, 20000);
  EXPECT_EQ(first.first, 0u) << "a new reading from the start, not a resume";
  EXPECT_TRUE(waitFor(10000, [&] { return count(serviceLog(), "voice=x_xiaoyuan") > before; }));
  stopWhileAPiecePlays();
}

TEST(Cycle, PlayOnAnEmptyBoxShowsStopForAboutASecond) {
  SendMessageTimeoutW(box1(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, 5000, nullptr);
  std::size_t requests = count(serviceLog(), "POST /tts");
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(500, [] { return caption() == "停 止"; }));
  ULONGLONG shown = GetTickCount64();
  ASSERT_TRUE(waitFor(3000, [] { return caption() == "播 放"; }));
  ULONGLONG lasted = GetTickCount64() - shown;
  EXPECT_GT(lasted, 700u);
  EXPECT_LT(lasted, 2000u);
  Sleep(1500);
  EXPECT_EQ(count(serviceLog(), "POST /tts"), requests);
}

HWND waitForDialog(const wchar_t* title, int ms) {
  HWND h = nullptr;
  waitFor(ms, [&] { return (h = findProgramDialog(title)) != nullptr; });
  return h;
}

TEST(Cycle, SaveAnsweredNoChangesNothing) {
  SendMessageTimeoutW(box1(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"今天天气很好，我们去公园散步。"),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  std::size_t requests = count(serviceLog(), "POST /tts");
  PostMessageW(save(), BM_CLICK, 0, 0);
  HWND box = waitForDialog(L"转换时请不要进行其他操作", 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(windowText936(GetDlgItem(box, 0xFFFF)), "是否需要文本转语音");
  PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
  ASSERT_TRUE(waitFor(3000, [] { return findProgramDialog(L"转换时请不要进行其他操作") == nullptr; }));
  Sleep(1500);
  EXPECT_EQ(findProgramDialog(L"另存为"), nullptr);
  EXPECT_TRUE(enabled(playStop()));
  EXPECT_EQ(count(serviceLog(), "POST /tts"), requests);
}

TEST(Cycle, SaveAnsweredYesWritesAWavWithSpeech) {
  std::string out = env("LECTAVO_SCRATCH") + "/saved-speech.wav";
  DeleteFileW(windowsPathOf(out).c_str());
  PostMessageW(save(), BM_CLICK, 0, 0);
  HWND box = waitForDialog(L"转换时请不要进行其他操作", 5000);
  ASSERT_NE(box, nullptr);
  PostMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
  EXPECT_TRUE(waitFor(3000, [] { return !enabled(playStop()); }));
  HWND dialog = waitForDialog(L"另存为", 20000);
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  std::wstring path = windowsPathOf(out);
  SendMessageTimeoutW(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitFor(30000, [] { return enabled(playStop()); })) << "Save did not end";
  std::string wav = readUnixFile(out);
  ASSERT_GT(wav.size(), 44u + 16000u) << "less than half a second of speech";
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 4), "WAVE");
  int loud = 0;
  for (std::size_t i = 44; i + 1 < wav.size(); i += 2) {
    auto s = static_cast<short>(static_cast<unsigned char>(wav[i]) | (static_cast<unsigned char>(wav[i + 1]) << 8));
    if (s > 2000 || s < -2000) ++loud;
  }
  EXPECT_GT(loud, 1000) << "the file holds silence";
}

TEST(Cycle, BrowseLoadsATextFile) {
  // The same text in GBK and in UTF-8 behind a byte-order mark: both load as the same CP936 text.
  const std::string gbk = readUnixFile(env("LECTAVO_FIXTURES") + "/gbk.txt");
  ASSERT_FALSE(gbk.empty());
  for (const char* file : {"utf8-mark.txt", "gbk.txt"}) {
    SendMessageTimeoutW(box1(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    PostMessageW(browse(), BM_CLICK, 0, 0);
    HWND dialog = waitForDialog(L"打开", 10000);
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    std::wstring p = windowsPathOf(env("LECTAVO_FIXTURES") + "/" + file);
    SendMessageTimeoutW(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitFor(5000, [] { return findProgramDialog(L"打开") == nullptr; }));
    EXPECT_TRUE(waitFor(3000, [&] { return windowText936(box1()) == gbk; })) << file;
  }
}

// Real Chinese text from outside the project: Debian's fortunes-zh (UTF-8, no byte-order mark).
TEST(Cycle, ARealChineseTextLoadsAndIsRead) {
  const std::string file = "/usr/share/games/fortunes/song100";
  std::string utf8 = readUnixFile(file);
  ASSERT_FALSE(utf8.empty()) << file;
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n > 0 ? static_cast<int>(utf8.size()) : 0, wide.data(), n);
  auto withoutCr = [](Text t) {
    t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
    return t;
  };
  // What code page 936 cannot hold becomes one "?" a character (the platform alone would give one for
  // each half of a surrogate pair).
  std::wstring folded;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                wide[i + 1] <= 0xDFFF;
    folded.push_back(pair ? L'?' : wide[i]);
    if (pair) ++i;
  }
  const Text expected = withoutCr(narrow936(folded));

  PostMessageW(browse(), BM_CLICK, 0, 0);
  HWND dialog = waitForDialog(L"打开", 10000);
  ASSERT_NE(dialog, nullptr);
  std::wstring p = windowsPathOf(file);
  SendMessageTimeoutW(GetDlgItem(dialog, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p.c_str()),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(waitFor(5000, [&] { return withoutCr(windowText936(box1())) == expected; }))
      << [&] {
           Text got = withoutCr(windowText936(box1()));
           std::size_t i = 0;
           while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
           return "loaded text differs at byte " + std::to_string(i) + " of " + std::to_string(expected.size()) +
                  " (shown " + std::to_string(got.size()) + "): " + got.substr(i, 16) + " vs " + expected.substr(i, 16);
         }();

  std::size_t sink = sinkSize();
  SendMessageTimeoutW(box1(), EM_SETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  clickCentre(playStop());
  ASSERT_TRUE(waitFor(2000, [] { return caption() == "停 止"; }));
  auto first = nextPiece({0, 0}, 20000);
  EXPECT_EQ(first.first, 0u);
  EXPECT_GT(first.second, 0u);
  EXPECT_TRUE(waitFor(10000, [&] { return sinkSize() > sink; }));
  stopWhileAPiecePlays();
}

TEST(Closing, CloseRemovesTheWorkingFolderAndEndsWithZero) {
  const std::wstring folder = workingFolder();
  EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "no working folder to remove";
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  auto batches = [&] {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((std::wstring(temp) + L"*.bat").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
      do names.insert(fd.cFileName); while (FindNextFileW(f, &fd));
      FindClose(f);
    }
    return names;
  };
  auto before = batches();
  bringToFront();
  pressKey(VK_ESCAPE);
  EXPECT_EQ(waitForExit(20000), 0);
  EXPECT_TRUE(waitFor(10000, [&] { return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES; }))
      << "the working folder is still there";
  EXPECT_TRUE(waitFor(5000, [&] { return batches() == before; })) << "a batch file was left behind";
}

}  // namespace
}  // namespace lectavo::ui
