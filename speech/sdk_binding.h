#pragma once
// The program's calls into msc.dll. Every entry point is taken from the one module loaded by its full
// path (the copy in the temporary folder), never found by name, so a stray msc.dll elsewhere on the
// search path cannot run inside the program.
#include <string>

namespace lectavo::sdk {

// Loads the library at `fullPath` (once; later calls keep the first module) and looks every entry
// point up in it. False when the load or a look-up failed; `failure` then names what failed. The
// entry points found stay usable either way.
bool bindLibrary(const std::wstring& fullPath, std::string* failure = nullptr);

// The module the entry points come from (an HMODULE), null before bindLibrary loaded one.
void* boundModule();

// Each call goes to the bound module. Calling an entry point that was not found shows a message that
// names the library and the entry point, and ends the process.
int init(const char* configs);
const char* sessionBegin(const char* params, int* err);
int textPut(const char* sid, const char* text, unsigned len, const char* params);
const void* audioGet(const char* sid, unsigned* len, int* status, int* err);
int sessionEnd(const char* sid, const char* hint);
int fini();

}  // namespace lectavo::sdk
