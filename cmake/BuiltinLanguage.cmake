# The built-in language table, resources/lang.json, inside the program.
#
# Windows: a resource of type "JSON" named "LANG" in each executable that
# calls tolvanir_add_language_resource(). Native: the bytes generated into a
# source file of tolvanir_core at build time.

get_filename_component(TOLVANIR_RESOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/../resources" ABSOLUTE)
get_filename_component(TOLVANIR_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(TOLVANIR_LANGUAGE_FILE "${TOLVANIR_RESOURCE_DIR}/lang.json")

if(WIN32)
  enable_language(RC)
else()
  set(_generated_dir "${CMAKE_CURRENT_BINARY_DIR}/generated")
  set(_embedded_source "${_generated_dir}/builtin_language_data.cpp")
  set(_embedded_header "${_generated_dir}/builtin_language_data.h")
  add_custom_command(
    OUTPUT "${_embedded_source}" "${_embedded_header}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_generated_dir}"
    COMMAND "${CMAKE_COMMAND}"
      "-DINPUT=${TOLVANIR_LANGUAGE_FILE}"
      "-DOUTPUT_SOURCE=${_embedded_source}"
      "-DOUTPUT_HEADER=${_embedded_header}"
      -DSYMBOL=builtin_language
      -P "${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake"
    DEPENDS "${TOLVANIR_LANGUAGE_FILE}" "${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake"
    COMMENT "Embedding the built-in language table"
    VERBATIM)
  target_sources(tolvanir_core PRIVATE
    "${_embedded_source}" "${_embedded_header}"
    "${TOLVANIR_SOURCE_ROOT}/platform/posix/locale_name.cpp")
  target_include_directories(tolvanir_core PRIVATE "${_generated_dir}")
endif()

# Gives `target` the built-in language table. On Windows the executable
# carries it as a resource; natively tolvanir_core already holds it, and the
# unit tests also get the tests of the POSIX locale parser.
function(tolvanir_add_language_resource target)
  if(WIN32)
    set(_rc "${TOLVANIR_RESOURCE_DIR}/lang.rc")
    # windres looks for "lang.json" in the current directory and the include
    # path, not beside the script; the JSON must also rebuild the resource.
    set_source_files_properties("${_rc}" PROPERTIES
      INCLUDE_DIRECTORIES "${TOLVANIR_RESOURCE_DIR}"
      OBJECT_DEPENDS "${TOLVANIR_LANGUAGE_FILE}")
    target_sources(${target} PRIVATE "${_rc}")
  elseif(target STREQUAL "tolvanir_tests")
    target_sources(${target} PRIVATE "${TOLVANIR_SOURCE_ROOT}/tests/unit/locale_name_test.cpp")
  endif()
endfunction()
