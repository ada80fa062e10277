# Every library the build uses, found once here. The modules name only the
# targets below; none of them looks a dependency up again.
#
#   Threads::Threads        threads (every build; the only one of the
#                           WebAssembly build)
#   PkgConfig::VORBISFILE   libvorbisfile: gldemo's soundtrack (also fuzzed)
#   SDL2::SDL2              window, GL context, audio device, message boxes
#   OpenGL::GL              the text screen's quad
#   OpenMP::OpenMP_CXX      gldemo's effects (KALT_EFFECT_THREADS=openmp)
#   PkgConfig::OPENMPT      libopenmpt: condemo's tracker player, the composer
#   PkgConfig::VORBISENC    libvorbisenc with libvorbis and libogg: the composer
#   PNG::PNG                framegrab's stills
#   PkgConfig::FFMPEG       libavformat, libavcodec, libswscale, libavutil:
#                           capture's video files
#   ZLIB::ZLIB              fontgen (the console font is gzipped)
#   GTest::gtest, X11::X11  the tests (X11: window checks under Xvfb)
#   benchmark::benchmark    the benchmarks

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)
if(EMSCRIPTEN)
  return()  # the WebAssembly build uses no library of the system
endif()
find_package(PkgConfig REQUIRED)
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)

if(KALT_FUZZ)
  return()  # the fuzzers need nothing more
endif()

find_package(SDL2 REQUIRED)
find_package(OpenGL REQUIRED)
if(KALT_EFFECT_THREADS STREQUAL "openmp")
  find_package(OpenMP REQUIRED COMPONENTS CXX)
endif()
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
find_package(PNG REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
find_package(ZLIB REQUIRED)

if(KALT_TESTS)
  find_package(GTest REQUIRED)
  find_package(X11 REQUIRED)
  include(GoogleTest)
endif()
if(KALT_BENCH)
  find_package(benchmark REQUIRED)
endif()
