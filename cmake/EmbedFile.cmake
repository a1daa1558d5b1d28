# Turns a binary file into a C++ array at build time, so the program needs no file at run time.
# Run as: cmake -DINPUT=... -DOUTPUT=... -DSYMBOL=... -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"vorthane/assets.hpp\"\n\n"
  "namespace assets {\n"
  "alignas(4) const std::uint8_t ${SYMBOL}[${size}] = {\n${bytes}\n};\n"
  "}  // namespace assets\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
