# Outside projects built against the installed package, as fixtures in this
# order: install; configure, build and load a plug-in (with g++ and, when
# there, clang++, every warning an error); configure and build the installed
# sample, run its own unit test (lysdk::testing) and load it in the
# installed velora.
set(_consumer_dir ${CMAKE_BINARY_DIR}/consumer)
set(_prefix ${_consumer_dir}/prefix)
set(_expect_run ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_LIST_DIR}/../common/expect_run.cmake)
# An instrumented SDK needs the outside programs instrumented the same way.
set(_outside_flags "")
if(LYSDK_SANITIZE)
  set(_outside_flags "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer")
endif()

add_executable(consumer_load ${CMAKE_CURRENT_LIST_DIR}/loader.cpp)
target_link_libraries(consumer_load PRIVATE velora_core ${CMAKE_DL_LIBS})

add_test(NAME consumer.install COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${_prefix})
set_tests_properties(consumer.install PROPERTIES FIXTURES_SETUP consumer_installed)

set(_compilers gcc ${CMAKE_CXX_COMPILER})
find_program(LYSDK_CLANGXX clang++)
if(LYSDK_CLANGXX)
  list(APPEND _compilers clang ${LYSDK_CLANGXX})
endif()
while(_compilers)
  list(POP_FRONT _compilers _name _compiler)
  set(_build ${_consumer_dir}/build-${_name})
  add_test(NAME consumer.configure_${_name}
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/plugin -B ${_build} -G Ninja
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${_prefix}
            -DCMAKE_CXX_COMPILER=${_compiler} -DLYSDK_GUIDE=${PROJECT_SOURCE_DIR}/docs/guide.md)
  set_tests_properties(consumer.configure_${_name} PROPERTIES
    FIXTURES_REQUIRED consumer_installed FIXTURES_SETUP consumer_configured_${_name})
  add_test(NAME consumer.build_${_name} COMMAND ${CMAKE_COMMAND} --build ${_build})
  set_tests_properties(consumer.build_${_name} PROPERTIES
    FIXTURES_REQUIRED consumer_configured_${_name} FIXTURES_SETUP consumer_built_${_name})
endwhile()

add_test(NAME consumer.load COMMAND consumer_load ${_consumer_dir}/build-gcc/consumer_plugin.so)
set_tests_properties(consumer.load PROPERTIES FIXTURES_REQUIRED consumer_built_gcc)

# The installed sample, built from where it was installed.
set(_sample ${_consumer_dir}/sample-hello)
add_test(NAME sample.configure
  COMMAND ${CMAKE_COMMAND} -S ${_prefix}/${LYSDK_SAMPLES_INSTALL_DIR}/hello -B ${_sample} -G Ninja
          -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${_prefix}
          -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER} "-DCMAKE_CXX_FLAGS=${_outside_flags}")
set_tests_properties(sample.configure PROPERTIES
  FIXTURES_REQUIRED consumer_installed FIXTURES_SETUP sample_configured)
add_test(NAME sample.build COMMAND ${CMAKE_COMMAND} --build ${_sample})
set_tests_properties(sample.build PROPERTIES
  FIXTURES_REQUIRED sample_configured FIXTURES_SETUP sample_built)
add_test(NAME sample.unit_test COMMAND ${_expect_run}
  EXPECT "100% tests passed, 0 tests failed out of [1-9]"
  -- ${CMAKE_CTEST_COMMAND} --test-dir ${_sample} --output-on-failure)
set_tests_properties(sample.unit_test PROPERTIES FIXTURES_REQUIRED sample_built)
add_test(NAME sample.velora COMMAND ${_expect_run}
  EXPECT "loaded plug-in ${_sample}/hello.so"
  EXPECT "created Object::Hello \\(LySDKHostObject, extension class HelloComponent\\)"
  -- ${_prefix}/bin/velora --no-default-plugins --plugin-path ${_sample}
     --create Browsing/Templates/Samples/Hello)
set_tests_properties(sample.velora PROPERTIES FIXTURES_REQUIRED sample_built)
