# Tests of the main window, its report text and the motor picker.
ampwise_add_test(QvAmpwiseReportTest SOURCES QvAmpwiseReportTest.cpp LIBS ampwise_mainwindow)
ampwise_add_test(QvSelectFromListTest SOURCES QvSelectFromListTest.cpp LIBS ampwise_mainwindow QT)
ampwise_add_test(QvAmpwiseFormTest SOURCES QvAmpwiseFormTest.cpp LIBS ampwise_mainwindow QT)
# The window title comes from the version block, so the test program carries one too.
ampwise_embed_version(QvAmpwiseFormTest)
target_compile_definitions(QvAmpwiseFormTest PRIVATE
  AMPWISE_SCREENSHOT="${CMAKE_BINARY_DIR}/screenshot.png")
ampwise_add_test(QvAmpwiseIconsTest SOURCES QvAmpwiseIconsTest.cpp LIBS ampwise_mainwindow QT)
