# The cable sizing core: pure C++, no Qt.
ampwise_pure_library(ampwise_core QvAmpwise.cpp QvCableSizes.cpp)
target_link_libraries(ampwise_core PUBLIC ampwise_settings ampwise_units)
