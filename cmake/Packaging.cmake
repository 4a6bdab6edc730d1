# What is shipped: one zip per architecture, made by cpack, and the test
# that checks it. Add a deliverable by naming its target in
# QOR_PACKAGE_TARGETS and its file in QOR_PACKAGE_FILES.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QOR_PACKAGE_ARCH win64)
else()
  set(QOR_PACKAGE_ARCH win32)
endif()

# Targets installed at the top of the zip.
set(QOR_PACKAGE_TARGETS OrraWebServer QorTreeView QorTreeViewDemo)
# Every file the zip must hold, relative to its top folder; the package
# test checks this list, and the binaries among them for their imports.
set(QOR_PACKAGE_FILES
  OrraWebServer.exe
  QorTreeView.ocx
  QorTreeViewDemo.exe
  QorTreeView.sxs.manifest
  YourProgram.exe.manifest
  QorTreeView-registry.wxs
  README.md
  docs/user-guide.md
  docs/control.md
  docs/configuration.md
  docs/http.md
  docs/troubleshooting.md
  docs/changelog.md
  docs/installers.md
  site/index.html
  site/readme.txt
  site/tree.txt
  site/Default.ico)

install(TARGETS ${QOR_PACKAGE_TARGETS} RUNTIME DESTINATION . LIBRARY DESTINATION .)
# Registration-free use: the control's side-by-side manifest and an example
# program manifest naming it, for this architecture; made beside the built
# control too, where the registration-free test takes them from.
if(QOR_PACKAGE_ARCH STREQUAL "win64")
  set(QOR_SXS_ARCH amd64)
else()
  set(QOR_SXS_ARCH x86)
endif()
foreach(manifest QorTreeView.sxs.manifest YourProgram.exe.manifest)
  configure_file(treeview/module/${manifest}.in ${CMAKE_BINARY_DIR}/bin/${manifest} @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/bin/${manifest} DESTINATION .)
endforeach()
# The zip's README speaks to someone on Windows holding the zip; the
# repository's README stays the developer's.
install(FILES README-windows.md DESTINATION . RENAME README.md)
# Every document with its pictures: the package test checks that each
# relative link of a shipped Markdown file resolves inside the zip.
install(DIRECTORY docs/ DESTINATION docs FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(DIRECTORY examples/site/ DESTINATION site)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME OrraWebServer-QorTreeView)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(QOR_PACKAGE_ZIP OrraWebServer-QorTreeView-${PROJECT_VERSION}-${QOR_PACKAGE_ARCH})
set(CPACK_PACKAGE_FILE_NAME ${QOR_PACKAGE_ZIP})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The zip's binaries are stripped with the target's strip (CMAKE_STRIP) as
# they are installed; build/<preset>/bin keeps the unstripped ones, whose
# symbols turn a crash address into a function name.
set(CPACK_STRIP_FILES ON)
include(CPack)

# The package test makes the zip afresh from the built tree, then checks
# its contents and that its binaries import only system DLLs.
string(REPLACE ";" "," qor_package_list "${QOR_PACKAGE_FILES}")
add_test(NAME packaging.zip
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/check-package.sh
          --make ${CMAKE_BINARY_DIR}
          ${CMAKE_BINARY_DIR}/package/${QOR_PACKAGE_ZIP}.zip
          ${CMAKE_OBJDUMP} ${qor_package_list})
set_tests_properties(packaging.zip PROPERTIES TIMEOUT 120 LABELS "packaging;win32" RESOURCE_LOCK package)

# The checker itself, fed zips with known faults.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE qor_mingw_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
# A PE file of the other architecture, for the mixed-up package; the
# win32 objdump cannot read 64-bit files, so only the win64 tree has one.
set(qor_other_arch_binary "")
if(QOR_PACKAGE_ARCH STREQUAL "win64")
  execute_process(COMMAND i686-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE qor_other_arch_binary OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(NOT EXISTS "${qor_other_arch_binary}")
    set(qor_other_arch_binary "")
  endif()
endif()
add_test(NAME packaging.checker
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/check-package-test.sh
          ${CMAKE_SOURCE_DIR}/tools/check-package.sh ${CMAKE_OBJDUMP}
          $<TARGET_FILE:OrraWebServer> ${qor_mingw_runtime} ${QOR_PACKAGE_ARCH}
          "${qor_other_arch_binary}" ${CMAKE_STRIP})
set_tests_properties(packaging.checker PROPERTIES TIMEOUT 60 LABELS "packaging;win32")

# The Windows Installer packages and their checks.
include(cmake/Installer.cmake)
