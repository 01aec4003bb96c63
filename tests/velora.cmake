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
# same objects. Without the sample plug-ins its spring box cannot be made:
# it is reported and left out, and the rest of the relation stays.
add_test(NAME velora.scene_save
  COMMAND velora --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx
          --save ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_save PROPERTIES
  FIXTURES_SETUP velora_saved_scene
  PASS_REGULAR_EXPRESSION "'Box::Spring' is not opened: the registry entry 'DsxStorable/Boxes/Damped Spring' that makes its class is not loaded.*opened scene [^\n]*default.dsx: 6 objects, 13 properties, 1 skipped.*saved scene [^\n]*velora-saved.dsx: 6 objects, [0-9]+ properties")
add_test(NAME velora.scene_reopen
  COMMAND velora --no-default-plugins --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_reopen PROPERTIES
  FIXTURES_REQUIRED velora_saved_scene
  PASS_REGULAR_EXPRESSION "opened scene [^\n]*velora-saved.dsx: 6 objects, [0-9]+ properties, 0 skipped")
add_test(NAME velora.scene_corrupt
  COMMAND velora --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/README.md)
set_tests_properties(velora.scene_corrupt PROPERTIES
  PASS_REGULAR_EXPRESSION "cannot open scene [^\n]*README.md: ")

# The sample operator box is offered where relations look for operators.
add_test(NAME velora.spring_listed COMMAND velora --list-plugins)
set_tests_properties(velora.spring_listed PROPERTIES
  PASS_REGULAR_EXPRESSION "\nBoxes/Functions/Dynamics\n  Damped Spring  \"Follows its target like a mass on a damped spring\"  \\[[^\n]*spring.so\\]")
# Frames run the whole cycle; a bad count is refused.
add_test(NAME velora.frames
  COMMAND velora --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx --frames 12)
set_tests_properties(velora.frames PROPERTIES PASS_REGULAR_EXPRESSION "velora: evaluated 12 frames \\((tbb|std::thread), ")
add_test(NAME velora.frames_refused COMMAND velora --frames many)
set_tests_properties(velora.frames_refused PROPERTIES
  PASS_REGULAR_EXPRESSION "option --frames needs a count from 0 to 1000000, got 'many'")

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
  PASS_REGULAR_EXPRESSION "saved scene [^\n]*velora-main-job.dsx: 8 objects, 26 properties")
add_test(NAME velora.main_job_reopen
  COMMAND ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-main-job.dsx)
set_tests_properties(velora.main_job_reopen PROPERTIES
  FIXTURES_REQUIRED velora_main_job_scene
  PASS_REGULAR_EXPRESSION "hello: created Object::Greeter\nvelora: opened scene [^\n]*velora-main-job.dsx: 8 objects, 26 properties, 0 skipped")

# The main job plays the bundled scene: the relation's spring box (a plug-in
# box) is evaluated once per frame and drives the cube to the rig; saved and
# opened again, the relation comes back whole, wired, and evaluates again.
add_test(NAME velora.main_job_frames
  COMMAND ${_main_job} --scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx --frames 30
          --save ${CMAKE_CURRENT_BINARY_DIR}/velora-played.dsx)
set_tests_properties(velora.main_job_frames PROPERTIES
  FIXTURES_SETUP velora_played_scene
  PASS_REGULAR_EXPRESSION "evaluated 30 frames [^\n]*: 3 boxes in 1 groups\nvelora:   Cube Follows Rig/Rig \\(ModelPlaceholder\\): computed 30 times, Translation = 0 90 0\nvelora:   Cube Follows Rig/Spring \\(DampedSpringBox\\): computed 30 times, Result = 0 90 0\nvelora:   Cube Follows Rig/Cube \\(ModelPlaceholder\\): computed 30 times, Translation = 0 90 0")
add_test(NAME velora.main_job_frames_reopen
  COMMAND ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-played.dsx --frames 3)
set_tests_properties(velora.main_job_frames_reopen PROPERTIES
  FIXTURES_REQUIRED velora_played_scene
  PASS_REGULAR_EXPRESSION "opened scene [^\n]*velora-played.dsx: 7 objects, [0-9]+ properties, 0 skipped\nvelora: evaluated 3 frames [^\n]*: 3 boxes in 1 groups\nvelora:   Cube Follows Rig/Rig [^\n]*\nvelora:   Cube Follows Rig/Spring \\(DampedSpringBox\\): computed 3 times, Result = 0 90 0")
