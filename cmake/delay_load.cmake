# Delay-loaded system DLLs. kastrell_delay_load(TARGET DLL...) links TARGET
# against delay-import libraries of the DLLs named (dlltool --output-delaylib),
# so that the loader does not load them at process start: each is loaded by
# mingw-w64's __delayLoadHelper2, with LoadLibraryA and therefore the search
# order the program has set by then, when the first of its functions is called.
# A library lists every function of the toolchain's own import library.
#
# Run as a script (cmake -P), it writes that list as a .def file:
#   cmake -DNM=... -DIMPORT_LIBRARY=... -DDLL=user32.dll -DDEF=... -P delay_load.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND ${NM} ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  # A function has its thunk in the text section; data exports have none.
  string(REGEX MATCHALL "\n[0-9a-f]+ T [^\n]+" functions "\n${symbols}")
  list(TRANSFORM functions REPLACE "^\n[0-9a-f]+ T " "")
  list(REMOVE_DUPLICATES functions)
  list(JOIN functions "\n" exports)
  file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}\n")
  return()
endif()

function(kastrell_delay_load target)
  set(folder ${CMAKE_BINARY_DIR}/delay-load)
  file(MAKE_DIRECTORY ${folder})
  set(libraries)
  foreach(dll IN LISTS ARGN)
    find_library(KASTRELL_IMPORT_${dll} ${dll} REQUIRED)
    set(def ${folder}/${dll}.def)
    set(library ${folder}/lib${dll}-delay.a)
    list(APPEND libraries ${library})
    # Made once, for every program that delay-loads the DLL.
    if(TARGET delay_load_${dll})
      continue()
    endif()
    add_custom_command(OUTPUT ${library}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT_LIBRARY=${KASTRELL_IMPORT_${dll}}
              -DDLL=${dll}.dll -DDEF=${def} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      # Run in the folder with names relative to it: dlltool makes its symbols'
      # names from the library's path, which would put the build folder into
      # the program's symbols.
      # dlltool's assembler leaves empty temporary files behind: in a folder of
      # the build, not in the system's temporary folder.
      COMMAND ${CMAKE_COMMAND} -E make_directory tmp
      COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${folder}/tmp
              ${CMAKE_DLLTOOL} --input-def ${dll}.def --output-delaylib lib${dll}-delay.a
      DEPENDS ${KASTRELL_IMPORT_${dll}} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      WORKING_DIRECTORY ${folder}
      COMMENT "Making the delay-import library of ${dll}.dll"
      VERBATIM)
    add_custom_target(delay_load_${dll} DEPENDS ${library})
  endforeach()
  list(TRANSFORM ARGN PREPEND delay_load_ OUTPUT_VARIABLE makers)
  add_dependencies(${target} ${makers})
  # Before the libraries the target's other links bring (and the compiler's
  # default ones), so that these resolve its calls of the DLLs' functions.
  target_link_libraries(${target} PRIVATE ${libraries})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${libraries})
endfunction()
