# Shared helpers of the build.

# stryla_library(<name> [DEPS ...]): a static library of one subsystem, built from every
# source in its folder; files ending in _win.cpp are compiled only on Windows.
function(stryla_library name)
    cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "_unix\\.cpp$")
    else()
        list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
    endif()
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources count)
    if(count EQUAL 0)
        # A subsystem without sources yet: headers only.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
        return()
    endif()
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_library(${name} STATIC ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# The runtime data that lives beside each executable (settings, macros, guns, languages,
# the tray icon). Factory files are refreshed on every build; the user's own files
# (apConfig.bin, p1 … p10, name.bin, macros, gun table) are copied only when absent,
# so a rebuild never overwrites what the user changed.
function(stryla_runtime_data target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND}
            -DSRC=${PROJECT_SOURCE_DIR}/modules
            -DDST=$<TARGET_FILE_DIR:${target}>/modules
            -P ${PROJECT_SOURCE_DIR}/cmake/CopyRuntimeData.cmake
        VERBATIM)
endfunction()

# The tests' clock: the device protocol's pauses at a twentieth of their length and a start
# picture of 20 ms, so a test waits for what it checks rather than for the real pauses. Tests
# that check the spacing of reports or the real start picture run on real time (REAL_TIME).
set(STRYLA_TEST_CLOCK_ENV "STRYLA_TEST_PAUSE_PERCENT=5" "STRYLA_TEST_START_MS=20")

# stryla_test(<name> SOURCES ... [LIBS ...] [XVFB] [SCENE] [REAL_TIME] [OWN_PROCESSES]
# [TIMEOUT s] [ENV ...]): one Qt Test executable and one ctest. GUI tests run on the offscreen
# platform unless XVFB is given, in which case the test runs under xvfb-run. SCENE marks a test
# that renders a scene. Tests run on the tests' clock unless REAL_TIME is given. OWN_PROCESSES
# runs it (and its X server) in a process namespace of its own when run as root, so it sees
# only the processes it started. ROWS function row...: one ctest per data row of that test
# function (named <name>:<row>), so the rows run side by side.
function(stryla_test name)
    cmake_parse_arguments(ARG "XVFB;SCENE;REAL_TIME;OWN_PROCESSES" "TIMEOUT"
        "SOURCES;LIBS;ENV;ROWS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    list(TRANSFORM ARG_LIBS REPLACE "^simhid$" "simhid_all")
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_compile_definitions(${name} PRIVATE
        STRYLA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" STRYLA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    set(launcher)
    if(ARG_OWN_PROCESSES)
        set(launcher sh ${PROJECT_SOURCE_DIR}/tests/support/own_processes.sh)
    endif()
    set(tests ${name})
    set(arguments_${name})
    if(ARG_ROWS)
        list(POP_FRONT ARG_ROWS function)
        set(tests)
        foreach(row IN LISTS ARG_ROWS)
            list(APPEND tests ${name}:${row})
            set(arguments_${name}:${row} ${function}:${row})
        endforeach()
    endif()
    foreach(test IN LISTS tests)
        if(ARG_XVFB)
            add_test(NAME ${test} COMMAND ${launcher} xvfb-run -a -s "-screen 0 1280x800x24"
                $<TARGET_FILE:${name}> ${arguments_${test}})
        else()
            add_test(NAME ${test} COMMAND ${launcher} $<TARGET_FILE:${name}> ${arguments_${test}})
        endif()
    endforeach()
    if(ARG_XVFB OR ARG_SCENE)
        set(sanitizer_env ${STRYLA_SANITIZER_SCENE_ENV})
    else()
        set(sanitizer_env ${STRYLA_SANITIZER_ENV})
    endif()
    # The desktop language is English unless a test says otherwise (the window follows it).
    set(clock_env ${STRYLA_TEST_CLOCK_ENV})
    if(ARG_REAL_TIME)
        set(clock_env)
    endif()
    set(env "QT_QPA_PLATFORM=offscreen" "GSETTINGS_BACKEND=memory" "LANGUAGE=en" ${clock_env}
        ${sanitizer_env} ${ARG_ENV})
    if(ARG_XVFB)
        list(REMOVE_ITEM env "QT_QPA_PLATFORM=offscreen")
        list(APPEND env "QT_QPA_PLATFORM=xcb")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# stryla_tests([SCENE] LIBS ... [REAL_TIME names...]): one test per tst_*.cpp file of the
# calling folder, linked with LIBS; those named in REAL_TIME run on real time.
# Tests that need more (xvfb, extra sources) are declared with stryla_test and listed in SKIP.
function(stryla_tests)
    cmake_parse_arguments(ARG "SCENE" "" "LIBS;SKIP;REAL_TIME" ${ARGN})
    set(scene)
    if(ARG_SCENE)
        set(scene SCENE)
    endif()
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(file IN LISTS files)
        get_filename_component(name ${file} NAME_WE)
        if(name IN_LIST ARG_SKIP)
            continue()
        endif()
        set(clock)
        if(name IN_LIST ARG_REAL_TIME)
            set(clock REAL_TIME)
        endif()
        stryla_test(${name} SOURCES ${file} LIBS ${ARG_LIBS} ${scene} ${clock})
    endforeach()
endfunction()
