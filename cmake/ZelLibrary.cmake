# zel_library(NAME target ALIAS alias DIR folder SOURCES ... HEADERS ... [PRIVATE_HEADERS ...])
# Declares one library of the project with its install rules. Sources include the project's
# headers as "zel/<folder>/<header>", in the build tree (through a link named zel to the
# source tree) as after installation, so an installed header reads exactly as it did here.
# HEADERS are the public interface and are installed; PRIVATE_HEADERS are not.
function(zel_library)
  cmake_parse_arguments(Z "SHARED" "NAME;ALIAS;DIR" "SOURCES;HEADERS;PRIVATE_HEADERS" ${ARGN})
  if(Z_SHARED)
    add_library(${Z_NAME} SHARED ${Z_SOURCES} ${Z_HEADERS} ${Z_PRIVATE_HEADERS})
  else()
    add_library(${Z_NAME} ${Z_SOURCES} ${Z_HEADERS} ${Z_PRIVATE_HEADERS})
  endif()
  add_library(zel::${Z_ALIAS} ALIAS ${Z_NAME})
  set_target_properties(${Z_NAME} PROPERTIES EXPORT_NAME ${Z_ALIAS}
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
  # The installed headers need C++20: a consumer gets it from the target, not by hand.
  target_compile_features(${Z_NAME} PUBLIC cxx_std_20)
  target_include_directories(${Z_NAME} PUBLIC
    $<BUILD_INTERFACE:${ZEL_INCLUDE_ROOT}>
    $<BUILD_INTERFACE:${ZEL_COMPAT_ROOT}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  install(TARGETS ${Z_NAME} EXPORT zelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  foreach(header ${Z_HEADERS}) # a header in a sub-folder is installed in that sub-folder
    get_filename_component(sub ${header} DIRECTORY)
    install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zel/${Z_DIR}/${sub})
  endforeach()
endfunction()

# zel_forward_headers(DIR host HEADERS core/Component.h ...)
# Keeps the include path a header had before it moved into a sub-folder: zel/DIR/Name.h
# forwards to zel/DIR/sub/Name.h, in the build tree and installed.
function(zel_forward_headers)
  cmake_parse_arguments(F "" "DIR" "HEADERS" ${ARGN})
  foreach(header ${F_HEADERS})
    get_filename_component(name ${header} NAME)
    set(forward ${ZEL_COMPAT_ROOT}/zel/${F_DIR}/${name})
    file(CONFIGURE OUTPUT ${forward} CONTENT
      "#pragma once\n// Moved to zel/${F_DIR}/${header}; this path keeps working.\n#include \"zel/${F_DIR}/${header}\"\n")
    install(FILES ${forward} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zel/${F_DIR})
  endforeach()
endfunction()

# zel_embed(OUTPUT file.cpp HEADER x/Embedded.h NAMESPACE ns FILES ...)
# Generates a source that holds the files' bytes, rebuilt when any of them changes.
function(zel_embed)
  cmake_parse_arguments(E "" "OUTPUT;HEADER;NAMESPACE" "FILES" ${ARGN})
  string(REPLACE ";" "|" list "${E_FILES}")
  add_custom_command(OUTPUT ${E_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${E_OUTPUT} -DINPUTS=${list} -DHEADER=${E_HEADER}
            -DNAMESPACE=${E_NAMESPACE} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    DEPENDS ${E_FILES} ${PROJECT_SOURCE_DIR}/cmake/EmbedFiles.cmake
    COMMENT "Embedding ${E_OUTPUT}"
    VERBATIM)
endfunction()
