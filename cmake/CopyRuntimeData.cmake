# Copies the runtime data from SRC to DST (run as a script after each executable is linked).
# Factory data is always refreshed; user data is copied only when the target file is absent.
set(factory_globs
    "setting/apConfigD.bin" "setting/pD.bin" "i18n/*.ini" "img/logo.ico")
set(user_globs
    "setting/apConfig.bin" "setting/p*.bin" "setting/name.bin" "macro/*.bin" "gun/*.bin")

foreach(pattern IN LISTS factory_globs)
    file(GLOB files RELATIVE ${SRC} ${SRC}/${pattern})
    foreach(f IN LISTS files)
        get_filename_component(dir ${DST}/${f} DIRECTORY)
        file(MAKE_DIRECTORY ${dir})
        file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
    endforeach()
endforeach()

foreach(pattern IN LISTS user_globs)
    file(GLOB files RELATIVE ${SRC} ${SRC}/${pattern})
    foreach(f IN LISTS files)
        if(f STREQUAL "setting/pD.bin")
            continue()
        endif()
        if(NOT EXISTS ${DST}/${f})
            get_filename_component(dir ${DST}/${f} DIRECTORY)
            file(MAKE_DIRECTORY ${dir})
            file(COPY_FILE ${SRC}/${f} ${DST}/${f})
        endif()
    endforeach()
endforeach()
file(MAKE_DIRECTORY ${DST}/macro ${DST}/gun ${DST}/setting ${DST}/i18n)

# Profile files start as copies of the factory profile.
foreach(n RANGE 1 10)
    if(NOT EXISTS ${DST}/setting/p${n}.bin AND EXISTS ${SRC}/setting/pD.bin)
        file(COPY_FILE ${SRC}/setting/pD.bin ${DST}/setting/p${n}.bin)
    endif()
endforeach()
