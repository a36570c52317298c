// Start-up: runs while the main window is still hidden, before the message loop.
#include <windows.h>

#include "app/handlers.h"
#include "deploy/cleanup.h"
#include "deploy/payload.h"
#include "deploy/working_folder.h"
#include "pipeline/workers.h"
#include "platform/cp936.h"
#include "speech/service_init.h"

namespace lectavo {
namespace {
// A failed start ends the process rather than leaving it running with no window to close.
constexpr UINT kExitServiceUnusable = 2;
}  // namespace

void onWindowCreated() {
  writeInt(Control::组合框1, Prop::currentItem, 0);
  deploy::deployPayloads(deploy::temporaryFolder());
  if (!initialiseService()) ExitProcess(kExitServiceUnusable);
  // Hidden and nothing else; a missing folder is no error.
  const Text folder = deploy::workingFolderPath(deploy::programFolder());
  SetFileAttributesW(widen936(folder).c_str(), FILE_ATTRIBUTE_HIDDEN);
  writeBool(Control::mainWindow, Prop::visible, true);
  startWorkers();
}

}  // namespace lectavo
