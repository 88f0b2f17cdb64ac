# Settings store, folders and start-up steps (pure), and window placement (offscreen widgets).
ampwise_add_test(settings_regfile_test SOURCES QvRegFileTest.cpp LIBS ampwise_settings)
ampwise_add_test(settings_registry_test SOURCES QvRegistryTest.cpp LIBS ampwise_settings)
ampwise_add_test(settings_apppath_test SOURCES QvApplicationPathTest.cpp LIBS ampwise_settings)
ampwise_add_test(settings_placement_test SOURCES QvFormPlacementTest.cpp
  LIBS ampwise_settings_qt QT)
