# Shared by run.sh and test.sh: installs what a fresh Debian 12 machine lacks and
# configures CMake build folders with ccache shared between clones.

TICKWOOD_PACKAGES=(
  cmake ninja-build g++ clang clang-format pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libx11-dev libepoxy-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libjpeg-dev libpng-dev zlib1g-dev libogg-dev libvorbis-dev
  libfreetype-dev fonts-dejavu-core libgtk-3-dev
  xvfb xauth x11-utils libxtst-dev libarchive-tools
  dpkg-dev libxml2-utils
)

install_dependencies() {
  local missing=()
  local package
  for package in "${TICKWOOD_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Lets a fresh clone in another folder reuse what an earlier clone compiled.
export CCACHE_BASEDIR="$TICKWOOD_ROOT"
export CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-include_file_mtime,include_file_ctime}"

# configure <build-folder> [cmake options...]
configure() {
  local folder="$1"
  shift
  cmake -S "$TICKWOOD_ROOT" -B "$TICKWOOD_ROOT/$folder" -G Ninja "$@" >/dev/null
}
