# Speed of the settings store: a committed write and an open-and-read.
find_package(benchmark REQUIRED)
add_executable(settings_bench settings_bench.cpp)
ampwise_target_defaults(settings_bench)
target_link_libraries(settings_bench PRIVATE ampwise_settings benchmark::benchmark_main)
