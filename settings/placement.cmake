# Window placement needs widgets, so it lives in a library of its own beside the pure one.
ampwise_qt_library(ampwise_settings_qt QvFormPlacement.cpp)
target_link_libraries(ampwise_settings_qt PUBLIC ampwise_settings Qt6::Widgets)
