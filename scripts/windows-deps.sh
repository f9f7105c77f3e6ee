#!/usr/bin/env bash
# Builds what the Windows program links against, for 64-bit Windows with
# Debian's MinGW-w64, from Debian's own source packages: Qt (Core, Gui, Widgets,
# PrintSupport, Test; the windows, offscreen and minimal platforms, the Windows
# style, the JPEG, GIF and ICO readers), libjpeg for Qt's JPEG reader, and the
# workbook libraries zlib, expat, libzip and libxlsxwriter (static).
#
#   bash scripts/windows-deps.sh            build the prefix, or reuse it when
#                                           complete; its path is the last line
#   bash scripts/windows-deps.sh --prefix   print the prefix's path; fail when
#                                           it is not built (builds nothing)
#
# The prefix lives outside the checkout, in $ORVANDEL_WINDOWS_CACHE (default
# /var/cache/orvandel as root, else ${XDG_CACHE_HOME:-~/.cache}/orvandel), named
# windows-<key>: the key is a hash of the source versions, the configure options
# below, the toolchain file and the compiler's version, so changing any of them
# builds a new prefix beside the old one. The stamp file .complete is written
# last; a prefix without it is built again. Sources are fetched once into
# $ORVANDEL_WINDOWS_CACHE/sources with apt-get source, through a private list of
# deb-src entries made from the machine's deb entries (the machine's apt
# configuration is not changed). ORVANDEL_JOBS sets the parallel jobs (default:
# the number of processors). Needs root to install missing Debian packages.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain=$root/cmake/mingw-w64-compilers.cmake
jobs=${ORVANDEL_JOBS:-$(nproc)}

# Debian source packages, pinned. The host's Qt tools (moc, rcc, uic) must be
# the same Qt release as the Qt built here. zlib: the security update's source
# is not served by the archive, so the release's.
qt_source=qt6-base=6.4.2+dfsg-10
sources=(
    "$qt_source"
    zlib=1:1.2.13.dfsg-1
    libjpeg-turbo=1:2.1.5-2
    expat=2.5.0-1+deb12u2
    libzip=1.7.3-1
    libxlsxwriter=1.1.4-2
)

# What the program does not use is left out. tabletevent: the source has no
# wintab.h. dynamicgl: stays on with OpenGL off and then the Windows platform
# plugin does not compile. zstd: rcc then stores resources with zlib, which Qt
# reads without a further library. direct2d stays on: without it Gui leaves out
# the DirectWrite font engine that PrintSupport links against.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=ON
)
jpeg_options=(-DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
              -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DCMAKE_INSTALL_DEFAULT_LIBDIR=lib)
expat_options=(-DCMAKE_BUILD_TYPE=Release -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF
               -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF
               -DEXPAT_BUILD_PKGCONFIG=ON)
libzip_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF
                -DENABLE_COMMONCRYPTO=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF
                -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_BZIP2=OFF
                -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DBUILD_TOOLS=OFF
                -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF)
xlsxwriter_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF
                    -DBUILD_EXAMPLES=OFF)
host_packages=(g++-mingw-w64-x86-64-posix cmake ninja-build pkg-config dpkg-dev xz-utils
               qt6-base-dev qt6-base-dev-tools)

if [ -n "${ORVANDEL_WINDOWS_CACHE:-}" ]; then
    cache=$ORVANDEL_WINDOWS_CACHE
elif [ "$(id -u)" -eq 0 ]; then
    cache=/var/cache/orvandel
else
    cache=${XDG_CACHE_HOME:-$HOME/.cache}/orvandel
fi

