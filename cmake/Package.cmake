# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cpack -G DEB` in a build tree makes velmora_<version>_<arch>.deb from the
# install rules, with the shared-library dependencies worked out from the binaries.
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora team")
set(CPACK_PACKAGE_CONTACT "The Velmora team <team@velmora.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "light and sound pulsing together at a frequency you choose")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# xz, as the distribution's own packages: the default library shrinks far more than with gzip.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://velmora.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's GUI library brings the X11 platform plugin itself. Under Wayland the program runs
# through XWayland without the Wayland plugin and says so at every start, so it is recommended.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velmora shows a picture whose palette colours travel in step with a main
frequency from 0.1 to 35 Hz, while a looping sound sweeps its stereo balance
and playback rate at about that rate. The package holds the program, the
library tool velmora-lib, the renderer velmora-render and the default stimulus
library.

Photosensitivity warning: flashing and pulsing light can trigger seizures in
people with photosensitive epilepsy.")

include(CPack)
