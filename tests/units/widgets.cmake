# Tests of the numeric field, its units label and the pop-up unit list.
ampwise_add_test(QvEditRulesTest SOURCES QvEditRulesTest.cpp LIBS ampwise_editrules)
ampwise_add_test(QvFmtEditTest SOURCES QvFmtEditTest.cpp LIBS ampwise_units_qt QT)
ampwise_add_test(QvUnitsFormTest SOURCES QvUnitsFormTest.cpp LIBS ampwise_units_qt QT)
# Renders the widgets to PNG files to look at: build-folder/tests/units/fmtedit-look/.
ampwise_add_test(QvFmtEditLook SOURCES QvFmtEditLook.cpp LIBS ampwise_units_qt QT)
target_compile_definitions(QvFmtEditLook PRIVATE
  AMPWISE_LOOK_DIR="${CMAKE_CURRENT_BINARY_DIR}/fmtedit-look")
