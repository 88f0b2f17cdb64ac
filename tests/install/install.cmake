# The package, installed into a clean root folder and used there as a person would.
if(NOT AMPWISE_SANITIZE)
  add_test(NAME install_clean_system
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/clean_install_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install_clean_system PROPERTIES
    SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL TRUE LABELS install)
endif()
