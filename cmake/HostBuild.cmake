# The host build: the installer's logic and framework against the simulated Windows, with the
# GoogleTest suites, under AddressSanitizer and UndefinedBehaviorSanitizer.
find_program(TOLVANE_WINDRES NAMES x86_64-w64-mingw32-windres REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
option(TOLVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(TOLVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

add_subdirectory(tools/szdd)

# The host build's payload: a generated fixture, packed with our packer.
set(fixture ${CMAKE_CURRENT_BINARY_DIR}/payload/host-payload.bin)
set(packed ${CMAKE_CURRENT_BINARY_DIR}/payload/host-payload.ex_)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/payload)
if(TOLVANE_EMBED_PROGRAM)
    set(fixture ${TOLVANE_EMBED_PROGRAM})
else()
    add_custom_command(
        OUTPUT ${fixture}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/host/make_payload_fixture.py
                ${fixture}
        DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/make_payload_fixture.py
        VERBATIM)
endif()
add_custom_command(OUTPUT ${packed}
                   COMMAND szddpack compress ${fixture} ${packed}
                   DEPENDS szddpack ${fixture}
                   VERBATIM)
tolvane_resources(${CMAKE_CURRENT_BINARY_DIR}/TolvaneSetup.res res ${packed})
add_custom_target(host_resources DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/TolvaneSetup.res)

file(GLOB host_platform CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/host/*.cpp)
set_source_files_properties(${host_platform} PROPERTIES COMPILE_DEFINITIONS TOLVANE_HOST_SIMULATION)
add_library(tolvane_host OBJECT ${TOLVANE_SOURCES} ${host_platform})
target_link_libraries(tolvane_host PUBLIC szdd)
target_compile_definitions(tolvane_host PUBLIC
    TOLVANE_RES_FILE="${CMAKE_CURRENT_BINARY_DIR}/TolvaneSetup.res"
    TOLVANE_PAYLOAD_ORIGINAL="${fixture}")
add_dependencies(tolvane_host host_resources)

enable_testing()
add_subdirectory(tests/host)
