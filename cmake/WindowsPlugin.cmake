# The Windows VST 2 plug-in, glidefilter.dll: the entry, the loader's module handle and the core,
# exporting what the module definition file lists. The compiler's runtime (libgcc, libstdc++,
# winpthread) is linked in, so the DLL imports only what Windows itself has.
add_library(glidefilter MODULE frame/AGainMain.cpp frame/win32/dllmain.cpp
    frame/win32/glidefilter.def)
# The resources are linked in directly: from a static library the bitmaps would be left out.
target_link_libraries(glidefilter PRIVATE glidefilter_core glidefilter_resources)
set_target_properties(glidefilter PROPERTIES
    PREFIX ""
    OUTPUT_NAME glidefilter
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(glidefilter PRIVATE -static -static-libgcc -static-libstdc++)
add_subdirectory(tools/winhost)
if(GLIDEFILTER_TESTS)
    enable_testing()
    include(cmake/WindowsTests.cmake)
endif()
