# The About box, in a test program that carries the program's own version block.
ampwise_add_test(support_about_test QT SOURCES QvQuickAboutTest.cpp LIBS ampwise_support_qt)
ampwise_embed_version(support_about_test PRODUCT_NAME "Ampwise"
  DESCRIPTION "Ampwise Cable Calculator")
