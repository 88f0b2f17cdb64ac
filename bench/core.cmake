# Speed of the sizing engine on the shipped tables, of loading the shipped data file, and of the
# INI store on a 10 MB file.
find_package(benchmark REQUIRED)
add_executable(core_bench core_bench.cpp)
ampwise_target_defaults(core_bench)
target_link_libraries(core_bench PRIVATE ampwise_core benchmark::benchmark_main)
target_compile_definitions(core_bench PRIVATE AMPWISE_SOURCE_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
