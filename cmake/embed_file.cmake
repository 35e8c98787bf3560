# Writes a file's bytes as a C++ array, so a native build carries the same
# bytes a Windows executable carries as a resource.
#
# Usage: cmake -DINPUT=file -DOUTPUT_SOURCE=x.cpp -DOUTPUT_HEADER=x.h
#              -DSYMBOL=name -P embed_file.cmake
foreach(_required INPUT OUTPUT_SOURCE OUTPUT_HEADER SYMBOL)
  if(NOT DEFINED ${_required})
    message(FATAL_ERROR "embed_file.cmake: ${_required} is not set")
  endif()
endforeach()

file(READ "${INPUT}" _hex HEX)
string(LENGTH "${_hex}" _hex_length)
math(EXPR _size "${_hex_length} / 2")

if(_size EQUAL 0)
  # A zero-length array is not C++; the size alone says the file is empty.
  set(_bytes "0x00")
else()
  # Sixteen bytes a line keeps the generated file readable.
  set(_bytes "")
  math(EXPR _last "${_size} - 1")
  foreach(_i RANGE 0 ${_last})
    math(EXPR _offset "${_i} * 2")
    string(SUBSTRING "${_hex}" ${_offset} 2 _byte)
    math(EXPR _column "${_i} % 16")
    if(_i GREATER 0 AND _column EQUAL 0)
      string(APPEND _bytes "\n    ")
    elseif(_i GREATER 0)
      string(APPEND _bytes " ")
    endif()
    string(APPEND _bytes "0x${_byte},")
  endforeach()
endif()

get_filename_component(_header_name "${OUTPUT_HEADER}" NAME)
get_filename_component(_input_name "${INPUT}" NAME)

set(_header "// Generated from ${_input_name} at build time; do not edit.
#pragma once

#include <cstddef>

namespace tolvanir {

extern const unsigned char ${SYMBOL}_data[];
extern const std::size_t ${SYMBOL}_size;

}  // namespace tolvanir
")

set(_source "// Generated from ${_input_name} at build time; do not edit.
#include \"${_header_name}\"

namespace tolvanir {

const unsigned char ${SYMBOL}_data[] = {
    ${_bytes}
};
const std::size_t ${SYMBOL}_size = ${_size};

}  // namespace tolvanir
")

# Rewriting identical text would only make everything that includes it rebuild.
foreach(_pair "OUTPUT_HEADER;_header" "OUTPUT_SOURCE;_source")
  list(GET _pair 0 _path_var)
  list(GET _pair 1 _text_var)
  set(_old "")
  if(EXISTS "${${_path_var}}")
    file(READ "${${_path_var}}" _old)
  endif()
  if(NOT _old STREQUAL "${${_text_var}}")
    file(WRITE "${${_path_var}}" "${${_text_var}}")
  endif()
endforeach()
