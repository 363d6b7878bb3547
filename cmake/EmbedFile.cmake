# Writes a C++ source that holds the bytes of INPUT as zel::resources::<NAME>.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\n#include <string_view>\nnamespace zel::resources {\nstatic const unsigned char kData[] = {\n${bytes}0};\nextern const std::string_view ${NAME}(reinterpret_cast<const char*>(kData), ${size});\n}\n")
