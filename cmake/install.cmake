# Install rules: the public headers under <prefix>/include/ddkit/ (folder
# layout kept, dd.hpp at its top, so `#include "dd.hpp"` works the same in the
# source tree and installed), the library, a CMake package
# (find_package(ddkit CONFIG) gives dd::dd with its include folder, C++20 and
# -ffp-contract=off, and dd::relations, the any-precision relation search on
# MPFR and GMP), pkg-config files ddkit.pc and ddkit-relations.pc, and the
# findrel program.
#
# Public and private headers: every .hpp of the subsystem folders is public
# and installed, except the private ones, which only the library's sources
# include: those named *_impl.hpp, and the ones listed in DD_PRIVATE_HEADERS.
#
# On by default only when ddkit is the top-level project, so that a project
# that brings ddkit in with add_subdirectory does not install it as well.
option(DD_INSTALL "Generate the install rules of ddkit" ${PROJECT_IS_TOP_LEVEL})
if(NOT DD_INSTALL)
  return()
endif()

include(CMakePackageConfigHelpers)

set(DD_INSTALL_CMAKEDIR "${CMAKE_INSTALL_LIBDIR}/cmake/ddkit" CACHE STRING
    "Where the CMake package files of ddkit are installed, relative to the prefix")

set(DD_PRIVATE_HEADERS ddspecial/series.hpp pslq/multilevel.hpp pslq/reduce.hpp)
set(DD_INSTALL_INCLUDEDIR "${CMAKE_INSTALL_INCLUDEDIR}/ddkit")
install(FILES ${PROJECT_SOURCE_DIR}/dd.hpp DESTINATION ${DD_INSTALL_INCLUDEDIR})
foreach(dir ddreal ddtyped ddio ddelem ddcomplex ddspecial pslq)
  file(GLOB headers RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.hpp)
  list(FILTER headers EXCLUDE REGEX "_impl\\.hpp$")
  list(REMOVE_ITEM headers ${DD_PRIVATE_HEADERS})
  foreach(h IN LISTS headers)
    install(FILES ${PROJECT_SOURCE_DIR}/${h} DESTINATION ${DD_INSTALL_INCLUDEDIR}/${dir})
  endforeach()
endforeach()
# Of the batch routines only the interface is public; the lanes are private.
install(FILES ${PROJECT_SOURCE_DIR}/ddbatch/batch.hpp DESTINATION ${DD_INSTALL_INCLUDEDIR}/ddbatch)
# Of dd::relations only the interface is public.
install(FILES ${PROJECT_SOURCE_DIR}/pslq/relations/relations.hpp DESTINATION ${DD_INSTALL_INCLUDEDIR}/pslq/relations)

install(TARGETS dd dd_relations EXPORT ddkitTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS findrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT ddkitTargets NAMESPACE dd:: DESTINATION ${DD_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ddkitConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ddkitConfig.cmake INSTALL_DESTINATION ${DD_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ddkitConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ddkitConfig.cmake ${PROJECT_BINARY_DIR}/ddkitConfigVersion.cmake
        DESTINATION ${DD_INSTALL_CMAKEDIR})

# pkg-config: the prefix is found from the .pc file's own place, so the file
# stays right when the tree is installed with cmake --install --prefix DIR.
set(DD_PC_DIR "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(DD_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH DD_PC_UP "/ddkit-prefix/${DD_PC_DIR}" "/ddkit-prefix")
  set(DD_PC_PREFIX "\${pcfiledir}/${DD_PC_UP}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/ddkit.pc.in ${PROJECT_BINARY_DIR}/ddkit.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ddkit.pc DESTINATION ${DD_PC_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/ddkit-relations.pc.in ${PROJECT_BINARY_DIR}/ddkit-relations.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ddkit-relations.pc DESTINATION ${DD_PC_DIR})
