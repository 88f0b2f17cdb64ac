# Start-up time of the program against a minimal Qt window: `cmake --build <dir> --target
# bench_startup` (not part of the tests: a measurement, not a pass or fail).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_custom_target(bench_startup
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/startup.py $<TARGET_FILE:Ampwise> 21
    DEPENDS Ampwise
    USES_TERMINAL VERBATIM)
endif()
