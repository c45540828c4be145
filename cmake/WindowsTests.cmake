# The unit tests that need neither the LV2 build, plughost (neither is built for Windows) nor
# glibc's heap statistics, cross-built against the Windows core and run under Wine by ctest. libpng
# is not built for Windows either: failed tests save no pictures there, and the two tests that
# write PNG files are left out. The bitmaps are linked in as resources of the test
# program, where the lookup finds them without a DLL.
find_package(GTest REQUIRED)
file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
list(FILTER sources EXCLUDE REGEX "_(allocations|threads)\\.cpp$")
foreach(source ${sources})
    file(READ ${source} text)
    if(text MATCHES "#include \"[^\"]*(lv2_host|smf_builder)\\.h\"|#include \"(lv2|tools/plughost)/|mallinfo")
        list(REMOVE_ITEM sources ${source})
    endif()
endforeach()
file(GLOB headless_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/gui/platform/headless/*.cpp)
add_executable(unit_tests ${sources} ${headless_sources}
    ${CMAKE_SOURCE_DIR}/tests/unit/win32/nopng.cpp)
# Some tests use M_PI, which mingw's <cmath> defines only when asked.
target_compile_definitions(unit_tests PRIVATE GLIDEFILTER_SCREENSHOT_PATH="" _USE_MATH_DEFINES)
target_link_libraries(unit_tests PRIVATE glidefilter_core glidefilter_resources GTest::gtest
    GTest::gtest_main)
target_link_options(unit_tests PRIVATE -static)
add_test(NAME unit_tests
    COMMAND unit_tests --gtest_filter=-EditorLayout.ScreenshotOfTheDefaultState:DrawingSheet.*)
set_tests_properties(unit_tests PROPERTIES
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all")
