# The Linux library that goes into the 1C package, built and proven inside a
# Debian 11 root (sourced by ./dev.sh; uses its ROOT, JOBS, log, as_root and
# need_packages, and the Debian source fetch of scripts/windows.sh).
# A library built on Debian 12 needs glibc 2.32 to 2.36 and loads almost on no
# till; built with Debian 11's GCC 10 and its glibc 2.31, and with libstdc++,
# libgcc, tinyxml2 and pugixml inside, it needs nothing newer than glibc 2.17.
# The root is made once by debootstrap (about a minute) and kept; the build
# folder is kept too, so a re-run costs an incremental build and the tests.

BULLSEYE_ROOT=$ROOT/build/debian11-root
BULLSEYE_BUILD=$ROOT/build/linux-bullseye
# Everything the root holds beyond debootstrap's minimal base. A package added
# here is installed into an existing root on the next run.
BULLSEYE_PACKAGES=(g++ make cmake libc6-dev rapidjson-dev libgtest-dev libgmock-dev locales)
# Written last: a root without it is an interrupted debootstrap and is remade.
BULLSEYE_MARKER=$BULLSEYE_ROOT/.zarvik-root-complete
# The source tree appears at this path inside the root.
BULLSEYE_SRC=/src
# What the packaged library may need from the till.
LINUX_SO_MAX_GLIBC=2.17
LINUX_SO_ALLOWED_LIBS="libc.so.6 libm.so.6 libdl.so.2 libpthread.so.0 ld-linux-x86-64.so.2"

# The machine's own Debian mirror: the first binary source that is not the
# security archive, from the deb822 files or the one-line list.
debian_mirror() {
    local uri
    uri=$(awk 'BEGIN { RS = "" }
        {
            types = ""; uris = ""; suites = ""; enabled = 1
            n = split($0, lines, "\n")
            for (i = 1; i <= n; i++) {
                if (lines[i] ~ /^Types:/) types = lines[i]
                else if (lines[i] ~ /^URIs:/) uris = lines[i]
                else if (lines[i] ~ /^Suites:/) suites = lines[i]
                else if (lines[i] ~ /^Enabled:[ \t]*no/) enabled = 0
            }
            if (enabled && types ~ /[ \t]deb([ \t]|$)/ && suites !~ /-security/ && uris != "") {
                sub(/^URIs:[ \t]*/, "", uris)
                split(uris, list, /[ \t]+/)
                print list[1]
                exit
            }
        }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
    if [ -z "$uri" ]; then
        uri=$(awk '$1 == "deb" {
                sub(/\[[^]]*\]/, "")
                if ($2 !~ /security/ && $3 !~ /security/) { print $2; exit }
            }' /etc/apt/sources.list 2>/dev/null || true)
    fi
    [ -n "$uri" ] || { echo "no Debian mirror found in /etc/apt/sources.list.d/*.sources" >&2; return 1; }
    echo "$uri"
}

# Runs a command inside the root with /proc, /dev and the source tree mounted.
# The mounts live in a mount namespace of their own, which the kernel tears
# down when the command ends, however it ends: a failed or killed run leaves
# nothing mounted on the machine, and the trap unmounts in order on the way.
in_bullseye() {
    # shellcheck disable=SC2016 # expanded by the inner shell
    as_root unshare --mount --propagation private -- /bin/bash -c '
        set -eu
        root=$1 src=$2 inside=$3
        shift 3
        mounted=()
        release() {
            local i
            for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || true; done
        }
        trap release EXIT
        mkdir -p "$root$inside"
        mount -t proc proc "$root/proc"
        mounted+=("$root/proc")
        mount --bind /dev "$root/dev"
        mounted+=("$root/dev")
        mount --bind "$src" "$root$inside"
        mounted+=("$root$inside")
        chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
    ' bullseye-root "$BULLSEYE_ROOT" "$ROOT" "$BULLSEYE_SRC" "$@"
}

# Our own mounts live in namespaces the machine does not see, but something
# mounted below the root by hand must never meet rm -rf: through a bind mount
# of the source tree it would delete the tree.
bullseye_root_unmounted() {
    if findmnt -rn -o TARGET |
        awk -v root="$BULLSEYE_ROOT/" 'index($0, root) == 1 { found = 1 } END { exit !found }'; then
        echo "$BULLSEYE_ROOT has something mounted below it; unmount it first" >&2
        return 1
    fi
}

make_bullseye_root() {
    [ -f "$BULLSEYE_MARKER" ] && return 0
    need_packages debootstrap
    local mirror include
    mirror=$(debian_mirror)
    bullseye_root_unmounted
    as_root rm -rf --one-file-system "$BULLSEYE_ROOT"
    mkdir -p "$ROOT/build"
    include=$(IFS=,; echo "${BULLSEYE_PACKAGES[*]}")
    log "creating the Debian 11 root (once; about a minute)"
    # debootstrap mounts /proc and /sys in the root while it works; its own
    # namespace drops them even when it fails half-way.
    if ! as_root unshare --mount --propagation private -- debootstrap --variant=minbase \
        --include="$include" bullseye "$BULLSEYE_ROOT" "$mirror" >"$ROOT/build/debian11-root.log" 2>&1; then
        tail -20 "$ROOT/build/debian11-root.log" >&2
        echo "debootstrap failed; see build/debian11-root.log" >&2
        return 1
    fi
    bullseye_settings
    as_root touch "$BULLSEYE_MARKER"
}

