#include "platform/cp936.h"

#include <windows.h>

#include "platform/error.h"

namespace lectavo {

namespace {
constexpr UINT kCodePage = 936;

// Bytes of the character starting at text[i]: a lead byte with a following byte makes two.
std::size_t charBytes(const Text& text, std::size_t i) {
  auto b = static_cast<unsigned char>(text[i]);
  return (IsDBCSLeadByteEx(kCodePage, b) && i + 1 < text.size()) ? 2 : 1;
}
}  // namespace

std::wstring widen936(const Text& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) platform::throwLastError("MultiByteToWideChar");
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

Text narrow936(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              "?", nullptr);
  if (n <= 0) platform::throwLastError("WideCharToMultiByte");
  Text out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, "?",
                      nullptr);
  return out;
}

// Every character of code page 936 is one UTF-16 unit (the code page maps into the BMP only).
std::size_t utf16PosOfByte(const Text& text, std::size_t byteOffset) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t w = charBytes(text, i);
    if (i + w > byteOffset) break;
    i += w;
    ++units;
  }
  return units;
}

std::size_t bytePosOfUtf16(const Text& text, std::size_t utf16Pos) {
  std::size_t i = 0;
  for (std::size_t units = 0; i < text.size() && units < utf16Pos; ++units) i += charBytes(text, i);
  return i;
}

}  // namespace lectavo
