# Building plug-ins for velora, the same in the SDK's own tree and in an
# outside project that found the installed package:
#
#   lysdk_add_plugin(<name> SOURCES <file>...
#                    [OUTPUT_DIRECTORY <dir>]      where the build puts it
#                    [INSTALL_DESTINATION <dir>]   default: the plug-in folder
#                    [NO_INSTALL])
#
# makes <name>.so, a MODULE library linked to lysdk::lysdk, compiled with
# hidden visibility (only what LYSDK_PLUGIN exports is seen) and linked with
# --no-undefined (a symbol the SDK does not export fails the link rather
# than the load). It installs into LYSDK_PLUGIN_INSTALL_DIR below the
# project's install prefix, the folder velora searches below its own prefix.
#
#   lysdk_add_plugin_test(<name> PLUGIN <plugin target> SOURCES <file>...)
#
# makes a GoogleTest program linked to lysdk::testing (find the package
# with COMPONENTS testing) in which LYSDK_TEST_PLUGIN is the path of the
# built plug-in, and registers its tests with CTest.

if(NOT DEFINED LYSDK_PLUGIN_INSTALL_DIR)
  set(LYSDK_PLUGIN_INSTALL_DIR lib/velora/plugins)
endif()

# Linking with --no-undefined needs every runtime a module uses to be a
# shared library it links; clang's sanitizer runtimes live in the program
# instead.
function(_lysdk_plugin_link_options out)
  if(DEFINED LYSDK_PLUGIN_LINK_OPTIONS)
    set(${out} "${LYSDK_PLUGIN_LINK_OPTIONS}" PARENT_SCOPE)
  elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND
         "${CMAKE_CXX_FLAGS} ${CMAKE_MODULE_LINKER_FLAGS}" MATCHES "-fsanitize")
    set(${out} "" PARENT_SCOPE)
  else()
    set(${out} "LINKER:--no-undefined" PARENT_SCOPE)
  endif()
endfunction()

function(lysdk_add_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 _plugin "NO_INSTALL" "OUTPUT_DIRECTORY;INSTALL_DESTINATION"
                        "SOURCES")
  if(NOT _plugin_SOURCES)
    message(FATAL_ERROR "lysdk_add_plugin(${name}): give the plug-in's SOURCES")
  endif()
  if(_plugin_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "lysdk_add_plugin(${name}): unknown arguments ${_plugin_UNPARSED_ARGUMENTS}")
  endif()
  add_library(${name} MODULE ${_plugin_SOURCES})
  target_link_libraries(${name} PRIVATE lysdk::lysdk)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  _lysdk_plugin_link_options(_link)
  if(_link)
    target_link_options(${name} PRIVATE ${_link})
  endif()
  if(_plugin_OUTPUT_DIRECTORY)
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${_plugin_OUTPUT_DIRECTORY})
  elseif(DEFINED LYSDK_PLUGIN_OUTPUT_DIR)
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${LYSDK_PLUGIN_OUTPUT_DIR})
  endif()
  if(NOT _plugin_NO_INSTALL)
    if(NOT _plugin_INSTALL_DESTINATION)
      set(_plugin_INSTALL_DESTINATION ${LYSDK_PLUGIN_INSTALL_DIR})
    endif()
    install(TARGETS ${name} LIBRARY DESTINATION ${_plugin_INSTALL_DESTINATION})
  endif()
endfunction()

function(lysdk_add_plugin_test name)
  cmake_parse_arguments(PARSE_ARGV 1 _test "" "PLUGIN" "SOURCES")
  if(NOT _test_PLUGIN OR NOT _test_SOURCES)
    message(FATAL_ERROR "lysdk_add_plugin_test(${name}): give the PLUGIN target and the SOURCES")
  endif()
  if(NOT TARGET lysdk::testing)
    message(FATAL_ERROR "lysdk_add_plugin_test(${name}): lysdk::testing is missing; "
                        "find the package with COMPONENTS testing")
  endif()
  add_executable(${name} ${_test_SOURCES})
  target_link_libraries(${name} PRIVATE lysdk::testing)
  target_compile_definitions(${name} PRIVATE LYSDK_TEST_PLUGIN="$<TARGET_FILE:${_test_PLUGIN}>")
  add_dependencies(${name} ${_test_PLUGIN})
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()
