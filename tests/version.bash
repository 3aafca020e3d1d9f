# Shared by the end-to-end scripts of both programs (sourced).

# build_version BUILD_DIR: the version the build was made with ("1.1.355"), from the header that
# CMake generates out of project().
build_version() {
  local header="$1/include/petalstream_version/generated/version.h"
  [ -f "$header" ] || return 1
  sed -n 's/^#define PETALSTREAM_VERSION_\(MAJOR\|MINOR\|REVISION\) \([0-9]*\)$/\2/p' "$header" |
    paste -sd.
}
