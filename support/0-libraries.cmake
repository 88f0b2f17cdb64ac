# The support libraries: ampwise_support is plain C++ (version block reader, shared blocks, message
# pool sockets, program table); ampwise_support_qt holds the About box and the Tools menu runner.
# The concerns add their sources in verinfo.cmake, about.cmake and tools.cmake.
ampwise_pure_library(ampwise_support)
target_link_libraries(ampwise_support PUBLIC ampwise_settings)

ampwise_qt_library(ampwise_support_qt)
target_link_libraries(ampwise_support_qt PUBLIC ampwise_support Qt6::Widgets)
