# Tests of the pure units library: catalogue, conversion, formatting, cleaning and comma lists.
ampwise_add_test(units_conv_test
  SOURCES
    QvUnitTablesTest.cpp
    QvCommaTextTest.cpp
    QvFormatTest.cpp
    QvFormatTableTest.cpp
  LIBS ampwise_units
)
