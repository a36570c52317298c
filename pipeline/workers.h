#pragma once
// The reading pipeline's two worker threads.

namespace lectavo {

// Starts the playback worker, then the synthesis worker; each at most once per run.
void startWorkers();

// Thread bodies; they never return.
void playbackWorkerMain();
void synthesisWorkerMain();

}  // namespace lectavo
