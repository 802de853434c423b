// placeholder: to be written
#include "ui.h"
#include <cstdio>
namespace sarvo::platform { int ShowMessage(const std::string& c, const std::string& t, unsigned s) { std::fprintf(stderr, "%s\n%s\n", c.c_str(), t.c_str()); return (s & kYesNo) ? kAnswerNo : kAnswerOk; } }
