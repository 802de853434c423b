// The modules of the further picture formats (MoreFormats=1): sarvo-webp.so,
// sarvo-avif.so, sarvo-heif.so and sarvo-jxl.so lie beside the programs,
// each holding one format's decoder and linking its library. The programs
// load one (through linux_module::LoadEntry) when the first picture of its
// format is decoded: libavif with its AV1 decoders, libheif with libde265
// and libjxl with highway made every start several milliseconds slower when
// the programs linked them, and a run without the key never needs them.
// Module and programs are built together; the version guards against a
// module left over from another build.
#pragma once

#include "picture_decoders_linux.h"

namespace sarvo::platform::linux_formats {

inline constexpr int kModuleVersion = 1;

struct Module {
    int version;
    FormatDecoder decode;
};

}  // namespace sarvo::platform::linux_formats

extern "C" {

// Each module's one export, named after its format (SARVO_WEBP_ENTRY, ...):
// the module's table, with the contract of picture_decoders_linux.h.
using SarvoFormatModule = const sarvo::platform::linux_formats::Module* (*)();

#define SARVO_WEBP_ENTRY "sarvo_webp_module"
#define SARVO_AVIF_ENTRY "sarvo_avif_module"
#define SARVO_HEIF_ENTRY "sarvo_heif_module"
#define SARVO_JXL_ENTRY "sarvo_jxl_module"
}
