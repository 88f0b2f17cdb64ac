# The INI text engine and the INI store.
ampwise_add_test(settings_ini_test SOURCES QvIniTextTest.cpp QvIniFilesTest.cpp LIBS ampwise_settings)
