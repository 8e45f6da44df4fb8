# The Windows build: TolvaneSetup.exe and its test variants, the viewer stand-in, the Wine driver.
enable_language(RC)
set(TOLVANE_WINDRES ${CMAKE_RC_COMPILER})
set(TOLVANE_PACKER "" CACHE FILEPATH "The SZDD packer built by the host build (tools/szdd)")
if(NOT TOLVANE_PACKER)
    message(FATAL_ERROR "Set TOLVANE_PACKER to the host build's szddpack; scripts/build.sh does")
endif()

# The executables must run on a machine that has nothing else installed.
add_link_options(-static -static-libgcc -static-libstdc++)

add_subdirectory(viewer)
add_subdirectory(tests/wine)

add_library(tolvane_logic OBJECT ${TOLVANE_SOURCES})

# tolvane_installer(NAME PAYLOAD): an installer executable NAME.exe embedding the file PAYLOAD
# (already SZDD-packed, or any bytes for the bad-payload builds; "" for none).
function(tolvane_installer name payload)
    tolvane_resources(${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o coff "${payload}")
    add_executable(${name} WIN32 $<TARGET_OBJECTS:tolvane_logic>
                               ${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o)
    target_link_libraries(${name} PRIVATE comctl32 comdlg32 lz32 advapi32 user32 kernel32)
endfunction()

# tolvane_pack(OUT INPUT DEPENDS...): packs INPUT into the SZDD file OUT.
function(tolvane_pack out input)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${TOLVANE_PACKER} compress ${input} ${out}
                       DEPENDS ${input} ${ARGN}
                       VERBATIM)
endfunction()

set(payload_dir ${CMAKE_CURRENT_BINARY_DIR}/payload)
file(MAKE_DIRECTORY ${payload_dir})
if(TOLVANE_EMBED_PROGRAM)
    tolvane_pack(${payload_dir}/Tolvane.ex_ ${TOLVANE_EMBED_PROGRAM})
else()
    tolvane_pack(${payload_dir}/Tolvane.ex_ $<TARGET_FILE:Tolvane> Tolvane)
endif()
tolvane_installer(TolvaneSetup ${payload_dir}/Tolvane.ex_)

# Test variants for the Wine scenarios: a viewer the scenario steers, and broken payloads.
tolvane_pack(${payload_dir}/TolvaneTestViewer.ex_ $<TARGET_FILE:TolvaneTestViewer>
             TolvaneTestViewer)
tolvane_installer(TolvaneSetupTestViewer ${payload_dir}/TolvaneTestViewer.ex_)
