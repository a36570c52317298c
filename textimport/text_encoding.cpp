#include "textimport/text_encoding.h"

#include <algorithm>
#include <utility>

namespace lectavo::textimport {

namespace {

// Length of the well-formed sequence starting at bytes[i], or 0 when it is malformed.
std::size_t sequenceLength(const Bytes& bytes, std::size_t i) {
  const std::uint8_t b = bytes[i];
  if (b < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the first continuation byte
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0) low = 0xA0;   // below is overlong
    if (b == 0xED) high = 0x9F;  // above are surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0) low = 0x90;   // below is overlong
    if (b == 0xF4) high = 0x8F;  // above is beyond U+10FFFF
  } else {
    return 0;  // stray continuation byte, overlong lead 0xC0/0xC1, or 0xF5 and up
  }
  if (bytes.size() - i < length) return 0;
  if (bytes[i + 1] < low || bytes[i + 1] > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if ((bytes[i + k] & 0xC0) != 0x80) return 0;
  }
  return length;
}

bool hasZeroByte(const Bytes& bytes) {
  return std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end();
}

}  // namespace

bool isUtf8Text(const Bytes& bytes) {
  bool beyondAscii = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = sequenceLength(bytes, i);
    if (length == 0) return false;
    beyondAscii = beyondAscii || length > 1;
    i += length;
  }
  return beyondAscii;
}

EncodingCode detectTextEncoding(const Bytes& bytes, Utf16Guess guess) {
  const std::size_t n = bytes.size();
  const bool utf8Mark = n >= 2 && bytes[0] == 0xEF && bytes[1] == 0xBB;
  if (utf8Mark && n > 2 && bytes[2] == 0xBF) return kUtf8;
  if (!utf8Mark && n >= 2) {
    if (bytes[0] == 0xFF && bytes[1] == 0xFE) return kUtf16Le;
    if (bytes[0] == 0xFE && bytes[1] == 0xFF) return kUtf16Be;
  }
  if (hasZeroByte(bytes)) {
    if (guess(bytes.data(), n)) return kUtf16Le;
    Bytes swapped = bytes;
    for (std::size_t i = 0; i + 1 < n; i += 2) std::swap(swapped[i], swapped[i + 1]);
    if (guess(swapped.data(), n)) return kUtf16Be;
  }
  if (isUtf8Text(bytes)) return kUtf8;
  return kAnsi;
}

Bytes utf8Body(const Bytes& bytes) {
  auto begin = bytes.begin();
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) begin += 3;
  return Bytes(begin, std::find(begin, bytes.end(), std::uint8_t{0}));
}

Text ansiBody(const Bytes& bytes) {
  return Text(bytes.begin(), std::find(bytes.begin(), bytes.end(), std::uint8_t{0}));
}

std::u16string utf16Body(const Bytes& bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t u = bigEndian ? char16_t(bytes[i] << 8 | bytes[i + 1])
                                 : char16_t(bytes[i + 1] << 8 | bytes[i]);
    if (u == 0) break;
    if (i == 0 && u == 0xFEFF) continue;  // the mark, in either order once decoded
    units.push_back(u);
  }
  return units;
}

std::u16string foldSurrogates(std::u16string units) {
  std::u16string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u < 0xD800 || u > 0xDFFF) {
      out.push_back(u);
      continue;
    }
    out.push_back(u'?');
    const bool pair = u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                      units[i + 1] <= 0xDFFF;
    if (pair) ++i;
  }
  return out;
}

Text importedText(const Bytes& content, Utf16Guess guess, const Converters& convert) {
  switch (detectTextEncoding(content, guess)) {
    case kUtf8:
      return convert.utf8ToAnsi(utf8Body(content));
    case kUtf16Le:
      return convert.utf16ToAnsi(utf16Body(content, false));
    case kUtf16Be:
      return convert.utf16ToAnsi(utf16Body(content, true));
    case kAnsi:
      break;
  }
  return ansiBody(content);
}

}  // namespace lectavo::textimport
