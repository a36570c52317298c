#include "app/speed_text.h"

#include <charconv>
#include <climits>
#include <string_view>

namespace lectavo {
namespace {

// One character of CP936 as the ASCII it counts as; 0 for anything without an ASCII form here.
char asciiForm(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  if (b < 0x81 || b == 0xFF || i + 1 >= text.size()) {
    ++i;
    return b < 0x80 ? static_cast<char>(b) : 0;
  }
  const auto t = static_cast<unsigned char>(text[i + 1]);
  i += 2;
  if (b == 0xA1 && t == 0xA1) return ' ';
  if (b == 0xA3) {
    if (t >= 0xB0 && t <= 0xB9) return static_cast<char>('0' + (t - 0xB0));
    if (t == 0xAB) return '+';
    if (t == 0xAD) return '-';
  }
  return 0;
}

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

int speedTextValue(const Text& text) {
  std::string ascii;
  for (std::size_t i = 0; i < text.size();) {
    const char c = asciiForm(text, i);
    if (c == 0) break;  // nothing after it can be part of the number
    ascii.push_back(c);
  }
  std::size_t at = 0;
  while (at < ascii.size() && isSpace(ascii[at])) ++at;
  bool negative = false;
  if (at < ascii.size() && (ascii[at] == '+' || ascii[at] == '-')) negative = ascii[at++] == '-';
  std::size_t end = at;
  while (end < ascii.size() && ascii[end] >= '0' && ascii[end] <= '9') ++end;
  if (end == at) return 0;

  long long magnitude = 0;
  const auto [ptr, ec] = std::from_chars(ascii.data() + at, ascii.data() + end, magnitude);
  if (ec == std::errc::result_out_of_range || ptr != ascii.data() + end ||
      magnitude > static_cast<long long>(INT_MAX) + 1) {
    return negative ? INT_MIN : INT_MAX;
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

}  // namespace lectavo
