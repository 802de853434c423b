// The last resort against a desktop that hangs.
//
// Each wait on another process has a bound of its own (socket_linux.h and
// the backends), but some waits lie inside libraries: Xlib once the server
// has let us in, Qt's own connection, a settings service's flush. So the
// time a run spends in desktop steps is also counted as a whole: past
// kDesktopBudget the program writes on standard error which step it was in
// and ends with status 1, leaving its files as a killed run would. The
// time a window is open is not counted: the user is in charge there, and
// each wait is still bounded by itself.
#pragma once

#include <chrono>
#include <string_view>

namespace sarvo::platform::linux_deadline {

// Together with the rest of a run, which needs no desktop, a changer run
// ends within 30 seconds.
inline constexpr std::chrono::milliseconds kDesktopBudget{25000};

// A desktop step: counted against the budget while it lasts. Steps nest;
// the message names every step open at the end, outermost first.
class Step {
public:
    explicit Step(std::string_view what);
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;
    ~Step();
};

// While it lasts (a window is open), steps are not counted.
class Interactive {
public:
    Interactive();
    Interactive(const Interactive&) = delete;
    Interactive& operator=(const Interactive&) = delete;
    ~Interactive();
};

// Sets what is left of the budget (the programs keep kDesktopBudget).
void SetBudget(std::chrono::milliseconds budget);

}  // namespace sarvo::platform::linux_deadline
