# Boost and GoogleTest: Debian's packages natively, and for the Windows build
# the libraries that scripts/build-mingw-deps cross-compiles into .deps/mingw.

add_library(tolvanir_boost INTERFACE)
add_library(tolvanir::boost ALIAS tolvanir_boost)
target_compile_definitions(tolvanir_boost INTERFACE BOOST_CHRONO_HEADER_ONLY BOOST_ALL_NO_LIB)

set(TOLVANIR_MINGW_DEPS "${CMAKE_CURRENT_LIST_DIR}/../.deps/mingw" CACHE PATH
    "Boost and GoogleTest built for MinGW-w64 by scripts/build-mingw-deps")
if(CMAKE_CROSSCOMPILING AND WIN32 AND NOT EXISTS "${TOLVANIR_MINGW_DEPS}/lib/libboost_filesystem.a")
  message(FATAL_ERROR "No cross-compiled Boost in ${TOLVANIR_MINGW_DEPS}; run scripts/build-mingw-deps")
endif()

if(WIN32 AND EXISTS "${TOLVANIR_MINGW_DEPS}/lib/libboost_filesystem.a")
  target_include_directories(tolvanir_boost SYSTEM INTERFACE "${TOLVANIR_MINGW_DEPS}/include")
  target_compile_definitions(tolvanir_boost INTERFACE
    _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE BOOST_USE_WINDOWS_H
    BOOST_FILESYSTEM_STATIC_LINK=1 BOOST_THREAD_USE_LIB BOOST_THREAD_WIN32)
  target_link_libraries(tolvanir_boost INTERFACE
    "${TOLVANIR_MINGW_DEPS}/lib/libboost_filesystem.a"
    "${TOLVANIR_MINGW_DEPS}/lib/libboost_thread.a"
    bcrypt)

  add_library(tolvanir_gtest INTERFACE)
  target_include_directories(tolvanir_gtest SYSTEM INTERFACE "${TOLVANIR_MINGW_DEPS}/include")
  target_link_libraries(tolvanir_gtest INTERFACE
    "${TOLVANIR_MINGW_DEPS}/lib/libgmock.a" "${TOLVANIR_MINGW_DEPS}/lib/libgtest.a")
  add_library(tolvanir_gtest_main INTERFACE)
  target_link_libraries(tolvanir_gtest_main INTERFACE
    "${TOLVANIR_MINGW_DEPS}/lib/libgtest_main.a" tolvanir_gtest)
else()
  if(WIN32)
    # A native Windows toolchain with its own Boost packages.
    find_package(Boost 1.81.0 REQUIRED CONFIG COMPONENTS filesystem thread)
    target_compile_definitions(tolvanir_boost INTERFACE
      _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
  else()
    find_package(Boost 1.81.0 EXACT REQUIRED CONFIG COMPONENTS filesystem thread)
  endif()
  find_package(Threads REQUIRED)
  target_link_libraries(tolvanir_boost INTERFACE Boost::filesystem Boost::thread Threads::Threads)

  find_package(GTest REQUIRED)
  add_library(tolvanir_gtest INTERFACE)
  target_link_libraries(tolvanir_gtest INTERFACE GTest::gtest GTest::gmock)
  add_library(tolvanir_gtest_main INTERFACE)
  target_link_libraries(tolvanir_gtest_main INTERFACE GTest::gtest_main tolvanir_gtest)
endif()
