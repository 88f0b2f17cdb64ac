# The main window, its report text, the motor picker, the pictures and the error display.
ampwise_qt_library(ampwise_mainwindow
  QvAmpwiseForm.cpp
  QvAmpwiseIcons.cpp
  QvAmpwiseReport.cpp
  QvErrorDisplay.cpp
  QvSelectFromList.cpp
)
target_link_libraries(ampwise_mainwindow PUBLIC
  Qt6::Widgets ampwise_core ampwise_units ampwise_units_qt ampwise_settings ampwise_settings_qt
  ampwise_report ampwise_inieditor ampwise_support ampwise_support_qt)
