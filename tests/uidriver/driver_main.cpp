// The UI driver: lectavo_uidriver.exe PATH-TO-lectavo.exe [SCREENSHOT.bmp]
// Starts the program once, runs the checks in order (the last one closes the window with Esc) and
// ends the program if it is still running.
#include "ui.h"

namespace lectavo::ui {

std::wstring programPath;
std::wstring screenshotPath = L"lectavo-window.bmp";

namespace {
class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(startProgram(programPath, 30000)) << "no visible Lectavo window"; }
  void TearDown() override {
    Program& p = program();
    if (p.process != nullptr && WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT) {
      TerminateProcess(p.process, 99);
      WaitForSingleObject(p.process, 5000);
    }
  }
};
}  // namespace

}  // namespace lectavo::ui

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: lectavo_uidriver PATH-TO-lectavo.exe [SCREENSHOT.bmp]\n");
    return 2;
  }
  lectavo::ui::programPath = argv[1];
  if (argc > 2) lectavo::ui::screenshotPath = argv[2];
  ::testing::AddGlobalTestEnvironment(new lectavo::ui::ProgramEnvironment);
  return RUN_ALL_TESTS();
}
