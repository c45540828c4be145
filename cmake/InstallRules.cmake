# The plug-ins' `cmake --install` (InstallPlugin.cmake) and `--target uninstall` (Uninstall.cmake).
# GNUInstallDirs gives the folders below a prefix: lib64 or Debian's multiarch where that is the
# system's library folder.
include(GNUInstallDirs)
set(GLIDEFILTER_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR})

# Whether the install prefix was chosen at configure time. CMake marks a prefix it picked itself
# only on a build folder's first run, so the mark is kept in the cache. A folder configured before
# the mark was kept counts its prefix as not chosen: its installs have always gone to ~/.vst.
function(glidefilter_prefix_chosen result)
    if(NOT DEFINED CACHE{GLIDEFILTER_PICKED_PREFIX})
        set(picked "")
        if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR DEFINED CACHE{CMAKE_CACHE_MAJOR_VERSION})
            set(picked "${CMAKE_INSTALL_PREFIX}")
        endif()
        set(GLIDEFILTER_PICKED_PREFIX "${picked}" CACHE INTERNAL "The install prefix CMake picked")
    endif()
    if(CMAKE_INSTALL_PREFIX STREQUAL GLIDEFILTER_PICKED_PREFIX)
        set(${result} FALSE PARENT_SCOPE)
    else()
        set(${result} TRUE PARENT_SCOPE)
    endif()
endfunction()

# Installs `plugin`'s file and the LV2 bundle, the folder that holds `bundle_library`; with a
# prefix also the program `host` and the files of the folder `docs`. The uninstall removes what
# the last install wrote. A refusal is raised here, where no call stack follows it, and kept on
# one line: CMake does not wrap a message that starts with a space. A package's install script
# sets LIBDIR itself (see Package.cmake); every other install takes the configured one.
function(glidefilter_install_rules plugin bundle_library host docs)
    glidefilter_prefix_chosen(chosen)
    set(manifest ${CMAKE_BINARY_DIR}/glidefilter-installed.txt)
    install(CODE "
        set(PLUGIN \"$<TARGET_FILE:${plugin}>\")
        set(BUNDLE \"$<TARGET_FILE_DIR:${bundle_library}>\")
        set(HOST \"$<TARGET_FILE:${host}>\")
        set(DOCS \"${docs}\")
        set(STRIP \"${CMAKE_STRIP}\")
        if(NOT DEFINED LIBDIR)
            set(LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
        endif()
        set(BINDIR \"${CMAKE_INSTALL_BINDIR}\")
        set(DOCDIR \"${CMAKE_INSTALL_DATAROOTDIR}/doc/glidefilter\")
        set(PREFIX_CHOSEN ${chosen})
        set(MANIFEST \"${manifest}\")
        include(\"${GLIDEFILTER_INSTALL_SCRIPTS}/InstallPlugin.cmake\")
        if(refusal)
            message(FATAL_ERROR \" \${refusal}\")
        endif()")
    add_custom_target(uninstall
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest}
            -P ${GLIDEFILTER_INSTALL_SCRIPTS}/Uninstall.cmake
        COMMENT "Removing the installed plug-ins")
endfunction()
