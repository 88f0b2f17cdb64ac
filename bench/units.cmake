# Speed of the number text every field goes through: formatting and cleaning + parsing.
find_package(benchmark REQUIRED)
add_executable(units_bench units_bench.cpp)
ampwise_target_defaults(units_bench)
target_link_libraries(units_bench PRIVATE ampwise_units benchmark::benchmark_main)
