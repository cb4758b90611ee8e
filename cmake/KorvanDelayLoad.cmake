# korvan_delay_load(TARGET name...): the target loads the named system DLLs at their first call
# rather than before WinMain. Under Wine every DLL loaded at start-up (and the ones it imports in
# turn) delays the first window; the WinINet, OLE Automation and shell calls all come after it.
#
# For each name, the functions of MinGW's import library lib<name>.a become a delay-load library
# (dlltool --output-delaylib). It goes onto the link line after the target's own libraries, ahead of
# the plain import library, so the linker takes the functions from it.
function(korvan_delay_load target)
  find_program(KORVAN_DLLTOOL NAMES "${CMAKE_DLLTOOL}" x86_64-w64-mingw32-dlltool dlltool REQUIRED)
  set(libraries "")
  foreach(name IN LISTS ARGN)
    find_library(KORVAN_IMPORT_LIBRARY_${name} NAMES "lib${name}.a" REQUIRED NO_CACHE)
    set(import_library "${KORVAN_IMPORT_LIBRARY_${name}}")
    execute_process(COMMAND "${CMAKE_NM}" -g --defined-only "${import_library}"
      OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "korvan_delay_load: cannot read ${import_library}")
    endif()
    # A function of the DLL has its import slot (I __imp_name) and its call thunk (T name); data has
    # no thunk and cannot be delay-loaded.
    string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@?$]+" slots "${symbols}")
    list(TRANSFORM slots REPLACE "^I __imp_" "")
    string(REGEX MATCHALL "T [A-Za-z0-9_@?$]+" thunks "${symbols}")
    list(TRANSFORM thunks REPLACE "^T " "")
    set(functions ${slots})
    list(FILTER functions EXCLUDE REGEX "^_head_|_iname$")
    set(exports "")
    foreach(function IN LISTS functions)
      if(function IN_LIST thunks)
        string(APPEND exports "  ${function}\n")
      endif()
    endforeach()
    if(exports STREQUAL "")
      message(FATAL_ERROR "korvan_delay_load: no functions in ${import_library}")
    endif()
    string(TOUPPER "${name}" dll)
    set(definition "${CMAKE_CURRENT_BINARY_DIR}/delay_load/${name}.def")
    set(library "${CMAKE_CURRENT_BINARY_DIR}/delay_load/lib${name}_delay.a")
    file(CONFIGURE OUTPUT "${definition}" CONTENT "LIBRARY ${dll}.dll\nEXPORTS\n${exports}")
    add_custom_command(OUTPUT "${library}"
      COMMAND "${KORVAN_DLLTOOL}" --input-def "${definition}" --output-delaylib "${library}"
      DEPENDS "${definition}"
      COMMENT "Delay-load library for ${dll}.dll")
    list(APPEND libraries "${library}")
  endforeach()
  add_custom_target(${target}_delay_load DEPENDS ${libraries})
  add_dependencies(${target} ${target}_delay_load)
  target_link_libraries(${target} PRIVATE ${libraries})
endfunction()
