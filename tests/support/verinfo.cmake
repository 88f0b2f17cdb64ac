# Version information: the reader against built programs and against hand-made hostile files.
add_executable(ampwise_test_versioned VersionedProgram.cpp)
ampwise_embed_version(ampwise_test_versioned PRODUCT_NAME "Ampwise"
  DESCRIPTION "Ampwise Cable Sizing Calculator")
add_executable(ampwise_test_versioned_alt VersionedProgram.cpp)
ampwise_embed_version(ampwise_test_versioned_alt PRODUCT_NAME "Odd \"Quoted\" \\Name"
  DESCRIPTION "Kälte – Rechner" VERSION 3.14.159.65535)

ampwise_add_test(support_verinfo_test SOURCES QvVerInfoTest.cpp LIBS ampwise_support)
add_dependencies(support_verinfo_test ampwise_test_versioned ampwise_test_versioned_alt)
target_compile_definitions(support_verinfo_test PRIVATE
  QV_VERSIONED_EXE="$<TARGET_FILE:ampwise_test_versioned>"
  QV_VERSIONED_ALT_EXE="$<TARGET_FILE:ampwise_test_versioned_alt>")
