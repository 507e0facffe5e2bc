# What `cmake --install` puts in place for hosts of the plug-in: the plug-in in
# lib/, the public headers in include/, a CMake package (find_package) and a
# pkg-config file, both relocatable with the prefix.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS VynXtuProfilingReader LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

set(VYN_PLUGIN_FILE_NAME
    ${CMAKE_SHARED_LIBRARY_PREFIX}VynXtuProfilingReader${CMAKE_SHARED_LIBRARY_SUFFIX})
set(VYN_PLUGIN_INSTALL_PATH ${CMAKE_INSTALL_LIBDIR}/${VYN_PLUGIN_FILE_NAME})
set(VYN_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VynProfiling)
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/VynProfilingConfig.cmake.in
  ${PROJECT_BINARY_DIR}/package/VynProfilingConfig.cmake
  INSTALL_DESTINATION ${VYN_PACKAGE_DIR}
  PATH_VARS CMAKE_INSTALL_INCLUDEDIR VYN_PLUGIN_INSTALL_PATH)
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/package/VynProfilingConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/VynProfilingConfig.cmake
              ${PROJECT_BINARY_DIR}/package/VynProfilingConfigVersion.cmake
        DESTINATION ${VYN_PACKAGE_DIR})

# The .pc file finds the prefix from where it lies.
file(RELATIVE_PATH VYN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" VYN_PC_TO_PREFIX "${VYN_PC_TO_PREFIX}")
set(VYN_PC_DL_LIBS)
foreach(library ${CMAKE_DL_LIBS})
  string(APPEND VYN_PC_DL_LIBS " -l${library}")
endforeach()
string(STRIP "${VYN_PC_DL_LIBS}" VYN_PC_DL_LIBS)
configure_file(${CMAKE_CURRENT_LIST_DIR}/vyn-profiling.pc.in ${PROJECT_BINARY_DIR}/package/vyn-profiling.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package/vyn-profiling.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
