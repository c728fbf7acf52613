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
  foreach(src ${qtests})
    get_filename_component(stem ${src} NAME_WE)
    add_executable(${folder}_${stem} ${src} ${others} ${helpers})
    target_compile_options(${folder}_${stem} PRIVATE ${ZAVELON_WARNINGS})
    target_link_libraries(${folder}_${stem} PRIVATE ${ARGN} Qt6::Test)
    target_include_directories(${folder}_${stem} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${folder}.${stem} COMMAND ${folder}_${stem})
    set_tests_properties(${folder}.${stem} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endfunction()
