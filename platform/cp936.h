#pragma once
// Conversions between the program's code-page-936 text and the UTF-16 of the W APIs. The code page is
// always 936, never the process's ANSI code page.
#include <cstddef>
#include <string>

namespace lectavo {

using Text = std::string;  // CP936 bytes

std::wstring widen936(const Text& text);
// Characters code page 936 cannot hold become "?"; the rest is kept.
Text narrow936(const std::wstring& text);

// A byte offset into CP936 text as a UTF-16 position of the same text. An offset inside a double-byte
// character counts as that character's start; offsets past the end give the text's UTF-16 length.
std::size_t utf16PosOfByte(const Text& text, std::size_t byteOffset);
// The reverse: a UTF-16 position as a byte offset (past the end gives the text's byte length).
std::size_t bytePosOfUtf16(const Text& text, std::size_t utf16Pos);

}  // namespace lectavo
