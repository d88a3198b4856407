# zel_library(NAME target ALIAS alias DIR folder SOURCES ... HEADERS ...)
# Declares one library of the project with its include root (the project folder, so
# includes read as <host/Component.h>) and its install rules.
function(zel_library)
  cmake_parse_arguments(Z "SHARED" "NAME;ALIAS;DIR" "SOURCES;HEADERS" ${ARGN})
  if(Z_SHARED)
    add_library(${Z_NAME} SHARED ${Z_SOURCES} ${Z_HEADERS})
  else()
    add_library(${Z_NAME} ${Z_SOURCES} ${Z_HEADERS})
  endif()
  add_library(zel::${Z_ALIAS} ALIAS ${Z_NAME})
  set_target_properties(${Z_NAME} PROPERTIES EXPORT_NAME ${Z_ALIAS})
  target_include_directories(${Z_NAME} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/zel>)
  install(TARGETS ${Z_NAME} EXPORT zelTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${Z_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zel/${Z_DIR})
endfunction()
