#!/usr/bin/env bash
# The layers of the program, checked on its sources:
#   core    numtext/ extended/ render/ colour/ overview/  no Qt, nothing of
#           platform/ or app/, built into mandelcore only;
#   Qt services  platform/ includes nothing of app/;
#   window  every member of Tfmandel is defined in app/.
# Prints each breach and exits non-zero when there is one.
#
#   bash tests/layer_check.sh [SOURCE_ROOT]
set -uo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root" || exit 2
core=(numtext extended render colour overview)
status=0
breach() { echo "layer breach: $*"; status=1; }

# A Qt header: <QWidget>, <QtCore/...>, <qglobal.h>; or a header of the
# layers above the core.
qt='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]|Qt[A-Za-z]*/|q[a-z0-9_]*\.h)'
upper='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](platform|app)/'
for folder in "${core[@]}"; do
  while IFS= read -r hit; do
    breach "$hit (a core folder includes a Qt header)"
  done < <(grep -rnE "$qt" "$folder" --include='*.h' --include='*.cpp')
  while IFS= read -r hit; do
    breach "$hit (a core folder includes a window-layer header)"
  done < <(grep -rnE "$upper" "$folder" --include='*.h' --include='*.cpp')
  while IFS= read -r hit; do
    breach "$hit (a core folder feeds the Qt library)"
  done < <(grep -nHE 'mandelapp|Qt6::' "$folder/CMakeLists.txt")
done

# The Qt services stand below the window.
while IFS= read -r hit; do
  breach "$hit (platform/ includes a header of app/)"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]app/' platform --include='*.h' --include='*.cpp')

# Members of the window class outside app/.
while IFS= read -r hit; do
  breach "$hit (a Tfmandel member defined outside app/)"
done < <(grep -rnE 'Tfmandel::' "${core[@]}" platform resources --include='*.h' --include='*.cpp')

[ "$status" = 0 ] && echo "layers: core ${core[*]} free of Qt and of platform/, app/; platform/ free of app/; Tfmandel only in app/"
exit "$status"
