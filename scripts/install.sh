#!/usr/bin/env bash
# Installs the built program for the current user, without root:
#   bash scripts/install.sh --user
# puts the program folder in ~/.local/share/veltor (the program, its settings tables, the guide
# Help.doc, the templates and, the first time, the demo database with config.ini), a command
# ~/.local/bin/veltor, a menu entry and an icon. Run it again after a new build: the program and
# the guide are replaced; the database, config.ini, the settings tables and the templates the
# clerk may have changed are kept.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--user" ] || [ $# -ne 1 ]; then
  echo "Использование: bash scripts/install.sh --user" >&2
  echo "Устанавливает собранную программу для текущего пользователя в ~/.local." >&2
  exit 2
fi

program="$top/build/src/main/veltor"
mkdemo="$top/build/tools/mkdemo/mkdemo"
if [ ! -x "$program" ] || [ ! -x "$mkdemo" ]; then
  echo "Программа не собрана: сначала выполните  bash scripts/build.sh" >&2
  exit 1
fi

data="${XDG_DATA_HOME:-$HOME/.local/share}"
folder="$data/veltor"
bin="$HOME/.local/bin"
mkdir -p "$folder" "$bin" "$data/applications" "$data/icons/hicolor/64x64/apps"

# The first time: a working copy of the demo database, its templates and config.ini.
if [ ! -e "$folder/config.ini" ] && [ ! -d "$folder/database" ]; then
  "$mkdemo" install "$top/demo" "$folder"
fi
# The settings tables are the clerk's once installed; the guide and the no-photo picture are ours.
cp -f "$top/demo/program/Help.doc" "$top/demo/program/nonFoto.bmp" "$folder/"
mkdir -p "$folder/output"

# The program folder is the folder of the executable: the program lies there, the command
# links to it.
install -m 0755 "$program" "$folder/veltor.new"
mv -f "$folder/veltor.new" "$folder/veltor"
ln -sfn "$folder/veltor" "$bin/veltor"

install -m 0644 "$top/src/app/icons/veltor.png" "$data/icons/hicolor/64x64/apps/veltor.png"
cat > "$data/applications/veltor.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=Вельтор
GenericName=Учет кадров
Comment=Личные дела сотрудников, кадровые приказы и документы
Exec="$folder/veltor"
Path=$folder
Icon=veltor
Terminal=false
Categories=Office;
DESKTOP
command -v update-desktop-database >/dev/null && update-desktop-database -q "$data/applications" || true

echo "Установлено в $folder"
echo "Запуск: меню «Офис» → «Вельтор» или команда $bin/veltor"
