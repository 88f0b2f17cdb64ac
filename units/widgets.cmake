# The numeric field and its units label. The field's rules are a pure library of their own, so
# they are tested without a display; the widgets are a thin layer over them.
ampwise_pure_library(ampwise_editrules QvEditRules.cpp)
target_link_libraries(ampwise_editrules PUBLIC ampwise_units ampwise_settings)

ampwise_qt_library(ampwise_units_qt
  QvFmtEdit.h
  QvFmtEdit.cpp
  QvUnitsForm.h
  QvUnitsForm.cpp
)
target_link_libraries(ampwise_units_qt PUBLIC Qt6::Widgets ampwise_editrules ampwise_units)
