# Writes OUTPUT, a C++ source defining the bytes of INPUT as
# `extern const unsigned char NAME[]` and their count as `extern const unsigned NAME##Size`.
# cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P EmbedFile.cmake
cmake_minimum_required(VERSION 3.25)
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
    "// Made by the build from ${INPUT}; not to be edited.\n"
    "extern const unsigned char ${NAME}[] = {\n    ${bytes}\n};\n"
    "extern const unsigned ${NAME}Size = ${size};\n")
