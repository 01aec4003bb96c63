# Install rules and the package configuration that plug-in projects use:
#   find_package(lysdk CONFIG REQUIRED)
#   target_link_libraries(myplugin PRIVATE lysdk::lysdk)
include(CMakePackageConfigHelpers)

install(TARGETS lysdk lyiface velora_core velora_scenefile
  EXPORT lysdkTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT lysdkTargets
  NAMESPACE lysdk::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/lysdk)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/lysdkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/lysdkConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/lysdk)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lysdkConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMinorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/lysdkConfig.cmake
  ${PROJECT_BINARY_DIR}/lysdkConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/lysdk)
