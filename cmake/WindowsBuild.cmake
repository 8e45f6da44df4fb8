# The Windows build: TolvaneSetup.exe and its test variants, the viewer stand-in, the Wine driver.
enable_language(RC)
set(TOLVANE_WINDRES ${CMAKE_RC_COMPILER})
set(TOLVANE_PACKER "" CACHE FILEPATH "The SZDD packer built by the host build (tools/szdd)")
if(NOT TOLVANE_PACKER)
    message(FATAL_ERROR "Set TOLVANE_PACKER to the host build's szddpack; scripts/build.sh does")
endif()

# The executables must run on a machine that has nothing else installed. No time stamp in the
# PE header, so that two builds of the same sources give the same bytes.
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)

# The installer carries its own manifest (res/TolvaneSetup.manifest). Toolchains that ship mingw's
# default-manifest.o link it into every program; an empty object of that name found first
# (-B) keeps it out, since a second RT_MANIFEST would be a conflicting manifest.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=default-manifest.o
                OUTPUT_VARIABLE default_manifest OUTPUT_STRIP_TRAILING_WHITESPACE)
if(IS_ABSOLUTE "${default_manifest}")
    set(no_manifest_dir ${CMAKE_CURRENT_BINARY_DIR}/no-default-manifest)
    file(MAKE_DIRECTORY ${no_manifest_dir})
    execute_process(COMMAND ${CMAKE_C_COMPILER} -c -x c /dev/null
                            -o ${no_manifest_dir}/default-manifest.o COMMAND_ERROR_IS_FATAL ANY)
    add_link_options(-B${no_manifest_dir}/)
endif()

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

# Broken payloads, each in an installer of its own, made from the packed viewer at build time.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(bad_payload_script ${CMAKE_SOURCE_DIR}/tests/host/make_bad_payload.py)
function(tolvane_bad_payload name kind input)
    set(out ${payload_dir}/${name}.bin)
    add_custom_command(OUTPUT ${out}
                       COMMAND ${Python3_EXECUTABLE} ${bad_payload_script} ${kind} ${input} ${out}
                       DEPENDS ${bad_payload_script} ${input} ${ARGN}
                       VERBATIM)
    tolvane_installer(TolvaneSetup${name} ${out})
endfunction()
tolvane_installer(TolvaneSetupNoPayload "")
tolvane_bad_payload(EmptyPayload empty ${payload_dir}/Tolvane.ex_)
tolvane_bad_payload(TruncatedPayload truncated ${payload_dir}/Tolvane.ex_)
tolvane_bad_payload(LyingHeaderMore claims-more ${payload_dir}/Tolvane.ex_)
tolvane_bad_payload(LyingHeaderLess claims-less ${payload_dir}/Tolvane.ex_)
tolvane_bad_payload(BadMode mode-b ${payload_dir}/Tolvane.ex_)
if(TOLVANE_EMBED_PROGRAM)
    tolvane_bad_payload(NotSzdd copy ${TOLVANE_EMBED_PROGRAM})
else()
    tolvane_bad_payload(NotSzdd copy $<TARGET_FILE:Tolvane> Tolvane)
endif()
