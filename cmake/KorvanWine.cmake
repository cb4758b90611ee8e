# Windows test executables run under Wine through CMAKE_CROSSCOMPILING_EMULATOR (tools/wine/wine-run).
# Every ctest run gets a throwaway prefix: a setup fixture wipes and boots it, a cleanup fixture stops
# that prefix's wineserver (and only that one).
set(KORVAN_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE INTERNAL "")
set(KORVAN_WINE_RUN "${CMAKE_SOURCE_DIR}/tools/wine/wine-run" CACHE INTERNAL "")

function(korvan_wine_fixtures)
  add_test(NAME wine_prefix_setup COMMAND "${CMAKE_SOURCE_DIR}/tools/wine/prefix" setup)
  add_test(NAME wine_prefix_cleanup COMMAND "${CMAKE_SOURCE_DIR}/tools/wine/prefix" cleanup)
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix
    ENVIRONMENT "WINEPREFIX=${KORVAN_WINEPREFIX}" TIMEOUT 300)
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix
    ENVIRONMENT "WINEPREFIX=${KORVAN_WINEPREFIX}" TIMEOUT 60)
endfunction()

# korvan_wine_test(NAME name COMMAND target-or-path args... [LANG lang] [TIMEOUT s] [ENVIRONMENT ...]
#                  [SHARES_NOTHING])
# Runs a command in the run's Wine prefix. When COMMAND names a target, ctest puts the emulator in
# front of it; any other command is run as given with WINEPREFIX and LANG set. Tests take turns on
# the one desktop, the loopback ports the programs are built with, the time page and the prefix's
# cookie store; SHARES_NOTHING tests, which touch none of them, run beside the others (ctest -j).
function(korvan_wine_test)
  cmake_parse_arguments(ARG "SHARES_NOTHING" "NAME;LANG;TIMEOUT" "COMMAND;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_LANG)
    set(ARG_LANG "zh_CN.UTF-8")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  if(NOT ARG_SHARES_NOTHING)
    set_tests_properties(${ARG_NAME} PROPERTIES RESOURCE_LOCK wine_desktop)
  endif()
  # A crash fails the test whatever exit code Wine gives the crashed program (at times 0).
  set_tests_properties(${ARG_NAME} PROPERTIES
    FAIL_REGULAR_EXPRESSION "wine: Unhandled "
    FIXTURES_REQUIRED wine_prefix
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "wine;${ARG_LABELS}"
    ENVIRONMENT "WINEPREFIX=${KORVAN_WINEPREFIX};KORVAN_SHARED_WINESERVER=1;LANG=${ARG_LANG};LC_ALL=${ARG_LANG};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=;${ARG_ENVIRONMENT}")
endfunction()
