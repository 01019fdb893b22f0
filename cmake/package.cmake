# SPDX-FileCopyrightText: 2026 The Kv Ruzevuv developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Debian package (cpack -G DEB, or scripts/package.sh): the programs, the
# help, the menu entry, the icons and the protocol file type, with the shared
# libraries it needs found by dpkg-shlibdeps.

# cpack packs what is built (scripts/package.sh builds the programs first)
# rather than building every test and benchmark on the way.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kv-ruzevuv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kv Ruzevuv")
set(CPACK_PACKAGE_CONTACT "${KV_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KV_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "service tool for capacitive fuel-level sensors and tank calibration")
# Lines as they appear in the package's description (cpack indents them).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Kv Ruzevuv finds one capacitive fuel-level sensor on a serial line (an\n"
  "RS-485 or RS-232 adapter), shows its identity and live readings, writes its\n"
  "settings, zeroes the head, sets the output scale and the inclinometer, and\n"
  "records a tank calibration point by point into a protocol file (.kvi).\n"
  "From a protocol it writes a spreadsheet, a report, a telematics table and\n"
  "a printout.\n"
  "\n"
  "Serial adapters belong to the group dialout: a user outside it cannot open\n"
  "them. Add the user with: sudo usermod -aG dialout USER\n"
  "then log out and in again.\n"
  "\n"
  "Also installed: kvtool, a command-line client (identify a sensor, watch its\n"
  "readings, print a protocol, write its documents), and kv-sensor-sim, a\n"
  "virtual sensor on a pseudo-terminal; kv-ruzevuv --demo offers a built-in\n"
  "virtual sensor to try the tool without hardware.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Text needs a font on a minimal system; documents open through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation2, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
