// Figures for the speech SDK and the program's start-up, under Wine against the loopback service.
//   sdk_bench latency PORT TEXTFILE [ROUNDS]   QTTSTextPut of a 90-byte piece to its first audio
//   sdk_bench startup EXE [ROUNDS]              launch of the program to its window on the screen
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sdk/msc/msc_api.h"
#include "bench/win_clock.h"

namespace {

using lectavo::bench::nowMs;

void report(const char* what, std::vector<double> v) {
  if (v.empty()) {
    std::printf("%-44s no samples\n", what);
    return;
  }
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) { return v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))]; };
  std::printf("%-44s n=%zu min %.1f  median %.1f  p90 %.1f  max %.1f ms\n", what, v.size(), v.front(), at(0.5),
              at(0.9), v.back());
}

// Pieces of 91 to 96 bytes cut at whole characters, as the reading worker makes them.
std::vector<std::string> pieces(const std::string& text, std::size_t count) {
  std::vector<std::string> out;
  std::string piece;
  for (std::size_t i = 0; i < text.size() && out.size() < count; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\r' || b == '\n') continue;
    piece += text[i];
    if (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) piece += text[++i];
    if (piece.size() > 90) {
      out.push_back(piece);
      piece.clear();
    }
  }
  return out;
}

int latency(int port, const char* textFile, int rounds) {
  std::ifstream in(textFile, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  const auto work = pieces(text, static_cast<std::size_t>(rounds));
  if (work.empty()) {
    std::fprintf(stderr, "no text in %s\n", textFile);
    return 1;
  }
  const char* params =
      "aue=raw,auf=audio/L16;rate=16000,bgs=0,ent=intp65,pitch=70,speed=50,tte=GB2312,vcn=x_yiping,volume=100";
  for (const char* codec : {"speex.dll", "none.dll"}) {
    const std::string config = "server_url=127.0.0.1:" + std::to_string(port) +
                               "/index.htm,appid=7f21ac4e,timeout=10000,coding_libs=" + codec + ",max_text_size=2048";
    if (int rc = QTTSInit(config.c_str()); rc != 0) {
      std::fprintf(stderr, "QTTSInit: %d\n", rc);
      return 1;
    }
    std::vector<double> first, whole;
    double audioSeconds = 0;
    for (const auto& piece : work) {
      int err = 0;
      const std::string sid = QTTSSessionBegin(params, &err);
      const double t0 = nowMs();
      QTTSTextPut(sid.c_str(), piece.data(), static_cast<unsigned>(piece.size()), "");
      int status = 0;
      bool seen = false;
      while (status != 2) {
        unsigned len = 0;
        const void* audio = QTTSAudioGet(sid.c_str(), &len, &status, &err);
        if (audio && len) {
          if (!seen) first.push_back(nowMs() - t0);
          seen = true;
          audioSeconds += len / 32000.0;
        }
      }
      whole.push_back(nowMs() - t0);
      QTTSSessionEnd(sid.c_str(), "");
    }
    const std::string label = std::string(codec == std::string("speex.dll") ? "ADPCM" : "PCM  ");
    report((label + " TextPut -> first audio (90-byte piece)").c_str(), first);
    report((label + " TextPut -> status 2 (whole piece)").c_str(), whole);
    std::printf("%-44s %.1f s of audio in %zu pieces\n", (label + " audio").c_str(), audioSeconds, work.size());
    QTTSFini();
  }
  return 0;
}

struct Found {
  DWORD pid;
  bool visible = false;
};

bool windowShown(DWORD pid) {
  Found f{pid};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* f = reinterpret_cast<Found*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        wchar_t title[16] = {};
        GetWindowTextW(w, title, 16);
        if (owner == f->pid && IsWindowVisible(w) && lstrcmpW(title, L"Lectavo") == 0) f->visible = true;
        return !f->visible;
      },
      reinterpret_cast<LPARAM>(&f));
  return f.visible;
}

int startup(const wchar_t* exe, int rounds) {
  std::vector<double> shown;
  for (int i = 0; i < rounds; ++i) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\"";
    const double t0 = nowMs();
    if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      std::fprintf(stderr, "CreateProcessW: %lu\n", GetLastError());
      return 1;
    }
    while (!windowShown(pi.dwProcessId) && nowMs() - t0 < 30000) Sleep(1);
    if (nowMs() - t0 >= 30000) {
      std::fprintf(stderr, "round %d: no window within 30 s\n", i);
      HWND box = FindWindowW(L"#32770", nullptr);
      if (box) std::fprintf(stderr, "  a message box is up\n");
    } else {
      shown.push_back(nowMs() - t0);
    }
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  report("launch -> window shown", shown);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"latency" && argc >= 4) {
    std::string file;
    for (const wchar_t* c = argv[3]; *c; ++c) file += static_cast<char>(*c);
    return latency(_wtoi(argv[2]), file.c_str(), argc > 4 ? _wtoi(argv[4]) : 50);
  }
  if (mode == L"startup" && argc >= 3) return startup(argv[2], argc > 3 ? _wtoi(argv[3]) : 10);
  std::fprintf(stderr, "usage: sdk_bench latency PORT TEXTFILE [ROUNDS] | startup EXE [ROUNDS]\n");
  return 2;
}
