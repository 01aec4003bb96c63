# The velora program, run as a user runs it (see common/expect_run.cmake).
set(_expect_run ${CMAKE_COMMAND} -P ${CMAKE_CURRENT_LIST_DIR}/common/expect_run.cmake)
set(_velora $<TARGET_FILE:velora>)
set(_scene ${PROJECT_SOURCE_DIR}/apps/velora/scenes/default.dsx)
set(_work ${CMAKE_CURRENT_BINARY_DIR}/velora-work)

add_test(NAME velora.list_classes COMMAND velora --list-classes)
# The SDK's host classes appear once the program has loaded the library.
set_tests_properties(velora.list_classes PROPERTIES
  PASS_REGULAR_EXPRESSION "LySDKHostObject : Object.*__LyTool : ToolWindow")

# --version answers without loading a plug-in or running the lifecycle.
add_test(NAME velora.version COMMAND ${_expect_run}
  EXPECT "velora ${PROJECT_VERSION}, lysdk ${PROJECT_VERSION}"
  REJECT "loaded plug-in|hello: "
  -- ${_velora} --version --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR})

# Bad arguments end the program with a message and status 2, before
# anything is loaded. An empty value is refused rather than taken to mean
# nothing.
foreach(case
    "unknown argument '--no-such-option'|--no-such-option"
    "--scene: needs a value, got an empty one|--scene ''"
    "--save: needs a value, got an empty one|--save ''"
    "--plugin-path: needs a value, got an empty one|--plugin-path ''"
    "--sdk: needs a value, got an empty one|--sdk ''"
    "--scene: 1 required FILE missing|--scene"
    "--binary requires --save|--binary"
    "--create: expected GROUP/ENTRY.=NAME., got 'Hello'|--create Hello"
    "--frames|--frames many"
    "--play: expected START:END in seconds, START below END, got '5:1'|--play 5:1"
    "--record|--record 0")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 _message)
  list(GET case 1 _arguments)
  string(MAKE_C_IDENTIFIER "${_arguments}" _id)
  add_test(NAME velora.bad_argument${_id} COMMAND ${_expect_run} STATUS 2
    EXPECT "${_message}" REJECT "loaded plug-in"
    -- SHELL "'$<TARGET_FILE:velora>' --plugin-path '${LYSDK_PLUGIN_OUTPUT_DIR}' ${_arguments}")
endforeach()

add_test(NAME velora.missing_sdk COMMAND ${_expect_run} STATUS 1
  EXPECT "cannot load the SDK library '/nonexistent/liblysdk.so'"
  -- ${_velora} --sdk /nonexistent/liblysdk.so)
# A library that is not the SDK (it answers no version) is refused: with it,
# the plug-ins' version check would be off.
add_test(NAME velora.not_the_sdk COMMAND ${_expect_run} STATUS 1
  EXPECT "'[^']*velora-core[^']*' is not the lysdk library: it does not answer LySdkVersion"
  REJECT "loaded plug-in"
  -- ${_velora} --sdk $<TARGET_FILE:velora_core>)

# The bundled scene opens, saves, and the saved file opens again with the
# same objects (and the take that holds the tail's animation). Without the sample plug-ins its relation's spring box cannot
# be made: it is reported and left out, and the rest of the relation stays.
add_test(NAME velora.scene_save COMMAND ${_expect_run}
  EXPECT "'Box::Spring' is not opened: the registry entry 'DsxStorable/Boxes/Damped Spring' that makes its class is not loaded"
  EXPECT "'Constraint::Arm IK' is not opened: the registry entry 'DsxStorable/Constraint/Two-Bone IK' that makes its class is not loaded"
  EXPECT "'Device::Arm Capture' is not opened: the registry entry 'DsxStorable/Devices/Motion Stream' that makes its class is not loaded"
  EXPECT "opened scene [^\n]*default.dsx: 16 objects, [0-9]+ properties, 3 skipped"
  EXPECT "saved scene [^\n]*velora-saved.dsx: 17 objects, [0-9]+ properties"
  -- ${_velora} --no-default-plugins --scene ${_scene} --save ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_save PROPERTIES FIXTURES_SETUP velora_saved_scene)
add_test(NAME velora.scene_reopen COMMAND ${_expect_run}
  EXPECT "opened scene [^\n]*velora-saved.dsx: 17 objects, [0-9]+ properties, 0 skipped"
  -- ${_velora} --no-default-plugins --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-saved.dsx)
set_tests_properties(velora.scene_reopen PROPERTIES FIXTURES_REQUIRED velora_saved_scene)
add_test(NAME velora.scene_corrupt COMMAND ${_expect_run} STATUS 1
  EXPECT "cannot open scene [^\n]*README.md: "
  -- ${_velora} --no-default-plugins --scene ${PROJECT_SOURCE_DIR}/README.md)

