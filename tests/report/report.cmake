ampwise_add_test(report_mapi_test SOURCES MapiControlTest.cpp LIBS ampwise_report QT)
ampwise_add_test(report_form_test SOURCES QvReporterTest.cpp LIBS ampwise_report QT)
