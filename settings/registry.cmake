# The settings store (REGEDIT4 file engine), folder variables and start-up steps: pure C++.
target_sources(ampwise_settings PRIVATE
  QvRegText.cpp
  QvRegFile.cpp
  QvRegistry.cpp
  QvStartup.cpp
)
