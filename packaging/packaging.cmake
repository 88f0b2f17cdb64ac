# Desktop integration and the Debian package: desktop entry, AppStream metainfo, the icon in the
# hicolor theme, the `ampwise` launcher on the PATH, and CPack's .deb.

set(AMPWISE_SHARE_DIR "/usr/share" CACHE PATH "Where the desktop entry, metainfo and icons go")
set(AMPWISE_LAUNCHER_DIR "/usr/bin" CACHE PATH "Where the ampwise launcher goes")
set(AMPWISE_ICON_SVG "${PROJECT_SOURCE_DIR}/resources/icons/ampwise.svg")

install(FILES "${CMAKE_CURRENT_LIST_DIR}/com.brannoworks.Ampwise.desktop"
        DESTINATION "${AMPWISE_SHARE_DIR}/applications")
# The release named in the metainfo is the project's version, like every other place.
configure_file("${CMAKE_CURRENT_LIST_DIR}/com.brannoworks.Ampwise.metainfo.xml.in"
               "${CMAKE_BINARY_DIR}/com.brannoworks.Ampwise.metainfo.xml" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/com.brannoworks.Ampwise.metainfo.xml"
        DESTINATION "${AMPWISE_SHARE_DIR}/metainfo")
# The licences of the program and of what it links.
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright" DESTINATION "${AMPWISE_SHARE_DIR}/doc/ampwise")

if(EXISTS "${AMPWISE_ICON_SVG}")
  find_package(Qt6 REQUIRED COMPONENTS Svg)
  add_executable(RenderIcon "${CMAKE_CURRENT_LIST_DIR}/RenderIcon.cpp")
  ampwise_target_defaults(RenderIcon)
  target_link_libraries(RenderIcon PRIVATE Qt6::Gui Qt6::Svg)
  set(_pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(_png "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/ampwise.png")
    add_custom_command(OUTPUT "${_png}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps"
      COMMAND RenderIcon "${AMPWISE_ICON_SVG}" ${size} "${_png}"
      DEPENDS RenderIcon "${AMPWISE_ICON_SVG}" VERBATIM)
    list(APPEND _pngs "${_png}")
    install(FILES "${_png}" DESTINATION "${AMPWISE_SHARE_DIR}/icons/hicolor/${size}x${size}/apps")
  endforeach()
  add_custom_target(ampwise_icons ALL DEPENDS ${_pngs})
  install(FILES "${AMPWISE_ICON_SVG}" DESTINATION "${AMPWISE_SHARE_DIR}/icons/hicolor/scalable/apps")
endif()

# The launchers are relative symlinks into the maker's folder, so that each program still sees
# its real location (the folder rules start from the executable's own path). They are made at
# install time so that `cmake --install --prefix ...` and the package both get the right target.
foreach(_launcher "ampwise=Ampwise" "ampwise-schedule=ampwise-schedule")
  string(REPLACE "=" ";" _pair "${_launcher}")
  list(GET _pair 0 _name)
  list(GET _pair 1 _program)
  install(CODE "
    set(_dir \"\$ENV{DESTDIR}${AMPWISE_LAUNCHER_DIR}\")
    file(RELATIVE_PATH _to \"${AMPWISE_LAUNCHER_DIR}\" \"\${CMAKE_INSTALL_PREFIX}/Brannoworks/Ampwise/${_program}\")
    file(MAKE_DIRECTORY \"\${_dir}\")
    file(CREATE_LINK \"\${_to}\" \"\${_dir}/${_name}\" SYMBOLIC)
    message(STATUS \"Installing: \${_dir}/${_name} -> \${_to}\")
  ")
endforeach()

install(FILES "${AMPWISE_SCHEDULE_MAN}" DESTINATION "${AMPWISE_SHARE_DIR}/man/man1")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "ampwise")
set(CPACK_PACKAGE_VENDOR "Brannoworks")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cable sizing calculator")
set(CPACK_PACKAGE_DESCRIPTION
  "Sizes an electric supply cable: from the conductor material, the load type and phase, the load power and the cable length it gives the line current and the smallest standard conductor cross-section within the allowed voltage drop, with a printable report. ampwise-schedule sizes every circuit of a CSV cable schedule the same way, from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brannoworks <support@brannoworks.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Beyond the shared libraries: the mail and help hand-off, and the fonts the windows ask for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, fonts-liberation, libqt6svg6")
include(CPack)
