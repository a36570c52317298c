#pragma once
// Reading a text file into the program's CP936 text (Windows).
#include <optional>
#include <string>

#include "textimport/text_encoding.h"

namespace lectavo::textimport {

// The whole file, or nothing when it cannot be opened or read.
std::optional<Bytes> readWholeFile(const Text& path);

// The platform's statistical test (IsTextUnicode with every test requested).
bool platformSaysUtf16(const std::uint8_t* data, std::size_t size);

// UTF-8 → UTF-16 → CP936. Characters CP936 lacks become "?"; the rest is kept.
Text utf8ToAnsiText(const Bytes& utf8);
Text utf16ToAnsiText(const std::u16string& units);

// The encoding code of a file; one that cannot be read counts as empty.
EncodingCode detectTextEncoding(const Text& path);

// The file's text as it loads into the text box; nothing when the file cannot be read.
std::optional<Text> loadTextFile(const Text& path);

}  // namespace lectavo::textimport
