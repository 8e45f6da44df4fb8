# Compiles res/TolvaneSetup.rc with a payload: `tolvane_resources(OUT FORMAT PAYLOAD)` writes the
# resource file OUT ("res" for the host build, "coff" for an object the linker takes), with PAYLOAD
# embedded as the resource TOLVANE of type EXE (none when PAYLOAD is empty).
function(tolvane_resources out format payload)
    get_filename_component(name ${out} NAME_WE)
    set(include_dir ${CMAKE_CURRENT_BINARY_DIR}/${name}.rcinc)
    set(payload_rc ${include_dir}/payload.rc)
    if(payload STREQUAL "")
        file(WRITE ${payload_rc}.in "// no payload in this build\n")
    else()
        file(WRITE ${payload_rc}.in "LANGUAGE 9, 1\nTOLVANE EXE \"${payload}\"\n")
    endif()
    configure_file(${payload_rc}.in ${payload_rc} COPYONLY)
    file(GLOB art ${CMAKE_SOURCE_DIR}/res/art/*)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${TOLVANE_WINDRES} -I ${CMAKE_SOURCE_DIR}/app -I ${CMAKE_SOURCE_DIR}/res
                -I ${include_dir} -O ${format} -i ${CMAKE_SOURCE_DIR}/res/TolvaneSetup.rc -o ${out}
        DEPENDS ${CMAKE_SOURCE_DIR}/res/TolvaneSetup.rc ${CMAKE_SOURCE_DIR}/app/resource.h
                ${CMAKE_SOURCE_DIR}/res/TolvaneSetup.manifest
                ${payload_rc} ${art} ${payload}
        VERBATIM)
endfunction()
