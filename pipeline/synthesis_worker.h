#pragma once
// The synthesis worker: cuts the text box's text into pieces, has each synthesised, and queues it for
// playback or, during a Save, collects all of it for one file.
#include "app/shared_state.h"

namespace lectavo {

class SaveSpool;

void readingRun();
void flushPiece(const Text& piece);
// Collects the audio of the text put so far into audioBuffer. Ends when the service reports all of it
// delivered, or after the configured time-out passes with no audio arriving.
void fetchAudio();
// The Save dialog and the file write from the collected PCM.
void saveAudioFile();

// The Save's collected PCM (owned by the synthesis worker).
SaveSpool& saveSpool();

}  // namespace lectavo