# Actions run in command-line order, and a plug-in hears each scene opened.
add_test(NAME velora.action_order COMMAND ${_expect_run}
  EXPECT "hello: library ready"
  EXPECT "created Object::First "
  EXPECT "hello: a scene was opened"
  EXPECT "opened scene [^\n]*default.dsx"
  EXPECT "saved scene [^\n]*ordered.dsx: [0-9]+ objects"
  EXPECT "created Object::Second "
  -- ${_velora} --no-default-plugins --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR}
     --create Browsing/Templates/Samples/Hello=First --scene ${_scene}
     --save ${CMAKE_CURRENT_BINARY_DIR}/ordered.dsx --create Browsing/Templates/Samples/Hello=Second)

# Hostile scene paths and save targets: a FIFO without a writer, devices and
# links to them are refused with the reason and left as they are; nothing
# hangs.
add_test(NAME velora.hostile_files_setup COMMAND sh -c
  "rm -rf '${_work}' && mkdir -p '${_work}' && cd '${_work}' && mkfifo fifo.dsx &&
   ln -s /dev/null null-link.dsx")
set_tests_properties(velora.hostile_files_setup PROPERTIES FIXTURES_SETUP velora_hostile_files)
set(_hostile_tests)
foreach(case
    "--scene|${_work}/fifo.dsx|cannot open scene [^\n]*fifo.dsx: [^\n]*not a regular file .a FIFO."
    "--save|${_work}/fifo.dsx|cannot save scene [^\n]*fifo.dsx: [^\n]*it is a FIFO, not a regular file"
    "--save|/dev/null|cannot save scene /dev/null: [^\n]*it is a character device, not a regular file"
    "--save|/dev/full|cannot save scene /dev/full: [^\n]*it is a character device, not a regular file"
    "--save|${_work}/null-link.dsx|cannot save scene [^\n]*null-link.dsx: [^\n]*character device")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 _option)
  list(GET case 1 _path)
  list(GET case 2 _message)
  get_filename_component(_name "${_path}" NAME)
  string(MAKE_C_IDENTIFIER "${_option}_${_name}" _id)
  list(APPEND _hostile_tests velora.hostile${_id})
  add_test(NAME velora.hostile${_id} COMMAND ${_expect_run} STATUS 1 TIMEOUT 30
    EXPECT "${_message}"
    -- ${_velora} --no-default-plugins ${_option} ${_path})
  set_tests_properties(velora.hostile${_id} PROPERTIES FIXTURES_REQUIRED velora_hostile_files)
endforeach()
add_test(NAME velora.hostile_files_kept COMMAND sh -c
  "test -p '${_work}/fifo.dsx' && test -L '${_work}/null-link.dsx' && test -c /dev/null && test -c /dev/full")
set_tests_properties(velora.hostile_files_kept PROPERTIES
  FIXTURES_REQUIRED velora_hostile_files DEPENDS "${_hostile_tests}")

# The main job's scene: the object it creates from the hello sample (a
# storable class) is saved with the scene, with its served property, and
# comes back as the sample's own class when the scene is opened again.
set(_main_job ${_velora} --no-default-plugins --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR})
add_test(NAME velora.main_job_save COMMAND ${_expect_run}
  EXPECT "saved scene [^\n]*velora-main-job.dsx: 21 objects, [0-9]+ properties"
  -- ${_main_job} --scene ${_scene} --create Browsing/Templates/Samples/Hello=Greeter
     --save ${CMAKE_CURRENT_BINARY_DIR}/velora-main-job.dsx)
set_tests_properties(velora.main_job_save PROPERTIES FIXTURES_SETUP velora_main_job_scene)
add_test(NAME velora.main_job_reopen COMMAND ${_expect_run}
  EXPECT "hello: created Object::Greeter\n"
  EXPECT "velora: opened scene [^\n]*velora-main-job.dsx: 21 objects, [0-9]+ properties, 0 skipped"
  -- ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-main-job.dsx)
set_tests_properties(velora.main_job_reopen PROPERTIES FIXTURES_REQUIRED velora_main_job_scene)

# The sample operator box is offered where relations look for operators.
add_test(NAME velora.spring_listed COMMAND ${_expect_run}
  EXPECT "\nBoxes/Functions/Dynamics\n  Damped Spring  \"Follows its target like a mass on a damped spring\"  \\[[^\n]*spring.so\\]"
  -- ${_velora} --no-default-plugins --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR} --list-plugins)

