// Save: the dialog, shown from the synthesis worker, and the WAV file written from the spooled PCM.
#include <windows.h>

#include "pipeline/save_spool.h"
#include "pipeline/synthesis_worker.h"
#include "platform/cp936.h"

namespace lectavo {
namespace {

void showMessage(const Text& text, UINT icon) {
  MessageBoxW(nullptr, widen936(text).c_str(), L"", MB_TASKMODAL | MB_OK | icon);
}

// The folder of the running executable, without a trailing backslash.
Text programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L'\\');
  return narrow936(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

void writeChosenFile(const Text& name) {
  SaveSpool& spool = saveSpool();
  const char* failedCall = "";
  const DWORD code = spool.writeWav(widen936(name), failedCall);
  if (code != 0) {
    showMessage("保存失败，文件没有写入：" + name + "\r\n（" + failedCall + " 错误 " + std::to_string(code) + "）",
                MB_ICONERROR);
    return;
  }
  if (spool.writeFailed()) {
    showMessage("临时文件写入失败，只保存了前面的部分语音：" + name, MB_ICONWARNING);
  } else if (spool.full()) {
    showMessage("语音超过 WAV 文件 4 GB 的上限，只保存了能容纳的前面部分：" + name, MB_ICONWARNING);
  }
}

}  // namespace

void saveAudioFile() {
  setSaveTag("");
  writeInt(Control::通用对话框1, Prop::dialogKind, 1);
  // The file is RIFF/WAVE, so it is offered as such.
  writeText(Control::通用对话框1, Prop::filter, "音频文件（*.wav）|*.wav");
  writeText(Control::通用对话框1, Prop::defaultExtension, ".wav");
  writeText(Control::通用对话框1, Prop::initialFolder, programFolder());
  auto& s = sharedState();
  if (showFileDialog()) {
    {
      std::lock_guard<std::mutex> hold(s.audioBufferLock);
      saveSpool().append(s.audioBuffer.data(), s.audioBuffer.size());
    }
    writeChosenFile(readText(Control::通用对话框1, Prop::fileName));
  }
  {
    std::lock_guard<std::mutex> hold(s.audioBufferLock);
    s.audioBuffer.clear();
  }
  saveSpool().reset();
  writeBool(Control::按钮1, Prop::disabled, false);
  setSaveTag("");
}

}  // namespace lectavo
