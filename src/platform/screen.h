// The screen.
#pragma once

namespace sarvo::platform {

// The primary monitor's size in pixels. False when no screen can be asked
// (no display); the sizes are then 0.
bool PrimaryScreenSize(int& width, int& height);

}  // namespace sarvo::platform
