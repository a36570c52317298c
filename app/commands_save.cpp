// Save: the synthesis worker produces the file; this only asks and sets the signals.
#include <windows.h>

#include "app/handlers.h"
#include "app/shared_state.h"
#include "platform/cp936.h"

namespace lectavo {

void onSave() {
  // Task-modal with no owner, as every message of the program.
  int answer = MessageBoxW(nullptr, widen936("是否需要文本转语音").c_str(),
                           widen936("转换时请不要进行其他操作").c_str(),
                           MB_YESNO | MB_ICONINFORMATION | MB_TASKMODAL);  // style 68
  if (answer != IDYES) return;
  writeBool(Control::按钮1, Prop::disabled, true);
  {
    std::lock_guard<std::mutex> g(sharedState().audioBufferLock);
    Bytes().swap(sharedState().audioBuffer);
  }
  setSaveTag(" ");
  setReadingTag("N");
}

}  // namespace lectavo
