# SPDX-License-Identifier: MIT
# Run by `cmake --install` (and CPack): the units name the installed programs
# and the environment file by absolute path, so they are made for the prefix
# installed into, which may differ from the one configured.
#   RADAR_SYSTEMD_SOURCE_DIR  this folder
#   RADAR_SYSTEMD_WORK_DIR    a folder of the build tree for the made units
#   RADAR_BIN_INSTALL_DIR     the programs' folder, relative to the prefix

set(prefix "${CMAKE_INSTALL_PREFIX}")
set(RADAR_BIN_DIR "${prefix}/${RADAR_BIN_INSTALL_DIR}")
# As GNUInstallDirs has it: /etc for the system's own /usr.
if(prefix STREQUAL "/usr")
  set(sysconfdir "/etc")
else()
  set(sysconfdir "${prefix}/etc")
endif()
set(RADAR_SIM_ENVIRONMENT_FILE "${sysconfdir}/default/radarsim")

configure_file("${RADAR_SYSTEMD_SOURCE_DIR}/radarsim.service.in"
               "${RADAR_SYSTEMD_WORK_DIR}/radarsim.service" @ONLY)
configure_file("${RADAR_SYSTEMD_SOURCE_DIR}/radarclient.service.in"
               "${RADAR_SYSTEMD_WORK_DIR}/radarclient.service" @ONLY)
# Where systemd looks for the units of packages, under any prefix.
file(INSTALL "${RADAR_SYSTEMD_WORK_DIR}/radarsim.service"
     DESTINATION "${prefix}/lib/systemd/system")
file(INSTALL "${RADAR_SYSTEMD_WORK_DIR}/radarclient.service"
     DESTINATION "${prefix}/lib/systemd/user")
file(INSTALL "${RADAR_SYSTEMD_SOURCE_DIR}/radarsim.default" DESTINATION "${sysconfdir}/default"
     RENAME radarsim)
