#include "textimport/text_file.h"

#include <windows.h>

#include <climits>

#include "platform/cp936.h"
#include "platform/owner.h"

namespace lectavo::textimport {

std::optional<Bytes> readWholeFile(const Text& path) {
  platform::UniqueFile file(CreateFileW(widen936(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > INT_MAX) return std::nullopt;
  Bytes content(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  if (!content.empty() &&
      (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr) ||
       got != content.size())) {
    return std::nullopt;
  }
  return content;
}

bool platformSaysUtf16(const std::uint8_t* data, std::size_t size) {
  if (size > INT_MAX) return false;
  INT tests = -1;  // all of them
  return IsTextUnicode(size ? data : nullptr, static_cast<int>(size), &tests) != 0;
}

Text utf16ToAnsiText(const std::u16string& units) {
  const std::u16string folded = foldSurrogates(units);
  return narrow936(std::wstring(folded.begin(), folded.end()));
}

Text utf8ToAnsiText(const Bytes& utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const char* bytes = reinterpret_cast<const char*>(utf8.data());
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0);
  if (n <= 0) return {};
  std::u16string units(static_cast<std::size_t>(n), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes, size, reinterpret_cast<wchar_t*>(units.data()), n);
  return utf16ToAnsiText(units.substr(0, units.find(u'\0')));  // text ends at its first zero
}

EncodingCode detectTextEncoding(const Text& path) {
  return detectTextEncoding(readWholeFile(path).value_or(Bytes{}), platformSaysUtf16);
}

std::optional<Text> loadTextFile(const Text& path) {
  std::optional<Bytes> content = readWholeFile(path);
  if (!content) return std::nullopt;
  return importedText(*content, platformSaysUtf16, Converters{utf8ToAnsiText, utf16ToAnsiText});
}

}  // namespace lectavo::textimport
