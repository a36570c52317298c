#pragma once
// The working folder beside the executable: hidden at start-up, removed at exit.
#include <string>

namespace lectavo::deploy {

// Fixed name: 32 lowercase hexadecimal digits.
inline constexpr char kWorkingFolderName[] = "3f9c2a7e51d04b68a0e4c71b92d5f806";

// ownFolder has no trailing backslash ("C:" for a program in a drive root).
inline std::string workingFolderPath(const std::string& ownFolder) {
  return ownFolder + "\\" + kWorkingFolderName;
}

}  // namespace lectavo::deploy
