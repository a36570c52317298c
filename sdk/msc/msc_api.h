#pragma once
// msc.dll: the speech SDK's six entry points. Texts are zero-terminated code-page-936 strings; integers
// are 32-bit. __stdcall keeps a 32-bit build on the callee-cleans convention (x64 has only one).
#ifdef __cplusplus
extern "C" {
#endif

#if defined(LECTAVO_MSC_BUILD)
#define LECTAVO_MSC_API __declspec(dllexport)
#else
#define LECTAVO_MSC_API __declspec(dllimport)
#endif

// Parses the configuration text ("key=value,..."), checks the service's health page and the appid.
// 0 on success; MSC_ERROR_* otherwise.
LECTAVO_MSC_API int __stdcall QTTSInit(const char* configs);

// Opens a session with the parameter text; the identifier is owned by the library and stays valid
// until the session ends. *errorCode is 0 on success; on failure the result is null.
LECTAVO_MSC_API const char* __stdcall QTTSSessionBegin(const char* params, int* errorCode);

// Queues textLen bytes of text for synthesis and returns at once; texts longer than max_text_size are
// split at character boundaries into several requests.
LECTAVO_MSC_API int __stdcall QTTSTextPut(const char* sessionID, const char* textString, unsigned int textLen,
                                          const char* params);

// The next audio of the session, in the order it arrived, waiting a little for it. *audioLen bytes of
// 16 kHz 16-bit mono little-endian PCM lie at the result until the next call (null or 0 when none).
// *synthStatus is 2 when all audio of the text put so far has been handed out (also after a failure,
// then with a non-zero *errorCode), 1 while more is to come.
LECTAVO_MSC_API const void* __stdcall QTTSAudioGet(const char* sessionID, unsigned int* audioLen, int* synthStatus,
                                                   int* errorCode);

// Ends the session and cancels what is in flight.
LECTAVO_MSC_API int __stdcall QTTSSessionEnd(const char* sessionID, const char* hints);

// Ends every session and releases the connection and the codec library.
LECTAVO_MSC_API int __stdcall QTTSFini(void);

#ifdef __cplusplus
}
#endif
