#pragma once
// Deciding how a text file is encoded and turning its bytes into the parts the converters take.
// Portable: the platform's statistical UTF-16 test and the code-page conversions are passed in.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lectavo::textimport {

using Bytes = std::vector<std::uint8_t>;
using Text = std::string;  // CP936 bytes

// Results of detectTextEncoding.
enum EncodingCode : std::int32_t {
  kUtf8 = 1,
  kUtf16Le = 2,
  kUtf16Be = 3,
  kAnsi = 4,
};

// The platform's statistical test: true when it judges the bytes to be UTF-16 (little-endian).
using Utf16Guess = bool (*)(const std::uint8_t* data, std::size_t size);

// Well-formed UTF-8 (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF) holding at
// least one byte above 0x7F.
bool isUtf8Text(const Bytes& bytes);

// The decisions in order: UTF-8 mark, UTF-16 marks, the statistical test, the UTF-8 test, ANSI.
// Only a buffer holding a zero byte goes to the statistical test: it takes some plain ASCII for UTF-16,
// and UTF-16 without a mark nearly always holds a space, digit or line break, whose high byte is zero.
// The test is asked about the bytes as they are (little-endian) and then with each pair swapped, so
// that big-endian text without a mark is recognised too.
EncodingCode detectTextEncoding(const Bytes& bytes, Utf16Guess guess);

// The UTF-8 to be converted: without its byte-order mark, ending before the first zero byte.
Bytes utf8Body(const Bytes& bytes);
// The bytes of an ANSI file up to the first zero byte.
Text ansiBody(const Bytes& bytes);
// UTF-16 code units in the given byte order, without the mark, ending before the first zero unit;
// an odd last byte is dropped.
std::u16string utf16Body(const Bytes& bytes, bool bigEndian);

// Each surrogate pair (or lone surrogate) becomes one "?": code page 936 holds none of them, and one
// character the conversion cannot carry should leave one mark, not two.
std::u16string foldSurrogates(std::u16string units);

// The two conversions to CP936 text the loader needs.
struct Converters {
  Text (*utf8ToAnsi)(const Bytes& utf8);
  Text (*utf16ToAnsi)(const std::u16string& units);
};

// The text a file's content loads as, decided by detectTextEncoding.
Text importedText(const Bytes& content, Utf16Guess guess, const Converters& convert);

}  // namespace lectavo::textimport
