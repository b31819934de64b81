# What an installation holds, for the install and package tests (sourced).

# expected_files <source tree>: every file of an installation, relative to its prefix, sorted:
# the program, the system integration files, and the data of the source tree's modules/ with
# the profiles p1 … p10 as copies of the factory profile.
expected_files() {
    local source=$1 f
    {
        echo bin/stryla-config
        echo lib/udev/rules.d/70-stryla-config.rules
        echo share/applications/stryla-config.desktop
        echo share/gnome-shell/extensions/stryla-config-43@korvane.example/extension.js
        echo share/gnome-shell/extensions/stryla-config-43@korvane.example/metadata.json
        echo share/gnome-shell/extensions/stryla-config@korvane.example/extension.js
        echo share/gnome-shell/extensions/stryla-config@korvane.example/metadata.json
        echo share/kwin/scripts/stryla-config-focus/contents/code/main.js
        echo share/kwin/scripts/stryla-config-focus/metadata.json
        echo share/bash-completion/completions/stryla-config
        echo share/fish/vendor_completions.d/stryla-config.fish
        echo share/icons/hicolor/scalable/apps/stryla-config.svg
        echo share/man/man1/stryla-config.1
        echo share/metainfo/example.korvane.StrylaConfig.metainfo.xml
        echo share/zsh/vendor-completions/_stryla-config
        echo share/stryla-config/modules/img/logo.ico
        for f in "$source"/modules/setting/*.bin "$source"/modules/i18n/*.ini \
            "$source"/modules/gun/*.bin; do
            echo "share/stryla-config/modules/${f#"$source"/modules/}"
        done
        for n in $(seq 1 10); do echo "share/stryla-config/modules/setting/p$n.bin"; done
    } | sort -u
}

# snapshot <folder>: every entry below folder with its type, mode, owner, time and contents, to
# compare before and after the program ran.
snapshot() {
    (cd "$1" && find . -printf '%y %m %u %T@ %p\n' | sort && find . -type f -exec sha256sum {} + | sort)
}
