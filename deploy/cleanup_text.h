#pragma once
// The texts of the exit clean-up: path checks, the batch file's name and its content, and the
// command line that starts it. Portable; the Windows side reads the clock and runs the batch.
#include <cstdint>
#include <string>

namespace lectavo::deploy {

using Text = std::string;  // CP936 bytes

// Replaces every occurrence of from in s, left to right, without overlap. A match begins only where
// a CP936 character begins: the trail byte of a double-byte character is never taken for ASCII.
Text replaceAll936(const Text& s, const Text& from, const Text& to);
bool contains936(const Text& s, const Text& what);
// True when the last character (not merely the last byte) is a backslash.
bool endsWithBackslash936(const Text& s);

// A path that begins with a drive letter and holds ":\" or ":/", after doubled separators are
// collapsed. With rejectRoot a bare drive root ("C:\") fails too.
bool checkDrivePath(const Text& path, bool rejectRoot);

// A local date-time as the clock gives it.
struct LocalDateTime {
  int year, month, day, hour, minute, second;
};
// Whole seconds from the local date-time 1970-01-01 08:00:00 to t (negative before it).
std::int64_t secondsSinceStampBase(const LocalDateTime& t);
// The seconds in decimal, then the milliseconds as three digits, padded with "0" on the right to
// 13 characters (a longer name stays as it is).
Text makeTimeStampName(std::int64_t seconds, int milliseconds);

// The two-line batch: removes the working folder, then deletes the batch file by its bare name.
// Placeholders "根目录" (folder) and "执行文件名" (batch file name); no line break at the end.
const Text& batchTemplate();
// folder must end with a backslash; batchName is the bare file name.
Text fillBatch(const Text& folder, const Text& batchName);
// The batch file's name from its time-stamp name.
Text batchFileName(const Text& stampName);
// The command line that starts the batch: its full path in double quotes, so that spaces in the
// temporary folder do not split it.
Text batchCommandLine(const Text& batchPath);

}  // namespace lectavo::deploy
