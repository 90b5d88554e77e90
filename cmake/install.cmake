# What `cmake --install` places beside the programs, and the Debian package built from it
# (`cpack -G DEB` in a release build). The programs, the data files and the example menu
# are installed by their own folders.

# The maintainer is whoever makes the package, taken as Debian's own tools take it: from
# DEBFULLNAME and DEBEMAIL (or NAME and EMAIL) at each configure, unless VT_MAINTAINER names
# one; without any, an address that cannot be mistaken for a real one.
set(VT_MAINTAINER "" CACHE STRING "The package maintainer, name and mail address (default: from DEBFULLNAME/DEBEMAIL)")
set(vt_maintainer "${VT_MAINTAINER}")
if(NOT vt_maintainer)
  set(vt_mail "$ENV{DEBEMAIL}")
  if(NOT vt_mail)
    set(vt_mail "$ENV{EMAIL}")
  endif()
  set(vt_name "$ENV{DEBFULLNAME}")
  if(NOT vt_name)
    set(vt_name "$ENV{NAME}")
  endif()
  if(vt_mail MATCHES "<.*>")
    set(vt_maintainer "${vt_mail}")
  elseif(vt_mail AND vt_name)
    set(vt_maintainer "${vt_name} <${vt_mail}>")
  elseif(vt_mail)
    set(vt_maintainer "vt03toolkit developers <${vt_mail}>")
  else()
    # No address given: one under the reserved .invalid domain, which says plainly that
    # nobody reads it (the project has no public address of its own).
    set(vt_maintainer "vt03toolkit developers <packager@vt03toolkit.invalid>")
  endif()
endif()
# The project has no public home of its own yet: the metadata and the package name one only
# when it is given here.
set(VT_HOMEPAGE "" CACHE STRING "The project's public home, named by the software-centre metadata and the package")

# Manual pages, compressed as Debian keeps them.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(vt_man_pages romvane-cli romvane tilvex-cli)
if(TARGET tilvex)
  list(APPEND vt_man_pages tilvex)
endif()
set(vt_man_outputs)
foreach(page IN LISTS vt_man_pages)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${GZIP_EXECUTABLE} -9nc ${PROJECT_SOURCE_DIR}/man/${page}.1 > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1)
  list(APPEND vt_man_outputs ${out})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${vt_man_outputs})
install(FILES ${vt_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES completions/romvane-cli completions/tilvex-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES desktop/vt03toolkit.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# Romvane's icon in the usual hicolor sizes, drawn from its SVG (64 x 64 ships as drawn).
set(vt_icon_sizes 16 32 48 128 256)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(vt_icons)
  foreach(size IN LISTS vt_icon_sizes)
    set(out ${CMAKE_BINARY_DIR}/icons/${size}x${size}/romvane.png)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${out}
              ${PROJECT_SOURCE_DIR}/romvane/ui/romvane.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/romvane/ui/romvane.svg)
    list(APPEND vt_icons ${out})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${vt_icons})
else()
  message(WARNING "rsvg-convert not found (package librsvg2-bin): only the 64 x 64 and "
                  "scalable icons are installed")
endif()

# Debian's documentation files for the package.
set(vt_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vt03toolkit)
configure_file(desktop/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9nc ${CMAKE_BINARY_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/changelog)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES desktop/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${vt_doc_dir})

# What software centres show of each program.
set(vt_metainfo_programs romvane)
if(TARGET tilvex)
  list(APPEND vt_metainfo_programs tilvex)
endif()
set(vt_metainfo_caption_romvane "The game list with five games")
set(vt_metainfo_caption_tilvex "A converted picture and a small project")
foreach(program IN LISTS vt_metainfo_programs)
  # The home page and the screenshots, which live there, only when the project has one.
  set(vt_metainfo_url "")
  set(vt_metainfo_screenshots "")
  if(VT_HOMEPAGE)
    set(vt_metainfo_url "  <url type=\"homepage\">${VT_HOMEPAGE}</url>\n")
    string(CONCAT vt_metainfo_screenshots
      "  <screenshots>\n"
      "    <screenshot type=\"default\">\n"
      "      <caption>${vt_metainfo_caption_${program}}</caption>\n"
      "      <image>${VT_HOMEPAGE}/raw/main/${program}/ui/doc/${program}-window.png</image>\n"
      "    </screenshot>\n"
      "  </screenshots>\n")
  endif()
  set(metainfo ${CMAKE_BINARY_DIR}/metainfo/org.vt03toolkit.${program}.metainfo.xml)
  configure_file(desktop/org.vt03toolkit.${program}.metainfo.xml.in ${metainfo} @ONLY)
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

set(CPACK_PACKAGE_NAME vt03toolkit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${vt_maintainer}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "homebrew toolkit for VT03 consoles")
set(CPACK_PACKAGE_DESCRIPTION
    "Romvane builds multi-game cartridge images from lists of iNES games, with a\n\
menu program assembled by cc65. Tilvex converts pictures into VT03 tile\n\
graphics: palettes, PGT tiles, PNT name tables and attributes.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(VT_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VT_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Tilvex opens libjpeg and giflib on the first JPEG or GIF, so no program links them and
# the scan of the programs' libraries cannot find them. Romvane renders the menu's glyphs
# from GNU Unifont's unifont.hex.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libjpeg62-turbo, libgif7, unifont")
# The menu project is assembled by ca65 and ld65. Romvane's run and Tilvex's preview start
# an emulator: FCEUX for 4-colour cartridges, MAME for the VT03's 16-colour pictures.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cc65")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "fceux, mame")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
