#include "deploy/cleanup_text.h"

namespace lectavo::deploy {

namespace {

// Lead bytes of double-byte characters in code page 936.
bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length in bytes of the character starting at s[i].
std::size_t charLength(const Text& s, std::size_t i) {
  return isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Position of the first match at a character start at or after i, or npos.
std::size_t find936(const Text& s, const Text& what, std::size_t i) {
  if (what.empty()) return Text::npos;
  for (; i < s.size(); i += charLength(s, i)) {
    if (s.compare(i, what.size(), what) == 0) return i;
  }
  return Text::npos;
}

// Repeats passes of replaceAll936 until no pair is left.
Text collapse(Text s, const Text& pair, const Text& single) {
  while (contains936(s, pair)) s = replaceAll936(s, pair, single);
  return s;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

Text replaceAll936(const Text& s, const Text& from, const Text& to) {
  Text out;
  std::size_t done = 0;
  for (std::size_t at = find936(s, from, 0); at != Text::npos; at = find936(s, from, done)) {
    out.append(s, done, at - done).append(to);
    done = at + from.size();
  }
  return out.append(s, done, Text::npos);
}

bool contains936(const Text& s, const Text& what) { return find936(s, what, 0) != Text::npos; }

bool endsWithBackslash936(const Text& s) {
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < s.size(); i += charLength(s, i)) last = i;
  return last != Text::npos && last + 1 == s.size() && s[last] == '\\';
}

bool checkDrivePath(const Text& path, bool rejectRoot) {
  const Text w = collapse(collapse(path, "\\\\", "\\"), "//", "/");
  if (w.empty()) return false;
  const char first = w[0] >= 'a' && w[0] <= 'z' ? char(w[0] - 'a' + 'A') : w[0];
  if (first < 'A' || first > 'Z') return false;
  if (!contains936(w, ":\\") && !contains936(w, ":/")) return false;
  if (rejectRoot && w.size() == 3) return false;
  return true;
}

std::int64_t secondsSinceStampBase(const LocalDateTime& t) {
  const std::int64_t days = daysFromCivil(t.year, unsigned(t.month), unsigned(t.day));
  return days * 86400 + (t.hour - 8) * 3600 + t.minute * 60 + t.second;
}

Text makeTimeStampName(std::int64_t seconds, int milliseconds) {
  const Text ms = std::to_string(milliseconds);
  Text name = std::to_string(seconds) + Text(ms.size() < 3 ? 3 - ms.size() : 0, '0') + ms;
  if (name.size() < 13) name.append(13 - name.size(), '0');
  return name;
}

const Text& batchTemplate() {
  static const Text text = "Rd /s /q \"根目录\"\r\nDel /f /q \"执行文件名\"";
  return text;
}

Text fillBatch(const Text& folder, const Text& batchName) {
  // The name first: it holds no placeholder, while a folder might.
  return replaceAll936(replaceAll936(batchTemplate(), "执行文件名", batchName), "根目录", folder);
}

Text batchFileName(const Text& stampName) { return stampName + "_Speed.bat"; }

Text batchCommandLine(const Text& batchPath) { return "\"" + batchPath + "\""; }

}  // namespace lectavo::deploy
