// Registration of the host's audio thread, which the log and allocation checks consult.
#pragma once

namespace VFoundation {

// audio thread: called at the start of every block.
void RegisterAudioThread();
// any thread: suspend, resume, sample-rate and block-size changes clear the registration.
void ClearAudioThreadRegistration();
// any thread.
bool IsAudioThread();

}  // namespace VFoundation
