// Shared by the fuzz targets: each property is checked on its own and, when it breaks, named on standard
// error before the run stops, so that a crash report says which fact broke.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace sarvo::fuzz {

inline void Require(bool holds, const char* fact) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", fact);
    std::abort();
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace sarvo::fuzz
