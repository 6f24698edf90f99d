# Build helpers shared by every folder.
#
# Each subsystem folder holds a portable core (its core/ subfolder: rules, tables and state
# machines that need no Win32) and the Windows code that calls the system. The native preset
# builds only the cores, which keeps them free of <windows.h>.

set(PELNIX_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)

# The version, for the resources of the program and its libraries (pelnix_version.h).
configure_file(${CMAKE_CURRENT_LIST_DIR}/pelnix_version.h.in ${CMAKE_BINARY_DIR}/generated/pelnix_version.h @ONLY)

add_library(pelnix_options INTERFACE)
target_include_directories(pelnix_options INTERFACE ${PELNIX_SOURCE_ROOT} ${CMAKE_BINARY_DIR}/generated)
target_compile_options(pelnix_options INTERFACE -Wall -Wextra -Wno-unused-parameter)

if(WIN32)
  target_compile_definitions(pelnix_options INTERFACE
    UNICODE _UNICODE NOMINMAX STRICT _WIN32_WINNT=0x0A00 WINVER=0x0A00 _WIN32_IE=0x0A00)
  # Statically linked: the program and its libraries need no runtime DLLs.
  target_link_options(pelnix_options INTERFACE -static -static-libgcc -static-libstdc++)
  # Reproducible: the same commit built in another folder at another time gives the same bytes.
  # No PE time stamp, no build folder in the objects (the build folder's map comes last, so it
  # wins inside the source folder), and no symbol table (it names the objects' sources).
  target_compile_options(pelnix_options INTERFACE
    -ffile-prefix-map=${CMAKE_SOURCE_DIR}=/pelnix/source
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=/pelnix/build)
  target_link_options(pelnix_options INTERFACE -Wl,--no-insert-timestamp $<$<CONFIG:Release>:-s>)
else()
  if(PELNIX_TSAN)
    target_compile_options(pelnix_options INTERFACE -fsanitize=thread -g)
    target_link_options(pelnix_options INTERFACE -fsanitize=thread)
  elseif(PELNIX_SANITIZE)
    target_compile_options(pelnix_options INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g)
    target_link_options(pelnix_options INTERFACE -fsanitize=address,undefined)
  endif()
endif()

# pelnix_core_library(name sources...): a portable static library, built by both presets.
function(pelnix_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pelnix_options)
endfunction()

# pelnix_win_library(name sources...): a static library of Windows code (windows preset only).
function(pelnix_win_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pelnix_options)
endfunction()

# Output folders of the program as a user gets it, and of the demo build beside it.
set(PELNIX_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(PELNIX_DEMO_DIR ${CMAKE_BINARY_DIR}/demo)

# The source's date (scripts/source-date-epoch.sh): it dates the manuals, the installer package
# and the signatures, so that the same commit gives the same bytes. The file is written only
# when it changes: a new commit makes them again, nothing else does.
set(PELNIX_SOURCE_DATE_EPOCH_FILE ${CMAKE_BINARY_DIR}/source-date-epoch)
if(WIN32)
  add_custom_target(pelnix_source_date_epoch ALL
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/source-date-epoch.sh ${PELNIX_SOURCE_DATE_EPOCH_FILE}
    BYPRODUCTS ${PELNIX_SOURCE_DATE_EPOCH_FILE}
    VERBATIM)
endif()

# The Wine prefix of this build: its own registry and profile files, the null graphics driver.
set(PELNIX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(PELNIX_WINE_ENV
  "WINEPREFIX=${PELNIX_WINEPREFIX}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree=d\;mshtml=d")

# pelnix_program(<target> OUTPUT_DIR <dir> MAIN <source> BACKEND <library>): the program
# PelnixCpl.exe built into <dir>, whose entry point <source> gives start-up the HID system and
# monitors of <library> (the machine's for the program as a user gets it, simulated touch
# screens for the demo).
function(pelnix_program target)
  cmake_parse_arguments(P "" "OUTPUT_DIR;MAIN;BACKEND" "" ${ARGN})
  add_executable(${target} WIN32 ${P_MAIN} ${PELNIX_SOURCE_ROOT}/app/res/PelnixCpl.rc)
  target_link_libraries(${target} PRIVATE pelnix_app ${P_BACKEND} pelnix_options)
  target_link_options(${target} PRIVATE -municode -mwindows)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME PelnixCpl
    RUNTIME_OUTPUT_DIRECTORY ${P_OUTPUT_DIR})
endfunction()
