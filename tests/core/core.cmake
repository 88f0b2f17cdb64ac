# The cable sizing engine and the electrical data file.
ampwise_add_test(core_ampwise_test SOURCES QvAmpwiseTest.cpp LIBS ampwise_core)
target_compile_definitions(core_ampwise_test PRIVATE AMPWISE_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}/data")

# The shared sizing arithmetic and the size table, against the engine.
ampwise_add_test(core_cablesizes_test SOURCES QvCableSizesTest.cpp LIBS ampwise_core)
