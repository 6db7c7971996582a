# The release ZIP: the program, its warning sound, the README, the settings
# page and the license, nothing else (no simulator, no library doubles, no
# tests). Built with: cmake --build --preset win64 --target package
install(TARGETS korvath RUNTIME DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/src/app/KVWarning.wav DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/settings.md DESTINATION docs)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_SYSTEM_NAME win64)
else()
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Korvath)
set(CPACK_PACKAGE_VENDOR "Korvath developers")
set(CPACK_PACKAGE_VERSION ${KORVATH_VERSION_TEXT})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
