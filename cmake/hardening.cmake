# The hardening Debian gives its programs (dpkg-buildflags, with the stack clash
# and branch protections that Debian 13 adds by default), for every Linux build;
# the package stage checks the result with lintian and hardening-check. Not for
# the sanitizer and fuzzing builds, whose own instrumentation is what they are
# for, nor for Windows.
if(WIN32 OR KESTREL_SANITIZE OR KESTREL_FUZZ)
  return()
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -fstack-clash-protection)
# The checked versions of the C library's functions need optimisation, which a
# Debug build and a build without a type have not. Some compilers define
# _FORTIFY_SOURCE themselves (Ubuntu's, as 3): ours replaces theirs.
add_compile_options(
  "$<$<OR:$<CONFIG:Release>,$<CONFIG:RelWithDebInfo>,$<CONFIG:MinSizeRel>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
  add_compile_options(-fcf-protection)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64)$")
  add_compile_options(-mbranch-protection=standard)
endif()
add_link_options(-Wl,-z,relro,-z,now)
