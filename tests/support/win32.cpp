#include <cstdlib>

#include "support/temp_dir.h"

namespace sarvo::test {

void SetEnvironment(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }

}  // namespace sarvo::test
