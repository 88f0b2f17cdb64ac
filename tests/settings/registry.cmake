# Settings store, folders and start-up steps (pure), and window placement (offscreen widgets).
ampwise_add_test(settings_regfile_test SOURCES QvRegFileTest.cpp LIBS ampwise_settings)
ampwise_add_test(settings_registry_test SOURCES QvRegistryTest.cpp LIBS ampwise_settings)
ampwise_add_test(settings_apppath_test SOURCES QvApplicationPathTest.cpp LIBS ampwise_settings)
# A program whose file the path test replaces while it runs.
add_executable(ampwise_test_pathreporter PathReporter.cpp)
ampwise_target_defaults(ampwise_test_pathreporter)
target_link_libraries(ampwise_test_pathreporter PRIVATE ampwise_settings)
add_dependencies(settings_apppath_test ampwise_test_pathreporter)
target_compile_definitions(settings_apppath_test PRIVATE
  QV_PATH_REPORTER="$<TARGET_FILE:ampwise_test_pathreporter>")
ampwise_add_test(settings_placement_test SOURCES QvFormPlacementTest.cpp
  LIBS ampwise_settings_qt QT)
