// The budget runs on the process's real-time interval timer while a step is
// open and is paused in between. When it runs out, SIGALRM's handler writes
// the steps (kept in fixed buffers, so that the handler needs neither the
// heap nor locks) and ends the process. Steps are opened on the main thread
// only; the signal may land on any thread, which makes no difference to
// what the handler does.
#include "deadline_linux.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace sarvo::platform::linux_deadline {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMostSteps = 6;
constexpr std::size_t kStepText = 120;

char gSteps[kMostSteps][kStepText];
int gDepth = 0;
int gInteractive = 0;
std::chrono::microseconds gLeft = kDesktopBudget;
Clock::time_point gArmedAt;
bool gArmed = false;
// "N seconds", the budget as the message tells it.
char gBudgetText[32];

void Write(const char* text) {
    std::size_t size = std::strlen(text);
    while (size > 0) {
        const ssize_t n = write(STDERR_FILENO, text, size);
        if (n <= 0) return;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
}

void OnAlarm(int) {
    Write("デスクトップが");
    Write(gBudgetText);
    Write("以内に応答しなかったので、終了します（");
    for (int i = 0; i < std::min(gDepth, kMostSteps); ++i) {
        if (i > 0) Write("、");
        Write(gSteps[i]);
    }
    Write("）。\n");
    _exit(1);
}

void DescribeBudget(std::chrono::milliseconds budget) {
    const long long tenths = (budget.count() + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
    text += "秒";
    std::strncpy(gBudgetText, text.c_str(), sizeof gBudgetText - 1);
}

void SetTimer(std::chrono::microseconds value) {
    itimerval timer{};
    timer.it_value.tv_sec = static_cast<time_t>(value.count() / 1000000);
    timer.it_value.tv_usec = static_cast<suseconds_t>(value.count() % 1000000);
    setitimer(ITIMER_REAL, &timer, nullptr);
}

void Arm() {
    static const bool installed = [] {
        if (gBudgetText[0] == '\0') DescribeBudget(kDesktopBudget);
        struct sigaction action {};
        action.sa_handler = OnAlarm;
        sigemptyset(&action.sa_mask);
        return sigaction(SIGALRM, &action, nullptr) == 0;
    }();
    if (!installed || gInteractive > 0 || gArmed) return;
    // A budget spent to the last microsecond still ends the run.
    SetTimer(std::max(gLeft, std::chrono::microseconds(1)));
    gArmedAt = Clock::now();
    gArmed = true;
}

void Disarm() {
    if (!gArmed) return;
    SetTimer(std::chrono::microseconds(0));
    gLeft -= std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - gArmedAt);
    gArmed = false;
}

}  // namespace

Step::Step(std::string_view what) {
    if (gDepth < kMostSteps) {
        std::size_t size = std::min(what.size(), kStepText - 1);
        // A cut never splits a character.
        while (size < what.size() && size > 0 && (static_cast<unsigned char>(what[size]) & 0xC0) == 0x80) --size;
        std::memcpy(gSteps[gDepth], what.data(), size);
        gSteps[gDepth][size] = '\0';
    }
    if (gDepth++ == 0) Arm();
}

Step::~Step() {
    if (--gDepth == 0) Disarm();
}

Interactive::Interactive() {
    Disarm();
    ++gInteractive;
}

Interactive::~Interactive() {
    if (--gInteractive == 0 && gDepth > 0) Arm();
}

void SetBudget(std::chrono::milliseconds budget) {
    const bool armed = gArmed;
    Disarm();
    gLeft = budget;
    DescribeBudget(budget);
    if (armed) Arm();
}

}  // namespace sarvo::platform::linux_deadline
