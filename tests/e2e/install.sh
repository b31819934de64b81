# Installs a program and its runtime data into a fresh folder, as a user's installation
# looks: install_program <program> <source modules folder> <family: 553|560> <folder>.
# Sets $program to the installed executable.
install_program() {
    local exe=$1 modules=$2 family=$3 work=$4
    mkdir -p "$work/modules/setting" "$work/modules/img" "$work/modules/i18n" "$work/modules/gun" "$work/modules/macro"
    cp "$exe" "$work/"
    cp "$modules"/setting/*.bin "$work/modules/setting/"
    cp "$modules"/i18n/*.ini "$work/modules/i18n/"
    cp "$modules"/gun/*.bin "$work/modules/gun/"
    cp "$modules"/img/logo.ico "$work/modules/img/"
    for n in $(seq 1 10); do cp "$modules/setting/pD.bin" "$work/modules/setting/p$n.bin"; done
    sed -i "s/^icType=.*/icType=$family/" "$work/modules/setting/apConfig.bin"
    program="$work/$(basename "$exe")"
}
