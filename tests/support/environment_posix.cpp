#include <cstdlib>

#include "support/environment.h"

namespace sarvo::test {

void SetEnvironment(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }

}  // namespace sarvo::test
