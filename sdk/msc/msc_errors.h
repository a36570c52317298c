#pragma once
// Error codes of msc.dll's entry points (0 is success). Portable: the tests and the program share them.

// QTTSInit
#define MSC_ERROR_CONFIG_MALFORMED 10101   // configuration text missing, unparsable or a value out of range
#define MSC_ERROR_SERVICE_UNREACHABLE 10102  // no answer from the health page within the time-out
#define MSC_ERROR_APPID_REFUSED 10103      // the service does not accept the appid
#define MSC_ERROR_SERVICE_UNUSABLE 10104   // the health page answered, but not as the service does
// Any call before a successful QTTSInit
#define MSC_ERROR_NOT_INITIALISED 10105
// Sessions
#define MSC_ERROR_INVALID_ARGUMENT 10110   // a null pointer where a value is needed
#define MSC_ERROR_PARAMS_MALFORMED 10111   // the parameter text is not a valid one
#define MSC_ERROR_UNKNOWN_VOICE 10112      // vcn names no voice of the service
#define MSC_ERROR_INVALID_SESSION 10113    // no open session has this identifier
// Synthesis (reported by QTTSAudioGet with status 2)
#define MSC_ERROR_NETWORK 10120            // connection failed or dropped before the audio was complete
#define MSC_ERROR_TIMEOUT 10121            // no answer or no data within the time-out
#define MSC_ERROR_REQUEST_REFUSED 10122    // the service answered the request with an error status
#define MSC_ERROR_AUDIO_MALFORMED 10123    // the audio stream could not be decoded
#define MSC_ERROR_OUT_OF_MEMORY 10124
