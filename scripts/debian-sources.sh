# Sourced by the scripts that build Windows libraries from Debian's own source packages:
#   fetch_debian_sources APT_STATE DEST PACKAGE[=VERSION]...
# fetches and unpacks the packages' sources into DEST with `apt-get source`, through a private
# list of source archives derived from this machine's binary archives (one-line `deb` entries
# and deb822 stanzas whose types name `deb`), kept in APT_STATE; the system's apt settings stay
# as they are.
fetch_debian_sources() {
  local apt_dir=$1 dest=$2
  shift 2
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/parts" "$apt_dir/cache/archives/partial" "$dest"
  local list stanzas
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list"
  done >"$apt_dir/sources.list"
  for stanzas in /etc/apt/sources.list.d/*.sources; do
    [ -f "$stanzas" ] || continue
    sed -E 's/^Types:.*\<deb\>.*$/Types: deb-src/' "$stanzas" >"$apt_dir/parts/$(basename "$stanzas")"
  done
  local apt_private=(
    -o Dir::Etc::SourceList="$apt_dir/sources.list"
    -o Dir::Etc::SourceParts="$apt_dir/parts"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
    -o APT::Sandbox::User=root
  )
  # A source archive that cannot be reached (a third-party one) need not stop the fetch;
  # `apt-get source` below fails if Debian's own cannot be reached either.
  apt-get "${apt_private[@]}" -qq update || echo "debian sources: some source archives could not be read" >&2
  (cd "$dest" && apt-get "${apt_private[@]}" -qq source "$@")
}
