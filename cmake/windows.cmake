# The Windows build: the program, its Windows-side tests, the end-to-end tools and benchmarks.

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
if(MINGW)
  # One self-contained exe: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The release flags (CMakePresets.json) leave out -ffunction-sections and -fdata-sections: the
  # assembler pads each section to 16 bytes, which cost 12 KB more than --gc-sections saved by
  # dropping unused functions. Template copies still come in sections of their own, and the
  # linker still drops those nobody calls. -fno-ipa-sra: that pass gave each file its own local
  # copy of the string's functions (std::string::_M_create 48 times over), 12 KB in all.
  # -fno-declone-ctor-dtor: -Os makes one body for a constructor's two entry points, and on
  # Windows each file keeps a private copy of it (the string's copy and move 31 times each):
  # 12 KB more.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
endif()

add_library(tarvek_win STATIC
  src/win/system/strings.cpp
  src/win/windows/dpi.cpp
  src/win/system/on_demand.cpp
  src/win/system/background.cpp
  src/win/windows/common_controls.cpp
  src/win/windows/list_view_grid.cpp
  src/win/system/registry.cpp
  src/win/system/win_system.cpp
  src/win/launch/launch_routes.cpp
  src/win/launch/consent_owner.cpp
  src/win/launch/running_apps.cpp
  src/win/input/foreground_program.cpp
  src/win/input/key_sender.cpp
  src/win/input/typing.cpp
  src/win/input/hook_thread.cpp
  src/win/input/abbreviation_hook.cpp
  src/win/input/key_hook.cpp
  src/win/input/mouse_hook.cpp
  src/win/launch/environment_keys.cpp
  src/win/windows/dialog_kit.cpp
  src/win/windows/input_box.cpp
  src/win/system/files.cpp
  src/win/windows/drop_target.cpp
  src/win/windows/message_filter.cpp
  src/win/system/command_channel.cpp
  src/win/system/process_facts.cpp
  src/win/windows/screens.cpp
  src/settings/settings_dialog.cpp
  src/editor/editor_dialog.cpp
  src/editor/launch_options_dialog.cpp
  src/editor/scope_row_dialog.cpp
  src/abbreviations/abbreviations_dialog.cpp
  src/abbreviations/abbreviation_edit_dialog.cpp
  src/help/help_window.cpp
  src/help/about_window.cpp
  src/lists/save_list_dialog.cpp
  src/lists/import_list_dialog.cpp
  src/pad/pad_window.cpp
  src/pad/pad_drop_window.cpp
  src/win/input/key_box.cpp
  src/win/windows/dropped_files.cpp
  src/win/system/session_end.cpp
  src/win/system/tray_courier.cpp
)
target_link_libraries(tarvek_win PUBLIC tarvek_logic comctl32 comdlg32 shlwapi winmm shell32 advapi32 user32 gdi32 uuid)

add_executable(TarvekHotKey WIN32
  src/shell/main.cpp
  src/shell/main_window.cpp
  src/shell/main_startup_window.cpp
  src/shell/main_command_line_window.cpp
  src/shell/main_menu_window.cpp
  src/shell/single_copy_window.cpp
  src/shell/tray_icon_window.cpp
  res/app.rc
)
configure_file(res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
target_include_directories(TarvekHotKey PRIVATE src res ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(TarvekHotKey PRIVATE tarvek_win)
if(MINGW)
  target_link_options(TarvekHotKey PRIVATE -municode)
  # Every window and every static of the program lives on its one user-interface thread, so
  # function-local statics need no guard: smaller code, as the release's size limit wants. The
  # jobs of the worker threads (src/win/system/background.cpp) run only code that keeps no such static.
  foreach(part tarvek_logic tarvek_win TarvekHotKey)
    target_compile_options(${part} PRIVATE -fno-threadsafe-statics)
  endforeach()
  # The C++ library's length and index errors as std::bad_alloc, without the exception classes
  # and strings its own versions bring (see the file).
  target_sources(TarvekHotKey PRIVATE src/win/system/library_errors.cpp)
  # The runtime's thread functions on Win32, without the POSIX thread library (see the file).
  target_sources(TarvekHotKey PRIVATE src/win/system/library_threads.cpp)
endif()
file(GLOB resource_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.bmp)
set_source_files_properties(res/app.rc PROPERTIES OBJECT_DEPENDS
  "${resource_files};${CMAKE_SOURCE_DIR}/res/app.manifest")

# The sounds ship next to the program.
add_custom_command(TARGET TarvekHotKey POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${CMAKE_SOURCE_DIR}/res/hotkey.wav ${CMAKE_SOURCE_DIR}/res/mouse.wav
          $<TARGET_FILE_DIR:TarvekHotKey>)

if(HAVE_GTEST)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/win/CMakeLists.txt)
    add_subdirectory(tests/win)
  endif()
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()

# The release: one zip with the program, its sounds, a read-me and the license, the setup and
# the manifests (cmake --build --preset mingw --target package). The program goes in stripped.
install(TARGETS TarvekHotKey RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/hotkey.wav ${CMAKE_SOURCE_DIR}/res/mouse.wav DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/readme-package.txt DESTINATION . RENAME README.txt)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TarvekHotKey)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME TarvekHotKey-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Beside the zip: the setup made from the same files, and the winget and Scoop manifests.
set(TARVEK_RELEASE_URL "https://example.invalid/tarvek-hotkey/releases/v${PROJECT_VERSION}"
    CACHE STRING "Where the release's files are downloaded from (the manifests name it)")
set(TARVEK_HOMEPAGE "https://example.invalid/tarvek-hotkey" CACHE STRING "The program's home page")
find_program(TARVEK_MAKENSIS makensis)
set(CPACK_TARVEK_MAKENSIS ${TARVEK_MAKENSIS})
set(CPACK_TARVEK_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_TARVEK_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(CPACK_TARVEK_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(CPACK_TARVEK_RELEASE_URL ${TARVEK_RELEASE_URL})
set(CPACK_TARVEK_HOMEPAGE ${TARVEK_HOMEPAGE})
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/release.cmake)
include(CPack)
