# Project-wide helpers: warnings and sanitizers scoped to our own targets, and one way to add a test.

function(ampwise_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(AMPWISE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  # For the check that nothing holds a second copy of the common library's code (common/).
  set_property(GLOBAL APPEND PROPERTY AMPWISE_LINKING_TARGETS ${target})
endfunction()

if(AMPWISE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz build: every library a fuzzer links carries the coverage libFuzzer steers by, and the
# sanitizers; the fuzzers add libFuzzer's main (fuzz/CMakeLists.txt).
if(AMPWISE_FUZZ)
  add_compile_options(-O1 -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A pure library must not see Qt: it gets no Qt include paths, so a widget include fails to build,
# and a Qt library linked into it, directly or through another library, stops the configure (the
# check runs once every folder has declared its targets).
function(ampwise_pure_library target)
  add_library(${target} STATIC ${ARGN})
  ampwise_target_defaults(${target})
  set_property(GLOBAL APPEND PROPERTY AMPWISE_PURE_TARGETS ${target})
endfunction()

# The first Qt library that `target` links, followed through the targets it links; empty if none.
function(_ampwise_qt_link target out)
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue item)
    # A static library's private links show as $<LINK_ONLY:...>.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(item MATCHES "^Qt[0-9]*::" OR item MATCHES "(^|/)libQt[0-9]*[A-Za-z]*\\.")
      set(${out} "${item}" PARENT_SCOPE)
      return()
    endif()
    if(NOT TARGET "${item}" OR item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${item}")
    get_target_property(imported "${item}" IMPORTED)
    set(props INTERFACE_LINK_LIBRARIES)
    if(NOT imported)
      list(APPEND props LINK_LIBRARIES)
    endif()
    foreach(prop IN LISTS props)
      get_target_property(libs "${item}" ${prop})
      if(libs)
        list(APPEND queue ${libs})
      endif()
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

function(_ampwise_check_pure_libraries)
  get_property(targets GLOBAL PROPERTY AMPWISE_PURE_TARGETS)
  foreach(target IN LISTS targets)
    _ampwise_qt_link(${target} qt)
    if(qt)
      message(FATAL_ERROR "${target} is a pure library but links ${qt}: move the code that needs "
                          "Qt into a library declared with ampwise_qt_library.")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _ampwise_check_pure_libraries)

function(ampwise_qt_library target)
  add_library(${target} STATIC ${ARGN})
  ampwise_target_defaults(${target})
endfunction()

# ampwise_add_test(<name> SOURCES a.cpp ... LIBS lib ... [QT] [PART] [TOOL] [TIMEOUT seconds])
# QT: links Qt6::Test and runs under the offscreen platform with a private config folder.
# PART: the test loads the part of the program loaded on first use as the program does, from
# beside its executable (a link to the built plugin), and links the plugin so that its code can
# look inside the part's windows.
# TOOL: a program that makes something to look at rather than checking anything: built and run on
# demand by the target run_<name>, never counted as a test.
# TIMEOUT: about ten times the test's normal run, so a hang fails fast; 30 s unless given.
function(ampwise_add_test name)
  cmake_parse_arguments(T "QT;PART;TOOL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 30)
  endif()
  add_executable(${name} ${T_SOURCES})
  ampwise_target_defaults(${name})
  find_package(GTest REQUIRED)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(T_QT)
    target_link_libraries(${name} PRIVATE Qt6::Test Qt6::Widgets ampwise_testsupport)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  if(T_PART)
    ampwise_place_ondemand(${name})
  endif()
  set(env "LC_ALL=C.UTF-8")
  if(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(T_TOOL)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    add_custom_target(run_${name} COMMAND ${CMAKE_COMMAND} -E env ${env} $<TARGET_FILE:${name}>
                      DEPENDS ${name} USES_TERMINAL VERBATIM)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
endfunction()

# Places the part of the program loaded on first use beside `program`, as an install places it
# beside Ampwise, and links it: a symbolic link, so that the part loaded by file name and the one
# the program links are the same file and so one copy in the process.
function(ampwise_place_ondemand program)
  target_link_libraries(${program} PRIVATE ampwise_ondemand)
  target_compile_definitions(${program} PRIVATE AMPWISE_ONDEMAND_FILE="$<TARGET_FILE:ampwise_ondemand>")
  add_custom_command(TARGET ${program} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_FILE:ampwise_ondemand>
            $<TARGET_FILE_DIR:${program}>/$<TARGET_FILE_NAME:ampwise_ondemand>
    VERBATIM)
endfunction()
