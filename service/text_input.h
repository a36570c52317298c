#pragma once
// The request text as the engine takes it: decoded from the encoding the session names into UTF-8,
// with control bytes turned into spaces (the engine would otherwise read them as commands or stop
// at a zero byte).
#include <string>
#include <string_view>

#include "wire/params.h"

namespace lectavo::service {

struct DecodedText {
  std::string utf8;
  std::string error;  // empty on success; else says where the text stops being valid
};

DecodedText decodeText(std::string_view bytes, wire::TextEncoding encoding);

}  // namespace lectavo::service
