#pragma once
// The exit clean-up (Windows): a batch file in the temporary folder removes the working folder,
// then the process terminates itself with exit code 0.
#include <cstdint>
#include <string>

#include "app/handlers.h"  // onCloseRequested, onWindowDestroying: both run the close sequence

namespace lectavo {
namespace deploy {

// The folder of the running executable, without a trailing backslash ("C:" in a drive root).
Text programFolder();
// The user's temporary folder, ending in a backslash; "" when the platform cannot tell.
Text getTempFolder();
bool isExistingFolder(const Text& path);
// The time-stamp name from the local clock.
Text makeTimeStampName();
// True when TerminateProcess succeeded (for the current process it does not return).
bool terminateProcessById(std::uint32_t pid);
// Writes the clean-up batch for folder into the temporary folder, runs it hidden with the temporary
// folder as its current folder (so its last line deletes it) and waits for it to end.
void removeWorkingFolder(const Text& folder);

}  // namespace deploy
}  // namespace lectavo
