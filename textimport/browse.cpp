#include <windows.h>

#include <exception>

#include "app/handlers.h"
#include "app/window.h"
#include "deploy/cleanup.h"
#include "platform/cp936.h"
#include "textimport/text_file.h"

namespace lectavo {

namespace {

void showReadFailure(const Text& path) {
  const std::wstring message = widen936("无法读取文件：\r\n" + path + "\r\n文本框的内容没有改变。");
  MessageBoxW(nullptr, message.c_str(), L"Lectavo", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

void onBrowse() {
  giveFocus(Control::编辑框1);
  writeText(Control::通用对话框1, Prop::filter, "文本文件（*.txt）|*.txt");
  writeText(Control::通用对话框1, Prop::defaultExtension, "");
  writeText(Control::通用对话框1, Prop::initialFolder, deploy::programFolder());
  writeInt(Control::通用对话框1, Prop::dialogKind, 0);
  if (!showFileDialog()) return;
  const Text path = readText(Control::通用对话框1, Prop::fileName);
  // A file that cannot be read (locked, removed meanwhile) must not wipe the user's text.
  std::optional<Text> text;
  try {
    text = textimport::loadTextFile(path);
  } catch (const std::exception&) {
    text.reset();  // a path or text the code page cannot carry: reported like an unreadable file
  }
  if (!text) {
    showReadFailure(path);
    return;
  }
  writeText(Control::编辑框1, Prop::text, *text);
}

}  // namespace lectavo
