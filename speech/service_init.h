#pragma once
// Start-up's speech service step: the server choice, QTTSInit, and the message when it fails.

namespace lectavo {

// True when the service is usable. On failure the message "初始化失败，请重新启动再试" has been shown.
bool initialiseService();

}  // namespace lectavo
