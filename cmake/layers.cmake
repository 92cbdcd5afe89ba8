# One library per source folder. The folders form layers; a folder may use
# only the folders below it, and the build checks every #include against
# that order (cmake/check_layers.py):
#
#   platform  the seam to the operating system (Win32 or POSIX)
#   base      the state record, fatal exits, fixed-size text, ASCII helpers
#   text      code pages, the strings file, collation
#   script  wordlist  registry      (none of these uses another)
#   install   the steps that use several of those, the installation order
#   app  distkit                    (the window and main; the authoring tool)
set(DSETUP_LAYERS platform base text "script wordlist registry" install "app distkit")

# add_folder_library(FOLDER SOURCES... [DEPENDS FOLDER...]): the library
# ds_FOLDER from the given files of src/FOLDER (globs allowed), linked to the
# libraries of the folders it depends on.
function(add_folder_library folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(sources)
  foreach(pattern ${ARG_UNPARSED_ARGUMENTS})
    file(GLOB matched CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${matched})
  endforeach()
  add_library(ds_${folder} STATIC ${sources})
  target_include_directories(ds_${folder} PUBLIC ${DSETUP_SOURCE_ROOT})
  foreach(dependency ${ARG_DEPENDS})
    target_link_libraries(ds_${folder} PUBLIC ds_${dependency})
  endforeach()
  if(TARGET check_layers)
    add_dependencies(ds_${folder} check_layers)
  endif()
endfunction()

# The include check: part of every build, before any folder is compiled.
# With DSETUP_TESTS_ROOT set, the tests' includes are checked too (a test
# program depends on the check as well).
function(add_layer_check)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  file(GLOB_RECURSE checked CONFIGURE_DEPENDS
    ${DSETUP_SOURCE_ROOT}/*.h ${DSETUP_SOURCE_ROOT}/*.cpp ${DSETUP_SOURCE_ROOT}/*.inc)
  set(tests_argument)
  if(DSETUP_TESTS_ROOT)
    file(GLOB_RECURSE checked_tests CONFIGURE_DEPENDS
      ${DSETUP_TESTS_ROOT}/*.h ${DSETUP_TESTS_ROOT}/*.cpp ${DSETUP_TESTS_ROOT}/*.inc)
    list(APPEND checked ${checked_tests})
    set(tests_argument ${DSETUP_TESTS_ROOT})
  endif()
  set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${Python3_EXECUTABLE} ${DSETUP_CMAKE_DIR}/check_layers.py ${DSETUP_SOURCE_ROOT}
            "${DSETUP_LAYERS}" ${tests_argument}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${checked} ${DSETUP_CMAKE_DIR}/check_layers.py
    COMMENT "Checking the folders' includes against their layers" VERBATIM)
  add_custom_target(check_layers DEPENDS ${stamp})
endfunction()
