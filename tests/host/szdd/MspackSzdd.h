// libmspack's SZDD decoder run on memory buffers, as an independent decoder for the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// True when the tests were built with libmspack.
bool MspackAvailable();

// Expands an SZDD file with libmspack. Returns its error code (0 = MSPACK_ERR_OK).
int MspackExpand(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);
