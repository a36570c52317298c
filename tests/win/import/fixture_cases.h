#pragma once
// Every fixture file of tests/fixtures/textimport and the text it loads as (CP936 literals).
#include <string>

#include "textimport/text_encoding.h"

namespace lectavo::textimport::testing_support {

struct FixtureCase {
  const char* file;
  EncodingCode code;
  Text text;
};

inline const Text kSample = "朗读测试：你好，世界。\r\n第2行 text";

inline const FixtureCase kFixtureCases[] = {
    {"gbk.txt", kAnsi, kSample},
    {"utf8.txt", kUtf8, kSample},
    {"utf8-mark.txt", kUtf8, kSample},  // the mark is not loaded
    {"emoji.txt", kUtf8, "你好?世界"},   // one mark for the emoji, the rest kept
    {"utf16le-mark.txt", kUtf16Le, kSample},
    {"utf16be-mark.txt", kUtf16Be, kSample},
    {"utf16le.txt", kUtf16Le, kSample},
    {"utf16be.txt", kUtf16Be, kSample},
    {"empty.txt", kAnsi, ""},
    {"one-byte.txt", kAnsi, "A"},
    {"ef-bb.txt", kAnsi, "\xEF\xBB"},
    {"zero-middle.txt", kUtf8, "你好"},
    {"ascii-like-utf16.txt", kAnsi, "Bush hid the facts"},
};

// A Unix path of the build machine as Wine's Z: drive sees it.
inline Text winePath(std::string unixPath) {
  for (char& c : unixPath) c = c == '/' ? '\\' : c;
  return "Z:" + unixPath;
}
inline Text fixturePath(const char* name) {
  return winePath(std::string(LECTAVO_SOURCE_DIR) + "/tests/fixtures/textimport/" + name);
}
inline Text fortuneCopyPath(const std::string& name) {
  return winePath(std::string(FORTUNE_COPIES_DIR) + "/" + name);
}

}  // namespace lectavo::textimport::testing_support
