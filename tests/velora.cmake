# The velora program, run as a user runs it.
add_test(NAME velora.list_classes COMMAND velora --list-classes)
# The SDK's host classes appear once the program has loaded the library.
set_tests_properties(velora.list_classes PROPERTIES
  PASS_REGULAR_EXPRESSION "LySDKHostObject : Object.*__LyTool : ToolWindow")

add_test(NAME velora.version COMMAND velora --version)
set_tests_properties(velora.version PROPERTIES
  PASS_REGULAR_EXPRESSION "velora ${PROJECT_VERSION}, lysdk ${PROJECT_VERSION}")

# Bad arguments end the program with a message and a non-zero status.
add_test(NAME velora.bad_argument COMMAND velora --no-such-option)
set_tests_properties(velora.bad_argument PROPERTIES WILL_FAIL TRUE)
add_test(NAME velora.bad_argument_message COMMAND velora --no-such-option)
set_tests_properties(velora.bad_argument_message PROPERTIES
  PASS_REGULAR_EXPRESSION "unknown argument '--no-such-option'")
add_test(NAME velora.missing_sdk COMMAND velora --sdk /nonexistent/liblysdk.so)
set_tests_properties(velora.missing_sdk PROPERTIES
  PASS_REGULAR_EXPRESSION "cannot load the SDK library '/nonexistent/liblysdk.so'")

# The bundled scene opens, saves, and the saved file opens again with the
# same objects.
add_test(NAME velora.scene_save
  COMMAND velora --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx
          --save ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_save PROPERTIES
  FIXTURES_SETUP velora_saved_scene
  PASS_REGULAR_EXPRESSION "opened scene [^\n]*default.dsx: 3 objects, 8 properties, 0 skipped.*saved scene [^\n]*velora-saved.dsx: 3 objects, [0-9]+ properties")
add_test(NAME velora.scene_reopen
  COMMAND velora --no-default-plugins --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_reopen PROPERTIES
  FIXTURES_REQUIRED velora_saved_scene
  PASS_REGULAR_EXPRESSION "opened scene [^\n]*velora-saved.dsx: 3 objects, [0-9]+ properties, 0 skipped")
add_test(NAME velora.scene_corrupt
  COMMAND velora --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/README.md)
set_tests_properties(velora.scene_corrupt PROPERTIES
  PASS_REGULAR_EXPRESSION "cannot open scene [^\n]*README.md: ")

# The main job's scene: the object it creates from the hello sample (a
# storable class) is saved with the scene, with its served property, and
# comes back as the sample's own class when the scene is opened again.
set(_main_job velora --no-default-plugins --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR})
add_test(NAME velora.main_job_save
  COMMAND ${_main_job} --scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx
          --create Browsing/Templates/Samples/Hello=Greeter
          --save ${CMAKE_CURRENT_BINARY_DIR}/velora-main-job.dsx)
set_tests_properties(velora.main_job_save PROPERTIES
  FIXTURES_SETUP velora_main_job_scene
  PASS_REGULAR_EXPRESSION "saved scene [^\n]*velora-main-job.dsx: 4 objects, 16 properties")
add_test(NAME velora.main_job_reopen
  COMMAND ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-main-job.dsx)
set_tests_properties(velora.main_job_reopen PROPERTIES
  FIXTURES_REQUIRED velora_main_job_scene
  PASS_REGULAR_EXPRESSION "hello: created Object::Greeter\nvelora: opened scene [^\n]*velora-main-job.dsx: 4 objects, 16 properties, 0 skipped")
