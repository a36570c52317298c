// 通用对话框1: the common open and save dialogs, shown modal on the calling thread.
#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <vector>

#include "app/window/main_window.h"
#include "app/window/property_store.h"
#include "platform/cp936.h"

namespace lectavo {

namespace {

// "desc|pattern|desc|pattern" as the platform wants it: zero-separated, ending in two zeros.
std::wstring platformFilter(const Text& filter) {
  std::wstring w = widen936(filter);
  for (auto& ch : w)
    if (ch == L'|') ch = L'\0';
  w.push_back(L'\0');
  w.push_back(L'\0');
  return w;
}

}  // namespace

bool showFileDialog() {
  win::DialogSettings settings = win::propertyStore().dialog();
  const std::wstring filter = platformFilter(settings.filter);
  const std::wstring folder = widen936(settings.initialFolder);
  std::wstring extension = widen936(settings.defaultExtension);
  if (!extension.empty() && extension.front() == L'.') extension.erase(0, 1);

  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring current = widen936(settings.fileName);
  current.copy(name.data(), std::min(current.size(), name.size() - 1));

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  // Owned by the main window only on its own thread: a window of another thread as owner would tie
  // the two threads' input together.
  win::MainWindow* w = win::currentWindow();
  ofn.hwndOwner = (w != nullptr && !w->gone() && w->onWindowThread()) ? w->hwnd() : nullptr;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = static_cast<DWORD>(name.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // No OFN_NOCHANGEDIR: the current folder follows the accepted file.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
              (settings.kind == 1 ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  BOOL accepted = settings.kind == 1 ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!accepted) return false;

  settings = win::propertyStore().dialog();  // keep what others wrote meanwhile
  settings.fileName = narrow936(name.data());
  win::propertyStore().setDialog(settings);
  return true;
}

}  // namespace lectavo
