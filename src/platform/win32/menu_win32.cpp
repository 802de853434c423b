#include "platform/menu.h"

namespace sarvo::platform {

// Windows users keep the programs in a folder and start them from there or
// from shortcuts of their own; the held keys are read at every start, so the
// changer's choices need no entry either.
MenuResult PutIntoMenu(const std::vector<MenuEntry>&, std::string&) { return MenuResult::Unchanged; }

void RemoveFromMenu(const std::vector<MenuEntry>&, std::vector<std::string>&) {}

}  // namespace sarvo::platform
