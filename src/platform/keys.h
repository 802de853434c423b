// Keys held down when a program starts.
#pragma once

namespace sarvo::platform {

enum class Key { Space, D, N };

// True when `key` is held down now. False when the platform cannot tell
// (for example with no keyboard-bearing display).
bool IsKeyDown(Key key);

}  // namespace sarvo::platform