# debootstrap leaves no /etc/hosts: "localhost" must resolve for the tests.
# The comma-decimal test needs ru_RU.UTF-8 inside the root as well.
bullseye_settings() {
    printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' |
        as_root tee "$BULLSEYE_ROOT/etc/hosts" >/dev/null
    as_root sed -i 's/^# *ru_RU.UTF-8 UTF-8/ru_RU.UTF-8 UTF-8/' "$BULLSEYE_ROOT/etc/locale.gen"
    in_bullseye locale-gen >/dev/null
}

# Packages added to BULLSEYE_PACKAGES after the root was made.
bullseye_packages() {
    local installed missing=() p
    # shellcheck disable=SC2016 # dpkg-query's own fields
    installed=$(as_root chroot "$BULLSEYE_ROOT" dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' \
        2>/dev/null | awk '$1 == "ii" { print $2 }')
    for p in "${BULLSEYE_PACKAGES[@]}"; do
        grep -qx "$p" <<<"$installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]} into the Debian 11 root"
    in_bullseye apt-get update -qq
    in_bullseye env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o Dpkg::Use-Pty=0 "${missing[@]}" >/dev/null
}

# tinyxml2 and pugixml built statically inside the root from the same Debian
# sources as the other builds, so that every library parses alike.
bullseye_static_libs() {
    local package source name
    for package in tinyxml2 pugixml; do
        fetch_debian_source "$package"
        source=$(debian_source_dir "$package")
        name=$(basename "$source")
        [ -f "$BULLSEYE_ROOT/usr/local/.$name-built" ] && continue
        log "building static $package in the Debian 11 root"
        as_root rm -rf "$BULLSEYE_ROOT/usr/local/src/$name"
        as_root cp -a "$source" "$BULLSEYE_ROOT/usr/local/src/$name"
        in_bullseye /bin/sh -c "cd /usr/local/src/$name &&
            cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
                -Dtinyxml2_BUILD_TESTING=OFF -DPUGIXML_BUILD_TESTS=OFF -DBUILD_TESTING=OFF \
                -DCMAKE_POSITION_INDEPENDENT_CODE=ON >/dev/null &&
            cmake --build build -j $JOBS >/dev/null && cmake --install build >/dev/null"
        as_root touch "$BULLSEYE_ROOT/usr/local/.$name-built"
    done
}

# The library the package ships, and the two test programs, with the root's
# GCC 10 and CMake 3.18 (too old for the presets: plain options instead). The
# tools are proven on the host; here they would only cost build time.
build_bullseye() {
    make_bullseye_root
    bullseye_packages
    bullseye_static_libs
    log "building the shipped Linux library in the Debian 11 root (GCC 10, glibc 2.31)"
    local build=$BULLSEYE_SRC/${BULLSEYE_BUILD#"$ROOT"/}
    in_bullseye /bin/sh -c "cmake -S $BULLSEYE_SRC -B $build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZARVIK_BUILD_TOOLS=OFF >/dev/null &&
        cmake --build $build -j $JOBS --target ZarvikKassaDriver unit_tests integration_tests"
}

# The unit and integration suites inside the root, against the library built
# there: the shipped library proven on glibc 2.31.
test_bullseye() {
    build_bullseye
    local build=$BULLSEYE_SRC/${BULLSEYE_BUILD#"$ROOT"/} suite
    for suite in unit_tests integration_tests; do
        log "$suite in the Debian 11 root"
        in_bullseye /bin/sh -c "cd $build && tests/$suite --gtest_brief=1"
    done
}

# check_linux_so SO: fails when the library needs a glibc symbol version above
# LINUX_SO_MAX_GLIBC or a library the oldest tills may lack.
check_linux_so() {
    local so=$1 highest needed lib bad=0
    highest=$(objdump -T "$so" | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -1)
    needed=$(readelf -d "$so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    if [ -z "$highest" ]; then
        echo "FAIL: $so shows no glibc symbol versions" >&2
        return 1
    fi
    if [ "$(printf '%s\n' "$highest" "$LINUX_SO_MAX_GLIBC" | sort -V | tail -1)" != "$LINUX_SO_MAX_GLIBC" ]; then
        echo "FAIL: $so needs GLIBC_$highest, above GLIBC_$LINUX_SO_MAX_GLIBC:" >&2
        objdump -T "$so" | grep -E "GLIBC_${highest//./\\.}[^0-9.]" >&2 || true
        bad=1
    fi
    for lib in $needed; do
        case " $LINUX_SO_ALLOWED_LIBS " in
            *" $lib "*) ;;
            *)
                echo "FAIL: $so needs $lib, which a till may not have" >&2
                bad=1
                ;;
        esac
    done
    log "Linux library needs GLIBC_$highest at most and $(tr '\n' ' ' <<<"$needed")"
    return $bad
}
