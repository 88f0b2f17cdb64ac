# Tests of the main window, its report text and the motor picker.
ampwise_add_test(QvAmpwiseReportTest SOURCES QvAmpwiseReportTest.cpp LIBS ampwise_mainwindow)
ampwise_add_test(QvSelectFromListTest SOURCES QvSelectFromListTest.cpp LIBS ampwise_mainwindow QT)
