# One static library per source folder. Files are collected by glob so that a
# new class is one new pair of files, not an edit to a shared list.
function(zavelon_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS
       ${folder}/*.cpp ${folder}/*.h ${folder}/*.qrc)
  list(FILTER sources EXCLUDE REGEX ".*/main\\.cpp$")
  if(NOT sources)
    # A folder whose classes are still to come builds as an empty library.
    set(stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${stub} "// No classes yet.\nnamespace {}\n")
    set(sources ${stub})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${ZAVELON_WARNINGS})
  target_compile_definitions(${name} PUBLIC ZAVELON_VERSION="${PROJECT_VERSION}")
endfunction()

# The tests of one source folder: every *_test.cpp (GoogleTest) goes into one
# executable registered with CTest case by case; every *_qtest.cpp (Qt Test,
# for widgets) is an executable of its own. Other files are shared helpers.
function(zavelon_tests name folder)
  file(GLOB gtests CONFIGURE_DEPENDS ${folder}/*_test.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${folder}/*.h)
  file(GLOB qtests CONFIGURE_DEPENDS ${folder}/*_qtest.cpp)
  file(GLOB others CONFIGURE_DEPENDS ${folder}/*.cpp)
  list(REMOVE_ITEM others ${gtests} ${qtests} "")
  if(ZAVELON_TSAN)
    list(APPEND others ${CMAKE_SOURCE_DIR}/tests/TsanDefaults.cpp)
  endif()
  if(gtests)
    add_executable(${name} ${gtests} ${others} ${helpers})
    target_compile_options(${name} PRIVATE ${ZAVELON_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    gtest_discover_tests(${name}
      TEST_PREFIX "${folder}."
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
  # A sub-folder such as "images/ui" names its programs "images_ui_...".
  string(REPLACE "/" "_" prefix "${folder}")
  foreach(src ${qtests})
    get_filename_component(stem ${src} NAME_WE)
    set(program ${prefix}_${stem})
    add_executable(${program} ${src} ${others} ${helpers})
    target_compile_options(${program} PRIVATE ${ZAVELON_WARNINGS})
    target_link_libraries(${program} PRIVATE ${ARGN} Qt6::Test)
    target_include_directories(${program} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${folder}.${stem} COMMAND ${program})
    set_tests_properties(${folder}.${stem} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endfunction()

# Fails the configuration when `target` links, directly or through any
# library it links, one of the forbidden libraries: the headless program must
# never pull in a widget library, and a change that makes it do so should not
# build.
function(zavelon_forbid_link target)
  set(forbidden ${ARGN})
  set(pending ${target})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(current IN_LIST forbidden)
      message(FATAL_ERROR "${target} must not link ${current} (found through its link libraries)")
    endif()
    if(NOT TARGET ${current})
      continue()
    endif()
    get_target_property(aliased ${current} ALIASED_TARGET)
    if(aliased)
      list(APPEND pending ${aliased})
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${current} ${property})
      if(links)
        foreach(link ${links})
          # Generator expressions such as $<LINK_ONLY:x> name a library too.
          string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
          if(NOT link MATCHES "^\\$<")
            list(APPEND pending ${link})
          endif()
        endforeach()
      endif()
    endforeach()
  endwhile()
endfunction()
