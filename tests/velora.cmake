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
