#pragma once
// What the user commands share.
namespace lectavo {

// Stop as a user's Stop does: pause tag " ", sound off, the playback worker held; 按钮1 stays disabled
// until the worker's timed wait for the stopped piece has ended, then both buttons are enabled.
void holdPlayback();

}  // namespace lectavo
