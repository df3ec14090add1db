# Cross-build for arm64 with Debian's cross toolchain (crossbuild-essential-arm64) and the
# arm64 libraries installed through multiarch (libgtest-dev:arm64, qt6-base-dev:arm64).
# Tests run under qemu-user: ctest starts every arm64 test program through the emulator.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

# Only arm64 libraries and headers; programs (moc, pandoc, ...) come from the build host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# Qt's code generators run on the build host: the host's Qt tools.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# Debian's multiarch library folder, which GNUInstallDirs picks only for native builds.
set(CMAKE_INSTALL_LIBDIR lib/aarch64-linux-gnu CACHE PATH "")
set(VEXAL_DEB_ARCHITECTURE arm64 CACHE STRING "")
