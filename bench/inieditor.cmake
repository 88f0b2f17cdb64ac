# Speed of the INI editor's colouring: tokenizer alone, and load + colour in the editor.
find_package(benchmark REQUIRED)
add_executable(inieditor_bench inieditor_bench.cpp)
ampwise_target_defaults(inieditor_bench)
target_link_libraries(inieditor_bench PRIVATE ampwise_inieditor benchmark::benchmark)
