#!/bin/bash
# The code's layers, checked on the source tree:
#   - no conditional compilation anywhere in src/ (the platform is chosen by
#     CMake, which compiles one platform folder);
#   - the portable core (src/core and each program's folder) includes the
#     standard C++ library and the project's own headers only;
#   - a platform folder's files (src/platform/<platform>/...) are included
#     only from inside that folder.
#
#   check.sh SRC-FOLDER     prints each breach and fails when there is one
#   check.sh --self-test    plants one breach of each kind in a scratch tree
#                           and fails unless each is reported
set -u

# The headers of the C++20 standard library, with the C library's <cxxx> forms.
STANDARD=" algorithm any array atomic barrier bit bitset charconv chrono compare complex concepts
 condition_variable coroutine deque exception execution filesystem format forward_list fstream functional
 future initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map memory
 memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex scoped_allocator
 semaphore set shared_mutex source_location span sstream stack stdexcept stop_token streambuf string
 string_view syncstream system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set
 utility valarray variant vector version cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath
 csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype "
STANDARD=" $(echo $STANDARD) "

check() {
    local src=$1 breaches=0 file line header owner
    while IFS= read -r line; do
        echo "conditional compilation: $line"
        breaches=$((breaches + 1))
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*(if|ifdef|ifndef|elif|elifdef|elifndef)\b' "$src")

    while IFS=: read -r file _ header; do
        header=${header#*<}
        header=${header%%>*}
        [[ $STANDARD == *" $header "* ]] && continue
        echo "system header in the portable core: ${file#"$src"/} includes <$header>"
        breaches=$((breaches + 1))
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<' \
                 "$src/core" "$src/changer" "$src/settings_tool" "$src/uninstaller")

    while IFS=: read -r file _ header; do
        owner=$(sed -E 's|.*"platform/([^/"]+)/.*|\1|' <<<"$header")
        [[ ${file#"$src"/} == platform/$owner/* ]] && continue
        echo "platform folder reached from outside: ${file#"$src"/} includes ${header#*#include }"
        breaches=$((breaches + 1))
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"platform/[^/"]+/' "$src")

    ((breaches == 0))
}

self_test() {
    local failed=0 kind
    scratch=$(mktemp -d) || exit 1
    trap 'rm -rf "$scratch"' EXIT
    mkdir -p "$scratch"/{core/pure,changer,settings_tool,uninstaller,platform/linux}
    printf '#include <string>\n#include "platform/files.h"\n' >"$scratch/core/pure/clean.cpp"
    printf '#include "platform/linux/own.h"\n' >"$scratch/platform/linux/own.cpp"
    check "$scratch" >/dev/null || { echo "self-test: a clean tree was refused"; failed=1; }
    for kind in conditional system-header platform-include; do
        case $kind in
        conditional) printf '#ifdef _WIN32\n#endif\n' >"$scratch/platform/linux/planted.cpp" ;;
        system-header) printf '#include <unistd.h>\n' >"$scratch/changer/planted.cpp" ;;
        platform-include) printf '#include "platform/linux/own.h"\n' >"$scratch/settings_tool/planted.cpp" ;;
        esac
        check "$scratch" >/dev/null && { echo "self-test: a planted $kind breach passed"; failed=1; }
        rm -f "$scratch"/*/planted.cpp "$scratch"/*/*/planted.cpp
    done
    return $failed
}

case ${1:?usage: check.sh SRC-FOLDER | --self-test} in
--self-test) self_test ;;
*) check "$1" ;;
esac