compiler_version() {
    x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none
}
key=$( {
    printf '%s\n' "${sources[@]}" -- "${qt_options[@]}" -- "${jpeg_options[@]}" -- \
        "${expat_options[@]}" -- "${libzip_options[@]}" -- "${xlsxwriter_options[@]}"
    cat "$toolchain"
    compiler_version
} | sha256sum | cut -c1-12)
qt_version=${qt_source#*=}
qt_version=${qt_version%%+*}
prefix=$cache/windows-qt$qt_version-$key

if [ "${1:-}" = --prefix ]; then
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        exit 0
    fi
    echo "windows-deps: $prefix is not built; run bash scripts/windows-deps.sh" >&2
    exit 1
elif [ $# -gt 0 ]; then
    echo "usage: bash scripts/windows-deps.sh [--prefix]" >&2
    exit 2
fi

start=$(date +%s)
say() { echo "windows-deps [$(($(date +%s) - start))s]: $*"; }

if [ -f "$prefix/.complete" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi

missing=()
for p in "${host_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "windows-deps: missing packages; install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    say "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
fi
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
host_qt=${host_qt%%+*}
if [ "$host_qt" != "$qt_version" ]; then
    echo "windows-deps: the host's Qt tools are $host_qt, the Qt built here $qt_version;" \
         "they must be the same release" >&2
    exit 1
fi

mkdir -p "$cache"
# One build of a prefix at a time; a second caller waits and then reuses it.
exec 9>"$prefix.lock"
if ! flock -n 9; then
    say "another build of $prefix is running; waiting for it"
    flock 9
fi
if [ -f "$prefix/.complete" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi

# --- Sources -----------------------------------------------------------------
apt_dir=$cache/apt
src_dir=$cache/sources
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$src_dir"
apt_options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
             -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir"
             -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
if [ "$(id -u)" -eq 0 ]; then
    # apt's download user cannot write into the cache folder; root fetches itself.
    apt_options+=(-o APT::Sandbox::User=root)
fi

# The deb-src entries: the machine's deb entries with their type changed.
make_source_list() {
    local out=$apt_dir/sources.list.d
    rm -f "$out"/*
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        sed -E 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$f" >"$out/$(basename "$f")"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >"$out/$(basename "$f")"
    done
}

fetched() { # package=version: its .dsc and every file it lists are in the sources folder
    local name=${1%%=*} version=${1#*=} file
    local dsc=$src_dir/${name}_${version#*:}.dsc
    [ -f "$dsc" ] || return 1
    for file in $(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on { print $3 }' "$dsc"); do
        [ -f "$src_dir/$file" ] || return 1
    done
}
need_fetch=()
for s in "${sources[@]}"; do
    fetched "$s" || need_fetch+=("$s")
done
if [ ${#need_fetch[@]} -gt 0 ]; then
    say "fetching the sources of ${need_fetch[*]}"
    make_source_list
    apt-get "${apt_options[@]}" -qq update
    (cd "$src_dir" && apt-get "${apt_options[@]}" -qq source --download-only "${need_fetch[@]}")
fi

work=$cache/work-$key
mkdir -p "$work" "$prefix"

# Unpacks a source package with Debian's patches (their security fixes
# included). dpkg-source checks every file against the .dsc; the .dsc's own
# signature cannot be checked without debian-keyring, and needs not be: apt
# checked the .dsc against the archive's signed index when fetching it.
unpack() { # package=version: unpacked into $work/<package>
    local name=${1%%=*} version=${1#*=}
    if [ ! -f "$work/$name.unpacked" ]; then
        rm -rf "${work:?}/$name"
        dpkg-source --no-copy -x "$src_dir/${name}_${version#*:}.dsc" "$work/$name" \
            >"$work/$name-unpack.log" 2>&1 || { cat "$work/$name-unpack.log" >&2; exit 1; }
        touch "$work/$name.unpacked"
    fi
    echo "$work/$name"
}

version_of() { # package: its pinned version
    local s
    for s in "${sources[@]}"; do
        if [ "${s%%=*}" = "$1" ]; then
            echo "${s#*=}"
            return
        fi
    done
}

# Configures, builds and installs one CMake project into the prefix, with the
# compilers' toolchain file. A part already installed into this
# prefix is skipped, so that a build stopped half way goes on where it was.
build_part() { # name source_dir target cmake_option...
    local name=$1 dir=$2 target=$3
    shift 3
    if [ -f "$prefix/.built-$name" ]; then
        say "$name: already in the prefix"
        return
    fi
    local t0
    t0=$(date +%s)
    say "$name: configuring"
    cmake -S "$dir" -B "$work/$name-build" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DORVANDEL_WINDOWS_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/$name-configure.log" 2>&1 ||
        { tail -40 "$work/$name-configure.log" >&2; exit 1; }
    say "$name: building with $jobs jobs"
    nice -n 10 cmake --build "$work/$name-build" -j"$jobs" --target "$target" \
        >"$work/$name-build.log" 2>&1 ||
        { tail -60 "$work/$name-build.log" >&2; exit 1; }
    touch "$prefix/.built-$name"
    say "$name: done in $(($(date +%s) - t0))s"
}

# zlib: its dfsg source lacks win32/zlib1.rc, which the shared library needs,
# so only the static library is built, and installed by hand.
zlib_dir=$(unpack "zlib=$(version_of zlib)")
if [ ! -f "$prefix/.built-zlib" ]; then
    build_part zlib-static "$zlib_dir" zlibstatic -DCMAKE_BUILD_TYPE=Release
    mkdir -p "$prefix/include" "$prefix/lib"
    cp "$zlib_dir/zlib.h" "$work/zlib-static-build/zconf.h" "$prefix/include/"
    cp "$work/zlib-static-build/libzlibstatic.a" "$prefix/lib/libz.a"
    mv "$prefix/.built-zlib-static" "$prefix/.built-zlib"
fi
zlib_options=(-DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include")

build_part libjpeg "$(unpack "libjpeg-turbo=$(version_of libjpeg-turbo)")" install "${jpeg_options[@]}"
# expat: Debian's security patches test "#if XML_DTD == 1", as its own build
# (autotools) defines it; the CMake build defines XML_DTD empty, which does not
# compile. Defined as 1 here, the parser is the one Debian ships.
expat_dir=$(unpack "expat=$(version_of expat)")/expat
sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$expat_dir/expat_config.h.cmake"
build_part expat "$expat_dir" install "${expat_options[@]}"
build_part libzip "$(unpack "libzip=$(version_of libzip)")" install "${libzip_options[@]}" "${zlib_options[@]}"
build_part libxlsxwriter "$(unpack "libxlsxwriter=$(version_of libxlsxwriter)")" install \
    "${xlsxwriter_options[@]}" "${zlib_options[@]}"
build_part qt "$(unpack "$qt_source")" install "${qt_options[@]}"

# The libraries besides Qt are static, so a program linking one links what
# that one needs too: each pkg-config file's Libs.private joins its Libs,
# for the plain `pkg-config --libs` that CMake's pkg_check_modules asks.
for pc in "$prefix"/lib/pkgconfig/{expat,libjpeg,libzip,xlsxwriter}.pc; do
    private=$(sed -n 's/^Libs\.private:[[:space:]]*//p' "$pc")
    if [ -n "$private" ]; then
        sed -i -e "s|^\(Libs:.*\)\$|\1 $private|" -e '/^Libs\.private:/d' "$pc"
    fi
done

# MinGW's run-time DLLs, which Qt's DLLs and the programs need beside them,
# from the compiler that built them.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$prefix/bin/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$prefix/bin/"

# The licences of what the Windows program ships or links in: each source
# package's debian/copyright (Qt's names what it bundles: FreeType, HarfBuzz,
# libpng, PCRE2 ...), and the exact source versions, which the program's
# notices point to.
mkdir -p "$prefix/licenses"
for s in "${sources[@]}"; do
    name=${s%%=*} version=${s#*=}
    tar -xOf "$src_dir/${name}_${version#*:}.debian.tar.xz" debian/copyright \
        >"$prefix/licenses/$name.txt"
done
printf '%s\n' "${sources[@]}" >"$prefix/licenses/debian-sources.txt"
rm -rf "$work"
date -u +%FT%TZ >"$prefix/.complete"
say "prefix complete: $prefix"
echo "$prefix"
