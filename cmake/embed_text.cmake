# Writes OUT, a C++ source defining vestral::NAME as the text of the file IN, so that the
# program carries its data instead of reading a folder at start-up.
# Usage: cmake -DIN=file -DOUT=file.cpp -DNAME=kName -P embed_text.cmake
file(READ "${IN}" text)
string(FIND "${text}" ")embedded\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN}: holds )embedded\", which would end the embedded text")
endif()
file(WRITE "${OUT}" "// Generated from ${IN} by cmake/embed_text.cmake; edit that file instead.
#include <string_view>
namespace vestral {
extern const std::string_view ${NAME};
const std::string_view ${NAME} = R\"embedded(${text})embedded\";
}  // namespace vestral
")
