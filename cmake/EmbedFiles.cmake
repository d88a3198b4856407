# cmake -DOUTPUT=file.cpp -DINPUTS="a.bmp|b.bmp" -DHEADER=x/Embedded.h -DNAMESPACE=ns -P EmbedFiles.cmake
# Writes a C++ source defining `const std::vector<EmbeddedFile>& EmbeddedFiles()` in NAMESPACE,
# with each input's bytes keyed by its file name without extension.
string(REPLACE "|" ";" INPUTS "${INPUTS}")
set(body "// Generated at build time; do not edit.\n#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n\nconst std::vector<EmbeddedFile>& EmbeddedFiles() {\n    static const std::vector<EmbeddedFile> files{\n")
foreach(input IN LISTS INPUTS)
  get_filename_component(name "${input}" NAME_WE)
  file(READ "${input}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR bytes "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(APPEND body "        {\"${name}\", std::string(\"${escaped}\", ${bytes})},\n")
endforeach()
string(APPEND body "    };\n    return files;\n}\n\n} // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}" "${body}")
