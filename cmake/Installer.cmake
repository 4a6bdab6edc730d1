# Windows Installer packages, one per component and architecture, built by
# wixl beside the zip (build/<preset>/package): QorTreeView-<version>-<arch>.msi
# and OrraWebServer-<version>-<arch>.msi. Each is made from a staging folder
# of its own (stripped binaries, README, docs, site) by installer/make-msi.sh.
# The control's registry rows come from installer/MakeRegistryFragment, which
# records what the module's own registration writes; the same fragment goes
# into the zip for other products' installers.

find_program(QOR_WIXL wixl REQUIRED)
if(QOR_PACKAGE_ARCH STREQUAL "win64")
  set(QOR_MSI_ARCH x64)
else()
  set(QOR_MSI_ARCH x86)
endif()
set(QOR_INSTALLER_DIR ${CMAKE_BINARY_DIR}/installer)
set(QOR_MSI_DIR ${CMAKE_BINARY_DIR}/package)
set(QOR_MSI_CONTROL ${QOR_MSI_DIR}/QorTreeView-${PROJECT_VERSION}-${QOR_PACKAGE_ARCH}.msi)
set(QOR_MSI_SERVER ${QOR_MSI_DIR}/OrraWebServer-${PROJECT_VERSION}-${QOR_PACKAGE_ARCH}.msi)

# The fragment writer: an x64 program like the type library writer, so that
# the 32-bit build runs no 32-bit code.
set(QOR_REGGEN ${QOR_INSTALLER_DIR}/qorregfragment.exe)
add_custom_command(OUTPUT ${QOR_REGGEN}
  COMMAND ${QOR_X64_CXX} -std=c++17 -O1 -Wall -Wextra -Wshadow -Werror -municode -static
          -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0601
          -I${PROJECT_SOURCE_DIR}/treeview -MD -MF ${QOR_REGGEN}.d
          ${PROJECT_SOURCE_DIR}/installer/MakeRegistryFragment.cpp
          ${PROJECT_SOURCE_DIR}/treeview/framework/CClassRegistry.cpp
          ${PROJECT_SOURCE_DIR}/treeview/framework/CRegKey.cpp
          -o ${QOR_REGGEN} -loleaut32 -lole32 -luuid -ladvapi32
  DEPENDS ${PROJECT_SOURCE_DIR}/installer/MakeRegistryFragment.cpp
          ${PROJECT_SOURCE_DIR}/treeview/framework/CClassRegistry.cpp
          ${PROJECT_SOURCE_DIR}/treeview/framework/CRegKey.cpp
  DEPFILE ${QOR_REGGEN}.d
  COMMENT "Building the control's registry fragment writer (x64)"
  VERBATIM)

# Staging: the binaries stripped as in the zip, the zip's README, the docs
# and the site. Docs and site are copied afresh so that a removed file goes.
file(GLOB_RECURSE qor_stage_inputs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/docs/*.md ${PROJECT_SOURCE_DIR}/docs/*.png
     ${PROJECT_SOURCE_DIR}/examples/site/*)
set(qor_common_stage
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README-windows.md README.md
  COMMAND ${CMAKE_COMMAND} -E rm -rf docs site
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs docs
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/examples/site site)
set(qor_make_msi ${PROJECT_SOURCE_DIR}/installer/make-msi.sh)
file(MAKE_DIRECTORY ${QOR_INSTALLER_DIR}/QorTreeView ${QOR_INSTALLER_DIR}/OrraWebServer ${QOR_MSI_DIR})

set(qor_stage ${QOR_INSTALLER_DIR}/QorTreeView)
set(QOR_REGISTRY_WXS ${qor_stage}/QorTreeView-registry.wxs)
add_custom_command(OUTPUT ${QOR_MSI_CONTROL} ${QOR_REGISTRY_WXS}
  COMMAND ${CMAKE_STRIP} -o ${qor_stage}/QorTreeView.ocx $<TARGET_FILE:QorTreeView>
  COMMAND ${CMAKE_STRIP} -o ${qor_stage}/QorTreeViewDemo.exe $<TARGET_FILE:QorTreeViewDemo>
  COMMAND ${PROJECT_SOURCE_DIR}/tools/wine-build-step.sh "registry fragment writer"
          ${CMAKE_BINARY_DIR}/typelib-wineprefix ${QOR_REGISTRY_WXS} ${QOR_MSI_ARCH} ${QOR_REGGEN}
          ${qor_stage}/QorTreeView.ocx
  ${qor_common_stage}
  COMMAND bash ${qor_make_msi} QorTreeView ${QOR_MSI_ARCH} ${PROJECT_VERSION} . ${QOR_MSI_CONTROL}
  WORKING_DIRECTORY ${qor_stage}
  DEPENDS QorTreeView QorTreeViewDemo ${QOR_REGGEN} ${qor_make_msi} ${qor_stage_inputs}
          ${PROJECT_SOURCE_DIR}/installer/QorTreeView.wxs ${PROJECT_SOURCE_DIR}/tools/wine-build-step.sh
          ${PROJECT_SOURCE_DIR}/README-windows.md
  COMMENT "Building the QorTreeView package (${QOR_MSI_ARCH})"
  VERBATIM)

set(qor_stage ${QOR_INSTALLER_DIR}/OrraWebServer)
add_custom_command(OUTPUT ${QOR_MSI_SERVER}
  COMMAND ${CMAKE_STRIP} -o ${qor_stage}/OrraWebServer.exe $<TARGET_FILE:OrraWebServer>
  ${qor_common_stage}
  COMMAND bash ${qor_make_msi} OrraWebServer ${QOR_MSI_ARCH} ${PROJECT_VERSION} . ${QOR_MSI_SERVER}
  WORKING_DIRECTORY ${qor_stage}
  DEPENDS OrraWebServer ${qor_make_msi} ${qor_stage_inputs}
          ${PROJECT_SOURCE_DIR}/installer/OrraWebServer.wxs ${PROJECT_SOURCE_DIR}/README-windows.md
  COMMENT "Building the OrraWebServer package (${QOR_MSI_ARCH})"
  VERBATIM)

add_custom_target(installers ALL DEPENDS ${QOR_MSI_CONTROL} ${QOR_MSI_SERVER})

# The fragment for other installers, in the zip beside the control.
install(FILES ${QOR_REGISTRY_WXS} DESTINATION .)

# The package check: both packages' essential rows, and the checker refusing
# packages with known faults.
add_test(NAME packaging.msi
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/check-msi-test.sh
          ${PROJECT_SOURCE_DIR}/tools/check-msi.sh ${QOR_MSI_CONTROL} ${QOR_MSI_SERVER})
set_tests_properties(packaging.msi PROPERTIES TIMEOUT 60 LABELS "packaging;win32")

# Wine's msiexec installs them, each mode in a fresh prefix of its own. The
# per-user run starts the server from its shortcut, on port 80.
foreach(mode per_user per_machine)
  string(REPLACE "_" "" arg ${mode})
  add_test(NAME packaging.msi_${mode}
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packaging/msi-test.sh ${arg} ${CMAKE_BINARY_DIR}
            ${QOR_MSI_ARCH} ${PROJECT_VERSION})
  set_tests_properties(packaging.msi_${mode} PROPERTIES TIMEOUT 300 LABELS "packaging;wine;win32")
endforeach()
set_tests_properties(packaging.msi_per_user PROPERTIES RESOURCE_LOCK port80)
