# Installation and the Debian package.
#
#   bin/qel, bin/qelctl                  the programs, with a RUNPATH that finds
#   lib/<multiarch>/qel/libqelisam.so    their private engine relative to bin/
#                                        (so a tree under any prefix works)
#   <QEL_HELP_INSTALL_DIR>/qel-help.html where the platform looks for the help
#   share/qel/qel-message.wav            the default message sound
#   share/doc/qel/                       copyright and changelog
#   share/man/man1/qel.1, qelctl.1       the manual pages
#   share/bash-completion/completions/   completion for qelctl
#   share/applications/qel.desktop       the desktop entry
#   share/icons/hicolor/.../qel.svg      the icon (installed by resources/)
#
# The desktop program's install rule lives with it in app/.

# The engine is the programs' private library: <libdir>/qel/, found through
# the programs' RUNPATH (the programs load it with dlopen: beside the program
# first, then the normal library search, which honours the RUNPATH). The
# RUNPATH is relative to bin/, so a tree installed under any prefix, or
# unpacked under any root, finds its own engine.
# The multiarch folder (lib/x86_64-linux-gnu/qel on Debian) whatever the prefix.
if(CMAKE_LIBRARY_ARCHITECTURE)
    set(QEL_PRIVATE_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}/qel")
else()
    set(QEL_PRIVATE_LIBDIR "${CMAKE_INSTALL_LIBDIR}/qel")
endif()
set(qel_engine_runpath "$ORIGIN/../${QEL_PRIVATE_LIBDIR}")
foreach(program qel qelctl)
    if(TARGET ${program})
        set_target_properties(${program} PROPERTIES INSTALL_RPATH "${qel_engine_runpath}")
    endif()
endforeach()

if(TARGET qelctl)
    install(TARGETS qelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET qelisam)
    install(TARGETS qelisam LIBRARY DESTINATION ${QEL_PRIVATE_LIBDIR})
endif()

# Documentation: licence, changelog and manual pages, compressed as Debian
# wants them (gzip -9n: no name or time stamp inside, so builds are equal).
set(QEL_MAINTAINER_MAIL "qel-developers@users.noreply.github.com")
set(qel_doc_build ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${qel_doc_build}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${qel_doc_build}/changelog @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/qel.1.in ${qel_doc_build}/qel.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/qelctl.1.in ${qel_doc_build}/qelctl.1 @ONLY)
set(qel_compressed_docs)
foreach(doc changelog qel.1 qelctl.1)
    add_custom_command(OUTPUT ${qel_doc_build}/${doc}.gz
                       COMMAND gzip -9n -c ${doc} > ${doc}.gz
                       DEPENDS ${qel_doc_build}/${doc}
                       WORKING_DIRECTORY ${qel_doc_build}
                       VERBATIM)
    list(APPEND qel_compressed_docs ${qel_doc_build}/${doc}.gz)
endforeach()
add_custom_target(qel_docs ALL DEPENDS ${qel_compressed_docs})
set(qel_doc_destination ${CMAKE_INSTALL_DATADIR}/doc/qel)
install(FILES ${qel_doc_build}/copyright ${qel_doc_build}/changelog.gz DESTINATION ${qel_doc_destination})
install(FILES ${qel_doc_build}/qel.1.gz ${qel_doc_build}/qelctl.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/qelctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME qelctl)

# The help file goes where the platform layer was told to look for it. When
# that folder lies under the install prefix the destination is made relative,
# so that "cmake --install --prefix" and the package move it with the rest.
if(DEFINED QEL_HELP_INSTALL_DIR)
    set(qel_help_destination "${QEL_HELP_INSTALL_DIR}")
    file(RELATIVE_PATH qel_help_relative "${CMAKE_INSTALL_PREFIX}" "${QEL_HELP_INSTALL_DIR}")
    if(NOT qel_help_relative MATCHES "^\\.\\.")
        set(qel_help_destination "${qel_help_relative}")
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/help/qel-help.html DESTINATION ${qel_help_destination})
endif()

# The default message sound, where the platform layer looks for it.
install(FILES ${PROJECT_SOURCE_DIR}/resources/sounds/qel-message.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/qel)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/qel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Debian package: cpack -G DEB in the build folder (make package).
set(CPACK_PACKAGE_NAME qel)
set(CPACK_PACKAGE_VENDOR "Qel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Office presence board for a shared network folder")
set(CPACK_PACKAGE_DESCRIPTION
    "Qel shows who is in, out, at lunch or in a meeting, lets people set their
status in one click and carries short messages between desks. Every
workstation runs a copy; all copies share one database folder on a network
drive, with no server. Includes qelctl, the command-line front end.")
set(CPACK_PACKAGE_CONTACT "Qel developers <${QEL_MAINTAINER_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Qel developers <${QEL_MAINTAINER_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package installs where the build was configured to install, so the
# folders compiled into the programs (the help file) are the ones packaged.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
# Loaded at run time, so no linker records them: the SVG image plug-in for the
# board's images and the window-system plug-ins.
# xdg-utils opens the help file in the desktop's browser.
set(qel_runtime_plugins "libqt6svg6 (>= 6.4), qt6-qpa-plugins (>= 6.4), xdg-utils")
find_program(QEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QEL_DPKG_SHLIBDEPS)
    # The libraries the programs and the engine link, worked out from the
    # binaries themselves; added to the plug-ins above.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${qel_runtime_plugins}")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6dbus6 (>= 6.4), libqt6core6 (>= 6.4), libsqlite3-0 (>= 3.31), libcpp-httplib0.11, ${qel_runtime_plugins}")
endif()
include(CPack)
