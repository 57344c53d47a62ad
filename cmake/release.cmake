# Run by CPack once the zip is made (CPACK_POST_BUILD_SCRIPTS): makes the setup from the zip's
# files with makensis and writes the package managers' manifests beside them, with the hashes
# of the files just made. Everything it needs comes in as CPACK_TARVEK_* variables.

set(version ${CPACK_PACKAGE_VERSION})
set(url ${CPACK_TARVEK_RELEASE_URL})
set(zip "")
foreach(file IN LISTS CPACK_PACKAGE_FILES)
  if(file MATCHES "\\.zip$")
    set(zip ${file})
  endif()
endforeach()
if(NOT zip)
  message(FATAL_ERROR "release: no zip among the packages (${CPACK_PACKAGE_FILES})")
endif()
if(NOT CPACK_TARVEK_MAKENSIS)
  message(FATAL_ERROR "release: makensis not found; scripts/setup.sh installs it (Debian package nsis)")
endif()
# CPack runs this before it moves the zip from its working folder to where the user finds it.
set(out ${CPACK_PACKAGE_DIRECTORY})
get_filename_component(zipName ${zip} NAME)
get_filename_component(top ${zip} NAME_WLE)

# The setup installs exactly what the zip holds.
get_filename_component(work ${zip} DIRECTORY)
set(stage ${work}/setup-stage)
file(REMOVE_RECURSE ${stage})
file(ARCHIVE_EXTRACT INPUT ${zip} DESTINATION ${stage})
set(setupName TarvekHotKey-${version}-setup.exe)
set(setup ${out}/${setupName})
execute_process(
  COMMAND ${CPACK_TARVEK_MAKENSIS} -V2 -DVERSION=${version}
          -DVERSION_MAJOR=${CPACK_TARVEK_VERSION_MAJOR} -DVERSION_MINOR=${CPACK_TARVEK_VERSION_MINOR}
          -DSTAGE=${stage}/${top} -DRES=${CPACK_TARVEK_SOURCE_DIR}/res -DOUTFILE=${setup}
          ${CPACK_TARVEK_SOURCE_DIR}/res/setup.nsi
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "release: makensis failed (${failed})")
endif()
message(STATUS "release: ${setup}")

file(SHA256 ${setup} setupHash)
string(TOUPPER ${setupHash} setupHash)
file(SHA256 ${zip} zipHash)

# The files are not signed: SHA256SUMS.txt, published beside them, lets a user (or a virus
# scanner's reviewer) check that a download is the one that was built. The format is
# sha256sum's, so "sha256sum -c SHA256SUMS.txt" checks both; on Windows, Get-FileHash shows
# the same digits in upper case.
string(TOLOWER ${setupHash} setupSum)
file(WRITE ${out}/SHA256SUMS.txt "${zipHash}  ${zipName}\n${setupSum}  ${setupName}\n")
message(STATUS "release: ${out}/SHA256SUMS.txt")

set(id Tarvek.TarvekHotKey)
set(head "ManifestVersion: 1.6.0\n")
set(winget ${out}/manifests/winget/${version})
file(REMOVE_RECURSE ${out}/manifests)
file(WRITE ${winget}/${id}.yaml
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.1.6.0.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
DefaultLocale: zh-CN
ManifestType: version
${head}")
file(WRITE ${winget}/${id}.installer.yaml
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.1.6.0.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
InstallerType: nullsoft
Scope: user
InstallModes:
- interactive
- silent
- silentWithProgress
UpgradeBehavior: install
Installers:
- Architecture: x64
  InstallerUrl: ${url}/${setupName}
  InstallerSha256: ${setupHash}
ManifestType: installer
${head}")
file(WRITE ${winget}/${id}.locale.zh-CN.yaml
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.1.6.0.schema.json
PackageIdentifier: ${id}
PackageVersion: ${version}
PackageLocale: zh-CN
Publisher: Tarvek
PackageName: Tarvek HotKey
PackageUrl: ${CPACK_TARVEK_HOMEPAGE}
License: MIT
ShortDescription: 小巧的热键启动器：用一个组合键打开程序、文档、文件夹、网址，或执行内置动作。
Tags:
- hotkey
- launcher
ManifestType: defaultLocale
${head}")

# Scoop runs every app from its own versioned folder and keeps the persisted files across
# updates; with TarvekHotKey.ini among them the program runs in portable mode there, so its
# settings move with the list instead of going to the registry.
file(WRITE ${out}/manifests/scoop/tarvek-hotkey.json
"{
    \"version\": \"${version}\",
    \"description\": \"小巧的热键启动器：用一个组合键打开程序、文档、文件夹、网址，或执行内置动作。\",
    \"homepage\": \"${CPACK_TARVEK_HOMEPAGE}\",
    \"license\": \"MIT\",
    \"architecture\": {
        \"64bit\": {
            \"url\": \"${url}/${zipName}\",
            \"hash\": \"${zipHash}\",
            \"extract_dir\": \"${top}\"
        }
    },
    \"pre_install\": [
        \"foreach ($f in 'SaveKey.htk', 'SaveKey.opt', 'SaveKey.abbr', 'TarvekHotKey.ini') { if (!(Test-Path \\\"$persist_dir\\\\$f\\\")) { New-Item \\\"$dir\\\\$f\\\" -ItemType File | Out-Null } }\"
    ],
    \"bin\": \"TarvekHotKey.exe\",
    \"shortcuts\": [
        [\"TarvekHotKey.exe\", \"Tarvek HotKey\"]
    ],
    \"persist\": [
        \"SaveKey.htk\",
        \"SaveKey.opt\",
        \"SaveKey.abbr\",
        \"TarvekHotKey.ini\"
    ]
}
")
message(STATUS "release: manifests in ${out}/manifests")
