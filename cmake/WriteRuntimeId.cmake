# Writes a header naming the build of the browser runtime library: the first
# 16 hex digits of its SHA-256. Called as a build step after the library links.
file(SHA256 "${INPUT}" hash)
string(SUBSTRING "${hash}" 0 16 id)
set(content "// Generated at build time: identity of the browser runtime library.\n#pragma once\n#define ZEL_RUNTIME_ID \"${id}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL content)
  file(WRITE "${OUTPUT}" "${content}")
endif()
