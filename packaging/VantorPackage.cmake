# The Debian package CPack builds from the install rules (scripts/package).
# Library dependencies come from dpkg-shlibdeps; the rest are listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(VANTOR_PACKAGE_MAINTAINER "Vantor developers <vantor@vantor.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VANTOR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "unattended FM transmitter monitoring")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantor watches FM broadcast transmitters day and night through FM analyzer
receivers on serial ports or TCP. It measures deviation, pilot, RDS,
modulation power, signal quality and RF level, decodes RDS, raises alarms by
e-mail, user programs and output pins, and keeps logs and pictures of it all.
.
It runs with windows, or headless as the systemd service vantor.service. The
package also holds an analyzer simulator for trying it without hardware.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts for the text in pictures drawn without a display; sysusers for the
# service's user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-dejavu-core, systemd | systemd-standalone-sysusers | systemd-sysusers")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/prerm
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The package's version and its changelog's newest entry go together.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^vantor \\(${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}\\)")
    message(AUTHOR_WARNING "packaging/debian/changelog does not begin with version "
                           "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
endif()

include(CPack)
