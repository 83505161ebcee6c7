# Install rules and the Debian package. `cmake --install build --prefix /usr` puts the programs,
# the desktop entry, the icons, the AppStream metainfo, the man pages, the systemd units and
# the daily backup script where a Debian system looks for them; `scripts/package` makes the
# .deb from the same rules with CPack.
set(CMAKE_INSTALL_DOCDIR share/doc/tallyport)
include(GNUInstallDirs)

set(TALLYPORT_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
# Units go where Debian 12's systemd looks for a package's units.
set(TALLYPORT_UNIT_DIR /lib/systemd/system CACHE PATH "Where the systemd units are installed")

install(TARGETS tallyport RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tallyport-readersim)
  install(TARGETS tallyport-readersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${TALLYPORT_PACKAGING}/tallyport.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TALLYPORT_PACKAGING}/org.tallyport.tallyport.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TALLYPORT_PACKAGING}/tallyport.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${TALLYPORT_PACKAGING}/icons/${size}x${size}/tallyport.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages and the changelog compressed, as Debian's tools expect them.
set(TALLYPORT_GZ_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${TALLYPORT_GZ_DIR})
set(TALLYPORT_GZ_FILES)
foreach(src docs/man/tallyport.1 docs/man/tallyport-readersim.1 packaging/debian/changelog)
  get_filename_component(name ${src} NAME)
  set(out ${TALLYPORT_GZ_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${out}
                     COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/${src} > ${out}
                     DEPENDS ${CMAKE_SOURCE_DIR}/${src} VERBATIM)
  list(APPEND TALLYPORT_GZ_FILES ${out})
endforeach()
add_custom_target(tallyport_packaging_files ALL DEPENDS ${TALLYPORT_GZ_FILES})
install(FILES ${TALLYPORT_GZ_DIR}/tallyport.1.gz ${TALLYPORT_GZ_DIR}/tallyport-readersim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TALLYPORT_GZ_DIR}/changelog.gz ${TALLYPORT_PACKAGING}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${TALLYPORT_PACKAGING}/systemd/tallyport.service
              ${TALLYPORT_PACKAGING}/systemd/tallyport-backup.service
              ${TALLYPORT_PACKAGING}/systemd/tallyport-backup.timer
        DESTINATION ${TALLYPORT_UNIT_DIR})
install(FILES ${TALLYPORT_PACKAGING}/tallyport.sysusers
        DESTINATION lib/sysusers.d RENAME tallyport.conf)
install(FILES ${TALLYPORT_PACKAGING}/tallyport.tmpfiles
        DESTINATION lib/tmpfiles.d RENAME tallyport.conf)
install(PROGRAMS ${TALLYPORT_PACKAGING}/tallyport-daily-backup
        DESTINATION lib/tallyport)

# The .deb. Its run-time libraries come from the binaries (dpkg-shlibdeps); what the binaries
# load only at run time (Qt's platform plugins, camera and voice data, the report fonts) is
# recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallyport)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tallyport")
set(CPACK_PACKAGE_CONTACT "Tallyport developers <packages@tallyport.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "time-attendance and access-control console for networked card readers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tallyport runs on one PC next to up to eight networked proximity-card readers.
 Every card read becomes a record of an encrypted log at once, shown live with
 the holder's name and photo, and the log gives the attendance reports that pay
 people. It also runs without a window as a systemd service, with a watchdog
 and a daily backup timer.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tallyport.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# kill: the service unit's reload sends SIGHUP with it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "procps")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-qpa-plugins, espeak-ng-data, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${TALLYPORT_PACKAGING}/debian/postinst ${TALLYPORT_PACKAGING}/debian/prerm
    ${TALLYPORT_PACKAGING}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
