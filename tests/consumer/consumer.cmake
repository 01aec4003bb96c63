# An outside plug-in project is built against the installed package and
# loaded: install, configure, build, load, as fixtures in that order.
set(_consumer_dir ${CMAKE_BINARY_DIR}/consumer)

add_executable(consumer_load ${CMAKE_CURRENT_LIST_DIR}/loader.cpp)
target_link_libraries(consumer_load PRIVATE velora_core ${CMAKE_DL_LIBS})

add_test(NAME consumer.install
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${_consumer_dir}/prefix)
set_tests_properties(consumer.install PROPERTIES FIXTURES_SETUP consumer_installed)

add_test(NAME consumer.configure
  COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/plugin -B ${_consumer_dir}/build
          -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${_consumer_dir}/prefix
          -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER})
set_tests_properties(consumer.configure PROPERTIES
  FIXTURES_REQUIRED consumer_installed FIXTURES_SETUP consumer_configured)

add_test(NAME consumer.build COMMAND ${CMAKE_COMMAND} --build ${_consumer_dir}/build)
set_tests_properties(consumer.build PROPERTIES
  FIXTURES_REQUIRED consumer_configured FIXTURES_SETUP consumer_built)

add_test(NAME consumer.load
  COMMAND consumer_load ${_consumer_dir}/build/consumer_plugin.so)
set_tests_properties(consumer.load PROPERTIES FIXTURES_REQUIRED consumer_built)
