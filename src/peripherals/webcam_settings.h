#pragma once

namespace tallyport {

// The "Hide Webcam" switch: hiding forgets the chosen video source and turns the panel off
// for the next start; showing turns it on again.
void storeWebcamHidden(bool hidden);
bool webcamEnabled();

}  // namespace tallyport
