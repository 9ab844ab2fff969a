# Sourced by the Windows scripts: the one place that names the static Qt for
# Windows, its version and configuration, and the cache folder it is kept in.
QT_WINDOWS_VERSION=6.4.2
QT_WINDOWS_CONFIGURATION=(
  -release -static -static-runtime -xplatform win32-g++ -qt-host-path /usr
  -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-zstd -no-pkg-config -no-feature-vulkan
  -no-feature-sql -no-feature-network -no-feature-concurrent -no-feature-xml
  # With Direct2D off, DirectWrite must go too or nothing links; text is drawn with GDI.
  -no-feature-direct2d -no-feature-directwrite -no-feature-directwrite3
  # Debian's repacked source has no src/3rdparty/wintab.
  -no-feature-tabletevent
  -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
)

qt_windows_prefix() {
  local cache=${WAGA_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/waga}
  local tag
  tag=$(printf '%s\n' "${QT_WINDOWS_CONFIGURATION[@]}" | sha256sum | cut -c1-10)
  echo "$cache/qt-$QT_WINDOWS_VERSION-win64-static-$tag"
}
