# The pure half of the units library: catalogue, conversion and number text. No Qt.
ampwise_pure_library(ampwise_units
  QvUnitTables.cpp
  QvConv.cpp
  QvFormat.cpp
)
target_link_libraries(ampwise_units PUBLIC ampwise_settings)