# The main job plays the bundled scene: the relation's spring box (a plug-in
# box) is evaluated once per frame and drives the cube to the rig, and the
# two-bone IK sample (a plug-in constraint) bends the arm chain so that the
# wrist reaches its target; the tail's two animated bones turn 29 degrees
# each by the last frame (the tip at 0, 100 + 10 sin 29 + 10 sin 58,
# -40 - 10 cos 29 - 10 cos 58) and the orbit path turns with them; saved and opened again, the relation and the
# constraint come back whole, wired and referencing, and evaluate again.
add_test(NAME velora.main_job_frames COMMAND ${_expect_run}
  EXPECT "evaluated 30 frames [^\n]*: 3 boxes in 1 groups, 1 constraints"
  EXPECT "constraint Arm IK .TwoBoneIK, active.\n[^\n]*Chain Root: Shoulder at 0 150 0\n[^\n]*Middle: Elbow at [^\n]*\n[^\n]*End: Wrist at 40 130 20\n"
  EXPECT "skeleton Tail Root .3 bones in its first chain.: Tail Tip at 0 113.3 -54.05\n[^\n]*path Tail Orbit .4 keys, length [0-9.]+.: half way at [-0-9.e]+ [-0-9.e]+ [-0-9.e]+\n"
  EXPECT "Cube Follows Rig/Rig .ModelPlaceholder.: computed 30 times, Translation = 0 90 0"
  EXPECT "Cube Follows Rig/Spring .DampedSpringBox.: computed 30 times, Result = 0 90 0"
  EXPECT "Cube Follows Rig/Cube .ModelPlaceholder.: computed 30 times, Translation = 0 90 0"
  EXPECT "saved scene [^\n]*velora-played.dsx: 20 objects"
  -- ${_main_job} --scene ${_scene} --frames 30 --save ${CMAKE_CURRENT_BINARY_DIR}/velora-played.dsx)
set_tests_properties(velora.main_job_frames PROPERTIES FIXTURES_SETUP velora_played_scene)
add_test(NAME velora.main_job_frames_reopen COMMAND ${_expect_run}
  EXPECT "opened scene [^\n]*velora-played.dsx: 20 objects, [0-9]+ properties, 0 skipped"
  EXPECT "evaluated 3 frames [^\n]*: 3 boxes in 1 groups, 1 constraints"
  EXPECT "End: Wrist at 40 130 20\n"
  EXPECT "Cube Follows Rig/Spring .DampedSpringBox.: computed 3 times, Result = 0 90 0"
  REJECT "warning|not opened|failed"
  -- ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-played.dsx --frames 3)
set_tests_properties(velora.main_job_frames_reopen PROPERTIES FIXTURES_REQUIRED velora_played_scene)

# The sample device is offered where the host lists devices, and is storable.
add_test(NAME velora.motion_stream_listed COMMAND ${_expect_run}
  EXPECT "\nDevices/Motion Capture\n  Motion Stream  \"Streams a BVH motion-capture file live, frame by frame\"  \\[[^\n]*motion_stream.so\\]"
  EXPECT "\nDsxStorable/Devices\n  Motion Stream"
  -- ${_velora} --no-default-plugins --plugin-path ${LYSDK_PLUGIN_OUTPUT_DIR} --list-plugins)

# The workflow: the device records a second into a new take (beside the
# scene's first take, which holds the tail's animation), the IK arm is
# plotted into it, the take plays back and its curves are drawn; the take
# is saved with its keys and opened again, with the device.
add_test(NAME velora.workflow COMMAND ${_expect_run}
  EXPECT "take Arm Capture .new."
  EXPECT "recorded 1 s from 1 device.s. into take Arm Capture: [1-9][0-9]+ keys"
  EXPECT "plotted 5 models of take Arm Capture over 3[12] frames: [1-9][0-9]+ keys"
  EXPECT "played 0 s to 1 s: 31 frames"
  EXPECT "drew the curves of take Arm Capture into [^\n]*workflow.png"
  EXPECT "saved scene [^\n]*velora-workflow.dsx: 21 objects"
  EXPECT "summary: 2 take.s., [1-9][0-9]+ keys written, 9[0-9] frames evaluated, [0-9.]+x real time"
  REJECT "warning|not opened|failed|not saved"
  -- ${_main_job} --scene ${_scene} --fps 30 --take "Arm Capture" --record 1 --plot --play 0:1
     --curves-png ${CMAKE_CURRENT_BINARY_DIR}/workflow.png --save ${CMAKE_CURRENT_BINARY_DIR}/velora-workflow.dsx)
set_tests_properties(velora.workflow PROPERTIES FIXTURES_SETUP velora_workflow_scene)
add_test(NAME velora.workflow_reopen COMMAND ${_expect_run}
  EXPECT "opened scene [^\n]*velora-workflow.dsx: 21 objects, [0-9]+ properties, 0 skipped"
  EXPECT "take Arm Capture\n"
  EXPECT "played 0 s to 1 s: 31 frames"
  REJECT "warning|not opened|failed|\\(new\\)"
  -- ${_main_job} --scene ${CMAKE_CURRENT_BINARY_DIR}/velora-workflow.dsx --take "Arm Capture" --play 0:1)
set_tests_properties(velora.workflow_reopen PROPERTIES FIXTURES_REQUIRED velora_workflow_scene)
