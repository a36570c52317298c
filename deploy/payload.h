#pragma once
// The two speech libraries the executable carries: written to the temporary folder, kept in step
// with the images inside the executable, and loaded from there by full path.
#include <cstddef>
#include <string>

namespace lectavo::deploy {

struct PayloadImage {
  const wchar_t* fileName = L"";
  const void* data = nullptr;  // null when the executable lacks the resource
  std::size_t size = 0;
};

// The image of resource `id` (RCDATA) of this executable.
PayloadImage embeddedImage(int id, const wchar_t* fileName);

enum class PayloadOutcome {
  written,    // there was no file
  unchanged,  // the file already held exactly the image
  replaced,   // the file held something else and now holds the image
  keptInUse,  // the file differs but could not be replaced (in use): used as it is
  failed,     // no file and none could be written, or no image
};

// Makes `folder` + the image's file name hold the image. A replacement goes through a sibling file
// and a rename, so the library is never seen half-written.
PayloadOutcome placePayload(const std::wstring& folder, const PayloadImage& image);

// The user's temporary folder (GetTempPathW), ending in a backslash.
std::wstring temporaryFolder();

struct DeployResult {
  PayloadOutcome msc = PayloadOutcome::failed;
  PayloadOutcome speex = PayloadOutcome::failed;
  std::wstring mscPath;
  bool bound = false;     // every entry point found in that file
  std::string failure;    // what failed, when not bound
};

// Start-up's step: both images into `folder` (ending in a backslash), then every speech SDK entry
// point from the msc.dll there.
DeployResult deployPayloads(const std::wstring& folder);

}  // namespace lectavo::deploy
