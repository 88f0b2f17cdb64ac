# Tests of the built program and its application object.
ampwise_add_test(QvAppTest SOURCES QvAppTest.cpp LIBS ampwise_app ampwise_support)
add_dependencies(QvAppTest Ampwise)
target_compile_definitions(QvAppTest PRIVATE
  AMPWISE_EXE="$<TARGET_FILE:Ampwise>"
  AMPWISE_HELP="${AMPWISE_APP_DIR}/Help/Index.htm")
