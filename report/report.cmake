# The report window and mail sending.
ampwise_qt_library(ampwise_report
  MapiControl.cpp
  QvReporter.cpp
)
target_link_libraries(ampwise_report PUBLIC Qt6::Widgets Qt6::PrintSupport ampwise_settings
                                            ampwise_settings_qt ampwise_printers
                                            ampwise_support_qt)
