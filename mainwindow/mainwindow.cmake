# The main window, its report text, the motor picker, the pictures and the error display.
ampwise_qt_library(ampwise_mainwindow
  QvAmpwiseIcons.cpp
  QvAmpwiseReport.cpp
  QvErrorDisplay.cpp
  QvSelectFromList.cpp
)
target_link_libraries(ampwise_mainwindow PUBLIC Qt6::Widgets ampwise_units ampwise_settings)
