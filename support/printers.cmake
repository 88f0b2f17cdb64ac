# The printer of the process, shared by every window that prints.
ampwise_qt_library(ampwise_printers ${CMAKE_CURRENT_LIST_DIR}/QvPrinters.cpp)
target_link_libraries(ampwise_printers PUBLIC Qt6::PrintSupport)
