# Install rules and the package configuration that plug-in projects use:
#   find_package(lysdk CONFIG REQUIRED)
#   lysdk_add_plugin(myplugin SOURCES plugin.cpp)
include(CMakePackageConfigHelpers)

set(LYSDK_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lysdk)

install(TARGETS lysdk lyiface velora_core velora_scenefile
  EXPORT lysdkTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT lysdkTargets NAMESPACE lysdk:: DESTINATION ${LYSDK_CMAKE_INSTALL_DIR})

if(TARGET lysdk_testing)
  install(TARGETS lysdk_testing EXPORT lysdkTestingTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT lysdkTestingTargets NAMESPACE lysdk:: DESTINATION ${LYSDK_CMAKE_INSTALL_DIR})
endif()

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/lysdkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/lysdkConfig.cmake
  INSTALL_DESTINATION ${LYSDK_CMAKE_INSTALL_DIR}
  PATH_VARS LYSDK_PLUGIN_INSTALL_DIR LYSDK_SAMPLES_INSTALL_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lysdkConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/lysdkConfig.cmake
  ${PROJECT_BINARY_DIR}/lysdkConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/LysdkPlugin.cmake
  DESTINATION ${LYSDK_CMAKE_INSTALL_DIR})
