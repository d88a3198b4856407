# cmake -DOUTPUT=file.cpp -DINPUTS="a.bmp|b.bmp" -P EmbedFiles.cmake
# Writes a C++ source with each input's bytes, keyed by its file name without extension.
set(body "// Generated from the files in package/bitmaps; do not edit.\n#include \"package/EmbeddedFiles.h\"\n\nnamespace zel::package {\n\nconst std::vector<EmbeddedFile>& EmbeddedFiles() {\n    static const std::vector<EmbeddedFile> files{\n")
string(REPLACE "|" ";" INPUTS "${INPUTS}")
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME_WE)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(APPEND body "        {\"${name}\", std::string(\"${escaped}\", ${bytes})},\n")
endforeach()
string(APPEND body "    };\n    return files;\n}\n\n} // namespace zel::package\n")
file(WRITE "${OUTPUT}" "${body}")
