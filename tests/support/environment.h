// Setting environment variables from tests, on every platform.
#pragma once

#include <string>

namespace sarvo::test {

void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace sarvo::test
