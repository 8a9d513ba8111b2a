# SPDX-License-Identifier: MIT
# CPack settings for the Debian packages made by scripts/package:
#   radarclient      the client, the simulator, the launcher, data and manuals
#   libradarglm-dev  the model library with its header and CMake package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME radarclient)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Radar table project")
set(CPACK_PACKAGE_CONTACT "${RADAR_PACKAGE_MAINTAINER}")
# Each component's description starts with its own synopsis line, so the
# package-wide summary stays unset (CPack would put it in front of both).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed into a staging DESTDIR with the prefix /usr itself, so that what
# the install step writes (the units' paths) names /usr, not the staging tree.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${RADAR_RUNTIME_PACKAGE})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
# The runtime dependencies come from the binaries' shared libraries.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# The site's edits of the simulator service's options survive upgrades.
set(radar_conffiles ${CMAKE_CURRENT_BINARY_DIR}/debian/conffiles)
file(WRITE ${radar_conffiles} "/etc/default/radarsim\n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${radar_conffiles})
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Full-screen 3D display client for a radar table
radarclient connects by TCP to a target server and draws a textured radar
table, a turning sweep and one marker per target. The package holds the
client, its models and textures, the launcher radarclient-launch with a
desktop entry for kiosk autostart, the target simulator radarsim and the
server conformance probe radarprobe.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${RADAR_DEV_PACKAGE})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# Consumers compile against <GL/gl.h> and link GL through CMake's FindOpenGL:
# libGL.so for its legacy flavour (libgl-dev), libOpenGL.so and libGLX.so
# for its GLVND one (libopengl-dev, and libglx-dev through libgl-dev).
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libgl-dev, libopengl-dev")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "OBJ/MTL model library of radarclient (static)
Reads, processes, draws and writes Wavefront OBJ models with their MTL
material libraries. CMake: find_package(RadarObjModel), link
RadarObjModel::glm and #include \"glm/glm.h\".")

include(CPack)
