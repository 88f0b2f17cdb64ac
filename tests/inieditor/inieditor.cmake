# Tests of the INI editor window and its colouring.
ampwise_add_test(inieditor_test QT
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QvIniLexerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QvIniPadTest.cpp
  LIBS ampwise_inieditor)
# The window's caption comes from the running executable's version block.
ampwise_embed_version(inieditor_test)
