// placeholder: to be written
#include "keys.h"
namespace sarvo::platform { bool IsKeyDown(Key) { return false; } }
