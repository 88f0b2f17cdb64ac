# The INI editor window, built on QScintilla (which ships no CMake package of its own).
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h PATH_SUFFIXES qt6 x86_64-linux-gnu/qt6)
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6)
if(NOT QSCINTILLA_INCLUDE_DIR OR NOT QSCINTILLA_LIBRARY)
  message(FATAL_ERROR "QScintilla for Qt 6 not found: install libqscintilla2-qt6-dev")
endif()
if(NOT TARGET QScintilla::QScintilla)
  add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
  set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION "${QSCINTILLA_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QSCINTILLA_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS QSCINTILLA_DLL)
endif()

ampwise_qt_library(ampwise_inieditor
  ${CMAKE_CURRENT_LIST_DIR}/QvIniLexer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvIniEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvMacroRecorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvFindDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvIniPad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QvIniPadIcons.cpp
)
set_target_properties(ampwise_inieditor PROPERTIES AUTOMOC ON)
target_link_libraries(ampwise_inieditor PUBLIC
  Qt6::Widgets Qt6::PrintSupport QScintilla::QScintilla ampwise_settings_qt ampwise_support_qt
  ampwise_printers)
