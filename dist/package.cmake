# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build tree (scripts/package does it). The shared
# libraries give most dependencies; the rest are loaded at run time and named here.
set(CPACK_PACKAGE_NAME vezodovi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VEZODovi for Linux developers")
set(CPACK_PACKAGE_CONTACT "${VEZO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEZO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Japanese faces the windows and cards are drawn in; the SQLite driver that reads the
# help file; the JPEG plugin of the start-up picture and the xcb platform (both in
# libqt6gui6); the multimedia backends that play the key click (in libqt6multimedia6); Qt's
# own Japanese texts for its standard dialogs and the help window (qt6-translations-l10n).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-mincho, fonts-ipafont-gothic, libqt6sql6-sqlite, libqt6gui6, libqt6multimedia6, qt6-translations-l10n")
# gnome-keyring: a secret store for the LoTW password on desktops that have none. trustedqsl:
# the tqsl program that signs and uploads to LoTW, for the operators who use LoTW.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-base, gnome-keyring")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "trustedqsl")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "logbook for Japanese amateur radio operators")
# The summary is the package's synopsis; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VEZODovi keeps the logs of the amateur radio operators who share one
computer. While a contact is typed it fills in the call area, the date and
time in Japanese time or UTC, the earlier contacts with the station, the
city with its JCC code, and the distance and antenna bearing. It searches
the log, prints QSL cards, keeps the JCC city master, and shows a clock and
a calendar with the Japanese public holidays.

The command vezolog reads logs, exports and imports ADIF and prints cards
to PDF from the command line.")
include(CPack)
