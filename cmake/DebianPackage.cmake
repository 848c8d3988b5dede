# The Debian package of the Linux build: `make package` gives keyweave_<version>_<arch>.deb in
# the build folder, with the program, keyweave-check, the example scripts, the desktop entry,
# the icon, a manual page for each program, and the copyright and changelog Debian asks for.
# Its dependencies come from the shared libraries the programs link (dpkg-shlibdeps).

install(TARGETS keyweave-check RUNTIME DESTINATION bin)

find_program(KEYWEAVE_GZIP gzip REQUIRED)
find_program(KEYWEAVE_DPKG dpkg REQUIRED)

# Debian keeps manual pages and changelogs compressed, without a time stamp inside.
function(keyweave_compressed source destination)
    get_filename_component(name ${source} NAME)
    set(compressed ${CMAKE_BINARY_DIR}/package/${name}.gz)
    add_custom_command(
        OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
        COMMAND ${KEYWEAVE_GZIP} -9 -n -c ${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing ${name}")
    set_property(GLOBAL APPEND PROPERTY KEYWEAVE_COMPRESSED_FILES ${compressed})
    install(FILES ${compressed} DESTINATION ${destination})
endfunction()

keyweave_compressed(${PROJECT_SOURCE_DIR}/docs/man/keyweave.1 share/man/man1)
keyweave_compressed(${PROJECT_SOURCE_DIR}/docs/man/keyweave-check.1 share/man/man1)
keyweave_compressed(${PROJECT_SOURCE_DIR}/packaging/debian/changelog share/doc/keyweave)
get_property(compressed GLOBAL PROPERTY KEYWEAVE_COMPRESSED_FILES)
add_custom_target(keyweave_compressed_files ALL DEPENDS ${compressed})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION share/doc/keyweave)

execute_process(COMMAND ${KEYWEAVE_DPKG} --print-architecture
                OUTPUT_VARIABLE KEYWEAVE_DEB_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
# Where `make package` puts the package; the package test installs it from there.
set(KEYWEAVE_DEB_FILE
    ${CMAKE_BINARY_DIR}/keyweave_${PROJECT_VERSION}_${KEYWEAVE_DEB_ARCHITECTURE}.deb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keyweave)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Keyweave developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard and mouse macro player")
# The lines below the summary; CPack indents them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Keyweave plays small text scripts as synthetic keyboard and mouse input into
whatever application has the focus: press, release or stroke keys, type a
string, press mouse buttons, move the cursor, pin it, wait, pause or stop. A
global Start/Stop key combination, bound by holding the keys for three
seconds, starts and stops the chosen script from any application.

The package also holds keyweave-check, which checks scripts written by hand
and shows what they compile to, and example scripts that use every statement.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "The Keyweave developers <keyweave@users.noreply.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${KEYWEAVE_DEB_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
