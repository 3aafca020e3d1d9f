# GoogleTest for both builds, and one function that registers a test program with ctest the right
# way for the build it is in. Included by the top-level CMakeLists.txt before our warning flags are
# set, so that GoogleTest's own sources are compiled with its flags only.

if(PETALSTREAM_WINDOWS)
  # No GoogleTest package exists for the cross compiler: build Debian's sources with it.
  set(PETALSTREAM_GOOGLETEST_DIR "/usr/src/googletest"
      CACHE PATH "GoogleTest sources, built with the cross compiler")
  if(NOT EXISTS "${PETALSTREAM_GOOGLETEST_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest sources not found in ${PETALSTREAM_GOOGLETEST_DIR} "
                        "(bash scripts/install-deps.sh installs them)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory("${PETALSTREAM_GOOGLETEST_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL
                   SYSTEM)
  foreach(_lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${_lib})
      add_library(GTest::${_lib} ALIAS ${_lib})
    endif()
  endforeach()

  # The Wine prefix, of the build's width (the toolchain's PETALSTREAM_WINEARCH), is made once per
  # build tree by a ctest fixture that every Wine test requires. Every Wine test is skipped (exit
  # 77, with the reason) where wine-run.sh finds that this machine cannot run the build's programs.
  set(PETALSTREAM_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
  set(PETALSTREAM_WINE_RUN "${PROJECT_SOURCE_DIR}/cmake/wine-run.sh")
  add_test(NAME wine-prefix COMMAND "${PETALSTREAM_WINE_RUN}" --arch ${PETALSTREAM_WINEARCH}
                                    --prefix "${PETALSTREAM_WINEPREFIX}" --init)
  set_tests_properties(wine-prefix PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 400 LABELS wine
                                              SKIP_RETURN_CODE 77)
else()
  find_package(GTest REQUIRED CONFIG)
  include(GoogleTest)
endif()

# Environment of every test process: where the sources and the build are, and on Windows how to
# reach Wine.
set(PETALSTREAM_TEST_ENVIRONMENT "PETALSTREAM_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                                 "PETALSTREAM_BUILD_DIR=${CMAKE_BINARY_DIR}")
if(PETALSTREAM_WINDOWS)
  list(APPEND PETALSTREAM_TEST_ENVIRONMENT "WINEPREFIX=${PETALSTREAM_WINEPREFIX}"
       "WINEARCH=${PETALSTREAM_WINEARCH}"
       "WINEDEBUG=-all" "PETALSTREAM_WINE=${PETALSTREAM_WINE_RUN}")
endif()

# Every test carries a label, so that one group runs alone (ctest --preset linux -L unit):
#   unit  the system and the tools on their own, no display   qt    the Qt backend, offscreen
#   e2e   the real program on a private X server              wine  anything run under Wine
# A test of the Windows build has "wine" beside its group.
set(PETALSTREAM_TEST_LABELS unit qt e2e wine)

# petalstream_label_tests(<label> <test>...): gives the tests their group.
function(petalstream_label_tests label)
  if(NOT label IN_LIST PETALSTREAM_TEST_LABELS)
    message(FATAL_ERROR "Unknown test label ${label} (one of ${PETALSTREAM_TEST_LABELS})")
  endif()
  set(labels ${label})
  if(PETALSTREAM_WINDOWS AND NOT label STREQUAL "wine")
    list(APPEND labels wine)
  endif()
  set_tests_properties(${ARGN} PROPERTIES LABELS "${labels}")
endfunction()

# petalstream_add_gtest(<target> [TIMEOUT <seconds>] [LABEL <label>])
#
# Makes <target> (an executable of GoogleTest cases) a test program: links GoogleTest's main,
# gives it PETALSTREAM_SOURCE_DIR, and registers it with ctest under LABEL (unit when not given).
# On Linux every case becomes its own ctest test (Qt runs offscreen there unless a test says
# otherwise); under Wine, where listing the cases would cost a Wine start each, the whole program
# is one ctest test.
function(petalstream_add_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT;LABEL" "")
  if(NOT arg_LABEL)
    set(arg_LABEL unit)
  endif()
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock)
  target_compile_definitions(${target} PRIVATE PETALSTREAM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(PETALSTREAM_WINDOWS)
    if(NOT arg_TIMEOUT)
      set(arg_TIMEOUT 1200)
    endif()
    # Naming the target runs it through CMAKE_CROSSCOMPILING_EMULATOR, i.e. wine-run.sh.
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
    set_tests_properties(${target} PROPERTIES TIMEOUT ${arg_TIMEOUT} FIXTURES_REQUIRED wineprefix
                                              SKIP_RETURN_CODE 77
                                              ENVIRONMENT "${PETALSTREAM_TEST_ENVIRONMENT}")
    petalstream_label_tests(${arg_LABEL} ${target})
  else()
    if(NOT arg_TIMEOUT)
      set(arg_TIMEOUT 300)
    endif()
    if(NOT arg_LABEL IN_LIST PETALSTREAM_TEST_LABELS)
      message(FATAL_ERROR "Unknown test label ${arg_LABEL} (one of ${PETALSTREAM_TEST_LABELS})")
    endif()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         TEST_LIST ${target}_TESTS PROPERTIES TIMEOUT ${arg_TIMEOUT}
                         LABELS ${arg_LABEL})
    # gtest_discover_tests() cannot pass a list (several variables) as a property value, so the
    # environment is set by a second file that ctest reads after the list of discovered cases.
    set(env "${PETALSTREAM_TEST_ENVIRONMENT};QT_QPA_PLATFORM=offscreen")
    set(env_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_environment.cmake")
    file(WRITE "${env_file}" "if(${target}_TESTS)\n"
         "  set_tests_properties(\${${target}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${env_file}")
  endif()
endfunction()

# petalstream_add_script_tests(<folder>)
#
# Every <folder>/*.sh becomes a ctest test "<folder name>.<script name>", labelled e2e, run with
# bash and the build directory as $1, one at a time (they may start displays and programs). Exit
# code 77 means skipped. A missing folder adds nothing.
function(petalstream_add_script_tests folder)
  file(GLOB scripts CONFIGURE_DEPENDS "${folder}/*.sh")
  get_filename_component(group "${folder}" NAME)
  foreach(script IN LISTS scripts)
    get_filename_component(name "${script}" NAME_WE)
    add_test(NAME ${group}.${name} COMMAND bash "${script}" "${CMAKE_BINARY_DIR}"
             WORKING_DIRECTORY "${CMAKE_BINARY_DIR}")
    set_tests_properties(${group}.${name} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE SKIP_RETURN_CODE 77
                         ENVIRONMENT "${PETALSTREAM_TEST_ENVIRONMENT}")
    petalstream_label_tests(e2e ${group}.${name})
    if(PETALSTREAM_WINDOWS)
      set_tests_properties(${group}.${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
    endif()
  endforeach()
endfunction()
